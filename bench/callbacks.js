// Keep-alive clients clicking the demo's callback button (BUTTON2) in a loop, as the browser's script posts it,
// while sessions expire and are opened again. Run by bench/callbacks.sh, which starts the demo with a one-minute
// session timeout:
//   node bench/callbacks.js URL [CLIENTS] [SECONDS] [IDLE_SECONDS]
// Each client keeps one connection (an agent with one socket) and opens a session as the browser does (the start
// page, the start check, the start post, the main form's page). Then all of them wait IDLE_SECONDS (default 62,
// past the timeout), so that every session expires, and the timed run begins: each client posts "/$/callback" with
// the track id each answer gives; an answer without a track id (the session-timeout page) means the session is
// gone, and the client opens a new one. Every RENEW clicks (default 2000) a client leaves its session for a new
// one, so that sessions keep being made and left behind during the run. Prints one line of figures for the timed
// run (non-2xx answers counted by status) and a JSON line; exits 1 unless every request sent was answered.
"use strict";

const http = require("node:http");

const [url, clientsText = "8", secondsText = "60", idleText = "62"] = process.argv.slice(2);
const base = new URL(url);
const CLIENTS = Number(clientsText);
const SECONDS = Number(secondsText);
// How long the clients wait before the timed run: more than the demo's one-minute session timeout.
const IDLE_MS = Number(idleText) * 1000;
const RENEW = Number(process.env.RENEW || 2000);

const totals = { sent: 0, answered: 0, non2xx: 0, failed: 0, callbacks: 0, sessions: 0, expired: 0 };
const statuses = {};

function request(agent, state, method, path, body) {
  totals.sent += 1;
  return new Promise((resolve) => {
    const headers = { "User-Agent": "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36" };
    if (state.cookies.size) headers.Cookie = [...state.cookies].map(([k, v]) => `${k}=${v}`).join("; ");
    if (body !== undefined) {
      headers["Content-Type"] = "application/x-www-form-urlencoded";
      headers["Content-Length"] = Buffer.byteLength(body);
    }
    const req = http.request({ host: base.hostname, port: base.port, method, path, headers, agent }, (res) => {
      let text = "";
      res.setEncoding("utf8");
      res.on("data", (chunk) => { text += chunk; });
      res.on("end", () => {
        totals.answered += 1;
        statuses[res.statusCode] = (statuses[res.statusCode] || 0) + 1;
        if (res.statusCode < 200 || res.statusCode > 299) totals.non2xx += 1;
        for (const cookie of res.headers["set-cookie"] || []) {
          const [pair] = cookie.split(";");
          const at = pair.indexOf("=");
          state.cookies.set(pair.slice(0, at), pair.slice(at + 1));
        }
        resolve({ status: res.statusCode, text });
      });
      res.on("error", () => { totals.failed += 1; resolve({ status: 0, text: "" }); });
    });
    req.on("error", () => { totals.failed += 1; resolve({ status: 0, text: "" }); });
    if (body !== undefined) req.write(body);
    req.end();
  });
}

const encode = (fields) => fields.map(([k, v]) => `${encodeURIComponent(k)}=${encodeURIComponent(v)}`).join("&");

// The browser's way into a session; returns its state or null when the main page did not come.
async function openSession(agent, state) {
  state.cookies.clear();
  // The start page names the new session; its script sends the id on with the window's size.
  const named = /KX_SessionID_=([^&"]+)&KX_TrackID_=([0-9a-z]+)/.exec((await request(agent, state, "GET", "/")).text);
  if (!named) return false;
  const fields = encode([["KX_width", "1024"], ["KX_height", "768"], ["KX_SessionID_", named[1]],
                         ["KX_TrackID_", named[2]]]);
  await request(agent, state, "GET", `/$/StartCheck?${fields}`);
  const start = await request(agent, state, "POST", "/", fields);
  let page = start;
  if (!/GAppID\s*=/.test(page.text)) page = await request(agent, state, "GET", "/$/");
  const app = /GAppID\s*=\s*"([^"]*)"/.exec(page.text);
  const track = /GTrackID\s*=\s*(\d+)/.exec(page.text);
  const form = /name="KX_FormID_"[^>]*value="([^"]*)"|value="([^"]*)"[^>]*name="KX_FormID_"/.exec(page.text);
  if (!app || !track) return false;
  state.app = app[1];
  state.track = Number(track[1]);
  state.form = form ? form[1] || form[2] : "";
  totals.sessions += 1;
  return true;
}

async function click(agent, state, counter) {
  const query = encode([["callback", "BUTTON2.DoOnAsyncClick"], ["KX_AjaxID", `${Date.now()}_${counter}`],
                        ["KX_TrackID_", String(state.track)]]);
  const fields = [["EDIT1", `click ${counter}`], ["KX_SessionID_", state.app]];
  if (state.form) fields.push(["KX_FormID_", state.form]);
  const answer = await request(agent, state, "POST", `/$/callback?${query}`, encode(fields));
  totals.callbacks += 1;
  const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer.text);
  if (track) {
    state.track = Number(track[1]);
    return true;
  }
  return false;  // the session is gone: the timeout page or an error answer
}

function newClient() {
  return { agent: new http.Agent({ keepAlive: true, maxSockets: 1 }), cookies: new Map(), app: "", track: 0, form: "" };
}

async function run(state, deadline) {
  let counter = 0;
  let open = true;  // the session opened before the wait, expired by now
  while (Date.now() < deadline) {
    if (!open) {
      open = await openSession(state.agent, state);
      if (!open) continue;
    }
    counter += 1;
    if (!(await click(state.agent, state, counter))) {
      totals.expired += 1;
      open = false;
    } else if (counter % RENEW === 0) {
      open = false;
    }
  }
  state.agent.destroy();
}

(async () => {
  const clients = Array.from({ length: CLIENTS }, newClient);
  await Promise.all(clients.map((state) => openSession(state.agent, state)));
  console.log(`${totals.sessions} sessions opened; waiting ${IDLE_MS / 1000} s for them to expire`);
  await new Promise((resolve) => setTimeout(resolve, IDLE_MS));
  for (const key of Object.keys(totals)) totals[key] = 0;
  for (const key of Object.keys(statuses)) delete statuses[key];
  const started = Date.now();
  const deadline = started + SECONDS * 1000;
  await Promise.all(clients.map((state) => run(state, deadline)));
  const seconds = (Date.now() - started) / 1000;
  const rate = Math.round(totals.answered / seconds);
  console.log(`${CLIENTS} keep-alive clients, ${seconds.toFixed(1)} s: ${totals.sent} requests sent, ` +
              `${totals.answered} answered (${totals.non2xx} not 2xx, ${totals.failed} failed), ${rate} requests/s; ` +
              `${totals.callbacks} callbacks, ${totals.sessions} sessions opened, ${totals.expired} found expired`);
  console.log(JSON.stringify({ ...totals, seconds, rate, statuses }));
  process.exit(totals.sent === totals.answered && totals.failed === 0 ? 0 : 1);
})();
