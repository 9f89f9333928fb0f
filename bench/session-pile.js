// A pile of requests on one busy session while other visitors are probed. Run by bench/session-pile.sh:
//   node bench/session-pile.js URL [MODE] [CLICKS] [SECONDS]
// One session opens the demo's "Long jobs" page; CLICKS (default 150) clicks of "Run a two-second job" are sent at
// once, each on a connection of its own. MODE "open" keeps those connections open and reads their answers; MODE
// "closed" closes each one right after sending; MODE "stop" keeps them open and the program running after its
// report, for bench/session-pile.sh to stop the server meanwhile. For SECONDS (default 30), two probes run every
// 500 ms, each waiting at most 5 s for its answer: "/$/ping" on a new connection, and a callback of another session
// (the main form's callback button) on its kept-alive connection. Prints the answer times of each probe (a probe
// without an answer within 5 s counts as 5000 ms and as unanswered), and the pile's answers by status; JSON last.
"use strict";

const http = require("node:http");
const net = require("node:net");

const [url, MODE = "open", clicksText = "150", secondsText = "30"] = process.argv.slice(2);
const base = new URL(url);
const CLICKS = Number(clicksText);
const SECONDS = Number(secondsText);
const PROBE_EVERY_MS = 500;
const PROBE_LIMIT_MS = 5000;
const AGENT = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

const encode = (fields) => fields.map(([k, v]) => `${encodeURIComponent(k)}=${encodeURIComponent(v)}`).join("&");

function request(state, method, path, body, limitMs = 60000) {
  return new Promise((resolve) => {
    const headers = { "User-Agent": AGENT };
    if (state.cookies.size) headers.Cookie = [...state.cookies].map(([k, v]) => `${k}=${v}`).join("; ");
    if (body !== undefined) {
      headers["Content-Type"] = "application/x-www-form-urlencoded";
      headers["Content-Length"] = Buffer.byteLength(body);
    }
    const started = Date.now();
    const req = http.request({ host: base.hostname, port: base.port, method, path, headers, agent: state.agent },
      (res) => {
        let text = "";
        res.setEncoding("utf8");
        res.on("data", (chunk) => { text += chunk; });
        res.on("end", () => {
          for (const cookie of res.headers["set-cookie"] || []) {
            const [pair] = cookie.split(";");
            const at = pair.indexOf("=");
            state.cookies.set(pair.slice(0, at), pair.slice(at + 1));
          }
          resolve({ status: res.statusCode, text, ms: Date.now() - started });
        });
      });
    req.setTimeout(limitMs, () => req.destroy());
    req.on("error", () => resolve({ status: 0, text: "", ms: Date.now() - started }));
    if (body !== undefined) req.write(body);
    req.end();
  });
}

function pageState(state, page) {
  const app = /GAppID\s*=\s*"([^"]*)"/.exec(page.text);
  const track = /GTrackID\s*=\s*(\d+)/.exec(page.text);
  const hidden = (name) => new RegExp(`name="${name}"[^>]*value="([^"]*)"`).exec(page.text);
  if (!app || !track) throw new Error(`no session page (status ${page.status})`);
  state.app = app[1];
  state.track = Number(track[1]);
  state.formName = hidden("KX_FormName")?.[1] || "";
  state.formClass = hidden("KX_FormClass")?.[1] || "";
  state.form = hidden("KX_FormID_")?.[1] || "";
}

// The browser's way into a session, up to the main form's page.
async function openSession() {
  const state = { agent: new http.Agent({ keepAlive: true, maxSockets: 1 }), cookies: new Map() };
  await request(state, "GET", "/");
  await request(state, "GET", "/$/StartCheck?KX_width=1024&KX_height=768");
  await request(state, "POST", "/", encode([["KX_width", "1024"], ["KX_height", "768"]]));
  const page = await request(state, "GET", "/$/");
  pageState(state, page);
  return { state, page };
}

function formFields(state) {
  const fields = [["KX_FormName", state.formName], ["KX_FormClass", state.formClass], ["KX_width", "1024"],
                  ["KX_height", "768"], ["KX_SessionID_", state.app], ["KX_TrackID_", String(state.track)]];
  if (state.form) fields.push(["KX_FormID_", state.form]);
  return fields;
}

function callbackRequest(state, name, counter) {
  const query = encode([["callback", name], ["KX_AjaxID", `${Date.now()}_${counter}`],
                        ["KX_TrackID_", String(state.track)]]);
  return { path: `/$/callback?${query}`, body: encode(formFields(state)) };
}

// One click of the job on a connection of its own, as raw bytes; resolves with the answer's status (0: none).
function pileClick(state, counter, results) {
  const { path, body } = callbackRequest(state, "BUTTONJOB.DoOnAsyncClick", counter);
  const cookie = [...state.cookies].map(([k, v]) => `${k}=${v}`).join("; ");
  const raw = `POST ${path} HTTP/1.1\r\nHost: ${base.host}\r\nUser-Agent: ${AGENT}\r\nCookie: ${cookie}\r\n` +
              `Content-Type: application/x-www-form-urlencoded\r\nContent-Length: ${Buffer.byteLength(body)}\r\n` +
              `Connection: close\r\n\r\n${body}`;
  const started = Date.now();
  const socket = net.connect(Number(base.port), base.hostname);
  if (MODE === "closed") {
    socket.end(raw, () => socket.destroy());
    socket.on("error", () => {});
    return;
  }
  let head = "";
  socket.on("data", (chunk) => {
    if (head.length > 20) return;
    head += chunk.toString("latin1");
    const status = /^HTTP\/1\.\d (\d{3})/.exec(head);
    if (status) results.push({ status: Number(status[1]), ms: Date.now() - started });
  });
  socket.on("error", () => {});
  socket.write(raw);
}

async function probeLoop(deadline, probe) {
  const times = [];
  while (Date.now() < deadline) {
    const tick = Date.now();
    const answer = await probe();
    times.push(answer.status >= 200 && answer.status < 300 ? answer.ms : PROBE_LIMIT_MS);
    const rest = PROBE_EVERY_MS - (Date.now() - tick);
    if (rest > 0) await new Promise((resolve) => setTimeout(resolve, rest));
  }
  return times;
}

function summary(times) {
  const sorted = [...times].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  const unanswered = times.filter((ms) => ms >= PROBE_LIMIT_MS).length;
  return { probes: times.length, unanswered, median: at(0.5), p90: at(0.9), max: sorted[sorted.length - 1] };
}

(async () => {
  const busy = await openSession();
  const link = new RegExp(`id="(GALLERY\\d+)"[^>]*value="Long jobs"|value="Long jobs"[^>]*id="(GALLERY\\d+)"`)
    .exec(busy.page.text);
  if (!link) throw new Error("the main form has no \"Long jobs\" button");
  const jobs = await request(busy.state, "POST", "/$/",
                             encode([...formFields(busy.state), ["KX_Action", link[1] || link[2]],
                                     ["KX_ActionParam", ""]]));
  pageState(busy.state, jobs);
  if (!/BUTTONJOB/.test(jobs.text)) throw new Error("the \"Long jobs\" page did not open");
  const other = (await openSession()).state;
  let counter = 0;
  const probeCallback = async () => {
    const { path, body } = callbackRequest(other, "BUTTON2.DoOnAsyncClick", ++counter);
    const answer = await request(other, "POST", path, body, PROBE_LIMIT_MS);
    const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer.text);
    if (track) other.track = Number(track[1]);
    return answer;
  };
  const probePing = () => request({ agent: false, cookies: new Map() }, "GET", "/$/ping", undefined, PROBE_LIMIT_MS);

  const pile = [];
  for (let i = 0; i < CLICKS; i++) pileClick(busy.state, i, pile);
  const deadline = Date.now() + SECONDS * 1000;
  const [ping, callback] = await Promise.all([probeLoop(deadline, probePing), probeLoop(deadline, probeCallback)]);
  const statuses = {};
  for (const answer of pile) statuses[answer.status] = (statuses[answer.status] || 0) + 1;
  const refusedMs = pile.filter((a) => a.status === 503).map((a) => a.ms);
  const result = { mode: MODE, clicks: CLICKS, seconds: SECONDS, ping: summary(ping), callback: summary(callback),
                   pileAnswered: pile.length, pileStatuses: statuses,
                   slowest503: refusedMs.length ? Math.max(...refusedMs) : null };
  const line = (name, s) => `${name}: ${s.probes} probes, ${s.unanswered} unanswered within 5 s, ` +
                            `median ${s.median} ms, p90 ${s.p90} ms, max ${s.max} ms`;
  console.log(`${CLICKS} job clicks on one session (${MODE}), ${SECONDS} s of probes`);
  console.log(line("  /$/ping", result.ping));
  console.log(line("  another session's callback", result.callback));
  if (MODE !== "closed")
    console.log(`  the pile: ${pile.length} answered in ${SECONDS} s ${JSON.stringify(statuses)}` +
                (refusedMs.length ? `, every 503 within ${result.slowest503} ms` : ""));
  console.log(JSON.stringify(result));
  // "stop": the pile's connections stay open until the server closes them (the script stops it now), at most 300 s.
  if (MODE === "stop") setTimeout(() => process.exit(0), 300000);
  else process.exit(0);
})().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
