// A pile of requests on busy sessions while other visitors are probed. Run by bench/session-pile.sh and
// bench/address-pile.sh:
//   node bench/session-pile.js URL [MODE] [CLICKS] [SECONDS] [SESSIONS]
// SESSIONS sessions (default 1) open the demo's "Long jobs" page; CLICKS (default 150) clicks of "Run a two-second
// job" per session are sent at once, each on a connection of its own, from a process of its own (so that the pile
// never holds up the probes' event loop). MODE "open" keeps those connections open and reads their answers; MODE
// "closed" closes each one right after sending; MODE "stop" keeps them open and the program running after its
// report, for bench/session-pile.sh to stop the server meanwhile. With PILE_KEEP=1 each click is sent again as soon
// as its answer came (MODE "open": a 503 comes back at once, so this is as fast as the server answers) or, MODE
// "closed", two seconds after it was sent, until the probes end. For SECONDS (default 30), two probes run every
// 500 ms, each waiting at most 5 s for its answer: "/$/ping" on a new connection, and a callback of another session
// (the main form's callback button) on its kept-alive connection. PROBE_FROM=ADDRESS sends the probes and opens the
// other session from that local address (127.0.0.2: another client address on loopback). Prints the answer times
// of each probe (a probe without an answer within 5 s counts as 5000 ms and as unanswered), and the pile's answers
// by status; JSON last.
"use strict";

const { fork } = require("node:child_process");
const http = require("node:http");
const net = require("node:net");

const [url, MODE = "open", clicksText = "150", secondsText = "30", sessionsText = "1"] =
  require.main === module || process.env.PILE_CHILD === "1" ? process.argv.slice(2) : [process.env.PILE_URL];
const base = new URL(url);
const CLICKS = Number(clicksText);
const SECONDS = Number(secondsText);
const SESSIONS = Number(sessionsText);
const KEEP = process.env.PILE_KEEP === "1";
const PROBE_FROM = process.env.PROBE_FROM || undefined;
const JOB_MS = 2000;
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
    const req = http.request({ host: base.hostname, port: base.port, method, path, headers, agent: state.agent,
                               localAddress: state.from },
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

// The fields the start page's script sends on, naming its new session as the page does: the window's size, the
// session's id and track id.
function startFields(start) {
  const named = /KX_SessionID_=([^&"]+)&KX_TrackID_=([0-9a-z]+)/.exec(start.text);
  if (!named) throw new Error(`no start page (status ${start.status})`);
  return encode([["KX_width", "1024"], ["KX_height", "768"], ["KX_SessionID_", named[1]], ["KX_TrackID_", named[2]]]);
}

// The browser's way into a session, up to the main form's page; from the local address from (default: any).
async function openSession(from) {
  const state = { agent: new http.Agent({ keepAlive: true, maxSockets: 1 }), cookies: new Map(), from };
  const fields = startFields(await request(state, "GET", "/"));
  await request(state, "GET", `/$/StartCheck?${fields}`);
  await request(state, "POST", "/", fields);
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

// One click of the job on a connection of its own, as raw bytes; the answer's status is counted in tally. With again,
// called once the connection closed (MODE "closed": two seconds after sending).
function pileClick(state, counter, tally, again) {
  const { path, body } = callbackRequest(state, "BUTTONJOB.DoOnAsyncClick", counter);
  const cookie = [...state.cookies].map(([k, v]) => `${k}=${v}`).join("; ");
  const raw = `POST ${path} HTTP/1.1\r\nHost: ${base.host}\r\nUser-Agent: ${AGENT}\r\nCookie: ${cookie}\r\n` +
              `Content-Type: application/x-www-form-urlencoded\r\nContent-Length: ${Buffer.byteLength(body)}\r\n` +
              `Connection: close\r\n\r\n${body}`;
  const started = Date.now();
  const socket = net.connect(Number(base.port), base.hostname);
  socket.on("error", () => {});
  if (MODE === "closed") {
    socket.end(raw, () => socket.destroy());
    if (again) setTimeout(again, JOB_MS);
    return;
  }
  let answer = "";
  let counted = false;
  socket.on("data", (chunk) => {
    answer += chunk.toString("latin1");
    const status = /^HTTP\/1\.\d (\d{3})/.exec(answer);
    if (status && !counted) {
      counted = true;
      tally.statuses[status[1]] = (tally.statuses[status[1]] || 0) + 1;
      tally.answered += 1;
      if (status[1] === "503") tally.slowest503 = Math.max(tally.slowest503 ?? 0, Date.now() - started);
    }
  });
  socket.on("close", () => {
    const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer);
    if (track) state.track = Number(track[1]);
    if (again) again();
  });
  socket.write(raw);
}

// The pile, in a process of its own: sessions arrive from the parent, the statuses go back when it asks.
function runPile() {
  const tally = { answered: 0, statuses: {}, slowest503: null };
  let counter = 0;
  let piling = true;
  process.on("message", (message) => {
    if (message.sessions) {
      for (const shared of message.sessions) {
        const state = { ...shared, cookies: new Map(shared.cookies) };
        for (let i = 0; i < CLICKS; i++) {
          const click = () => pileClick(state, ++counter, tally, KEEP ? () => piling && click() : undefined);
          click();
        }
      }
      process.send({ started: true });
    } else if (message.report) {
      piling = false;
      process.send({ tally });
    }
  });
  process.on("disconnect", () => process.exit(0));
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
  const withinSecond = times.filter((ms) => ms < 1000).length;
  return { probes: times.length, unanswered, withinSecond, median: at(0.5), p90: at(0.9), max: sorted[sorted.length - 1] };
}

// Opens count sessions on the "Long jobs" page, batch at a time.
async function openJobSessions(count, batch = 50) {
  const sessions = [];
  while (sessions.length < count) {
    const opening = [];
    for (let i = sessions.length; i < Math.min(count, sessions.length + batch); i++) opening.push(openJobSession());
    sessions.push(...await Promise.all(opening));
  }
  return sessions;
}

async function openJobSession(from) {
  const busy = await openSession(from);
  const link = new RegExp(`id="(GALLERY\\d+)"[^>]*value="Long jobs"|value="Long jobs"[^>]*id="(GALLERY\\d+)"`)
    .exec(busy.page.text);
  if (!link) throw new Error("the main form has no \"Long jobs\" button");
  const jobs = await request(busy.state, "POST", "/$/",
                             encode([...formFields(busy.state), ["KX_Action", link[1] || link[2]],
                                     ["KX_ActionParam", ""]]));
  pageState(busy.state, jobs);
  if (!/BUTTONJOB/.test(jobs.text)) throw new Error("the \"Long jobs\" page did not open");
  busy.state.agent.destroy();
  const { app, track, formName, formClass, form } = busy.state;
  return { app, track, formName, formClass, form, cookies: [...busy.state.cookies] };
}

async function main() {
  const sessions = await openJobSessions(SESSIONS);
  const other = (await openSession(PROBE_FROM)).state;
  let counter = 0;
  const probeCallback = async () => {
    const { path, body } = callbackRequest(other, "BUTTON2.DoOnAsyncClick", ++counter);
    const answer = await request(other, "POST", path, body, PROBE_LIMIT_MS);
    const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer.text);
    if (track) other.track = Number(track[1]);
    return answer;
  };
  const probePing = () => request({ agent: false, cookies: new Map(), from: PROBE_FROM }, "GET", "/$/ping", undefined,
                                  PROBE_LIMIT_MS);

  const pile = fork(__filename, process.argv.slice(2), { env: { ...process.env, PILE_CHILD: "1" } });
  const reply = (key) => new Promise((resolve) => {
    const listen = (message) => {
      if (key in message) {
        pile.off("message", listen);
        resolve(message[key]);
      }
    };
    pile.on("message", listen);
  });
  const started = reply("started");
  pile.send({ sessions });
  await started;
  const deadline = Date.now() + SECONDS * 1000;
  const [ping, callback] = await Promise.all([probeLoop(deadline, probePing), probeLoop(deadline, probeCallback)]);
  const answered = reply("tally");
  pile.send({ report: true });
  const { answered: pileAnswered, statuses, slowest503 } = await answered;
  const result = { mode: MODE, sessions: SESSIONS, clicks: CLICKS, keep: KEEP, probeFrom: PROBE_FROM || null,
                   seconds: SECONDS, ping: summary(ping), callback: summary(callback),
                   pileAnswered, pileStatuses: statuses, slowest503 };
  const line = (name, s) => `${name}: ${s.probes} probes, ${s.unanswered} unanswered within 5 s, ` +
                            `median ${s.median} ms, p90 ${s.p90} ms, max ${s.max} ms`;
  console.log(`${SESSIONS} session(s) with ${CLICKS} job clicks each (${MODE}${KEEP ? ", kept outstanding" : ""}), ` +
              `${SECONDS} s of probes${PROBE_FROM ? ` from ${PROBE_FROM}` : ""}`);
  console.log(line("  /$/ping", result.ping));
  console.log(line("  another session's callback", result.callback));
  if (MODE !== "closed")
    console.log(`  the pile: ${pileAnswered} answered in ${SECONDS} s ${JSON.stringify(statuses)}` +
                (slowest503 !== null ? `, every 503 within ${slowest503} ms` : ""));
  console.log(JSON.stringify(result));
  // "stop": the pile's connections stay open until the server closes them (the script stops it now), at most 300 s.
  if (MODE === "stop") {
    setTimeout(() => process.exit(0), 300000);
  } else {
    pile.kill();
    process.exit(0);
  }
}

module.exports = { request, openSession, openJobSession, formFields, callbackRequest, pageState, encode, base };

if (process.env.PILE_CHILD === "1") {
  runPile();
} else if (require.main === module) {
  main().catch((e) => {
    console.error(e.message);
    process.exit(1);
  });
}
