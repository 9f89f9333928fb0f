// The driver of bench/firstload.sh: first loads and callbacks against a running demo program over HTTP/1.1 with
// keep-alive, the requests a browser sends.
//   node bench/firstload.mjs PORT PID
// Settings from the environment: CONNECTIONS (16), LOADS (4000), CALLBACKS (5000), TIMEOUT_MS (10000).
//
// A first load is a new session: "/" (the start page, which sets the session cookie), the start check
// "/$/StartCheck" with the window's size, the post of the start form to "/", and the main form's page "/$/". Each
// connection opens sessions one after another until LOADS are done. Every session comes from an address of its own
// in 198.18.0.0/15 (the benchmarking range), sent as X-Forwarded-For, which the server believes from 127.0.0.1 (a
// proxy on this machine), so that the limit of sessions per address does not refuse them.
// A callback is the click on BUTTON2 ("BUTTON2.DoOnAsyncClick") with the edit's text, one at a time in one session,
// each with the track id the previous answer set, as the client script sends them.
// A request fails when it gets no answer within TIMEOUT_MS (unanswered), its connection breaks, its status is not
// 200 or its body lacks what that step returns.
import http from "node:http";
import fs from "node:fs";

const port = Number(process.argv[2]);
const pid = Number(process.argv[3]);
const connections = Number(process.env.CONNECTIONS || 16);
const loads = Number(process.env.LOADS || 4000);
const callbacks = Number(process.env.CALLBACKS || 5000);
const timeoutMs = Number(process.env.TIMEOUT_MS || 10000);
const userAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

const counts = { requests: 0, unanswered: 0, failed: 0 };

// The resident set size of the server in KiB.
function residentKiB() {
  const status = fs.readFileSync(`/proc/${pid}/status`, "utf8");
  return Number(/^VmRSS:\s+(\d+) kB/m.exec(status)[1]);
}

// One browser on one keep-alive connection; it keeps the session cookie the replies set.
class Client {
  constructor() {
    this.agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
    this.cookie = "";
    this.address = "";
  }

  // Resolves to { status, body }, or null when the request failed (counted).
  request(method, path, body) {
    counts.requests += 1;
    const headers = { "User-Agent": userAgent, "Accept-Language": "en", "X-Forwarded-For": this.address };
    if (this.cookie) headers.Cookie = this.cookie;
    if (body !== undefined) {
      headers["Content-Type"] = "application/x-www-form-urlencoded; charset=UTF-8";
      headers["Content-Length"] = Buffer.byteLength(body);
    }
    return new Promise((resolve) => {
      let settled = false;
      const settle = (value, kind) => {
        if (settled) return;
        settled = true;
        if (kind) counts[kind] += 1;
        resolve(value);
      };
      const req = http.request({ host: "127.0.0.1", port, method, path, headers, agent: this.agent }, (res) => {
        const chunks = [];
        res.on("data", (chunk) => chunks.push(chunk));
        res.on("end", () => {
          for (const line of res.headers["set-cookie"] || []) {
            if (line.startsWith("KX_")) this.cookie = line.split(";")[0];
          }
          settle({ status: res.statusCode, body: Buffer.concat(chunks).toString("utf8") });
        });
        res.on("error", () => settle(null, "failed"));
      });
      req.setTimeout(timeoutMs, () => {
        settle(null, "unanswered");
        req.destroy();
      });
      req.on("error", () => settle(null, "failed"));
      req.end(body);
    });
  }

  // A request whose answer must be 200 and hold expected; the answer's body, or null (counted as failed).
  async step(method, path, body, expected) {
    const reply = await this.request(method, path, body);
    if (reply === null) return null;
    if (reply.status !== 200 || !expected.test(reply.body)) {
      counts.failed += 1;
      return null;
    }
    return reply.body;
  }

  // A first load in a new session; its id, or null when a step failed.
  async firstLoad(n) {
    this.cookie = "";
    this.address = `198.18.${(n >> 8) & 511}.${n & 255}`;
    const start = await this.step("GET", "/", undefined, /KX_SessionID_=[^&"]+/);
    if (start === null) return null;
    const id = /KX_SessionID_=([^&"]+)/.exec(start)[1];
    const fields = `KX_width=1024&KX_height=768&KX_SessionID_=${id}&KX_TrackID_=1`;
    if ((await this.step("GET", `/$/StartCheck?KX_AjaxID=${Date.now()}&${fields}`, undefined, /name="KX_SessionID_"/)) === null)
      return null;
    if ((await this.step("POST", "/", fields, /location\.replace/)) === null) return null;
    if ((await this.step("GET", "/$/", undefined, /id="EDIT1"/)) === null) return null;
    return id;
  }
}

function percentile(sorted, p) {
  return sorted.length ? sorted[Math.min(sorted.length - 1, Math.floor((sorted.length * p) / 100))] : 0;
}

let sessionNumber = 1;

// Loads on all connections; returns { seconds, done, times } (times in ms, sorted).
async function runLoads(total) {
  let next = 0;
  let done = 0;
  const times = [];
  const began = performance.now();
  await Promise.all(
    Array.from({ length: connections }, async () => {
      const client = new Client();
      while (next < total) {
        next += 1;
        const t0 = performance.now();
        if ((await client.firstLoad(sessionNumber++)) !== null) {
          done += 1;
          times.push(performance.now() - t0);
        }
      }
      client.agent.destroy();
    }),
  );
  times.sort((a, b) => a - b);
  return { seconds: (performance.now() - began) / 1000, done, times };
}

// Callbacks one after another in one new session; returns { seconds, done }.
async function runCallbacks(total) {
  const client = new Client();
  const id = await client.firstLoad(sessionNumber++);
  if (id === null) return { seconds: 0, done: 0 };
  let track = 2;  // the main form's page set it
  let done = 0;
  const began = performance.now();
  for (let i = 0; i < total; i++) {
    const query = `callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=${Date.now()}_${i + 1}&KX_TrackID_=${track.toString(36)}`;
    const body = `EDIT1=text+${i}&KX_SessionID_=${id}`;
    const answer = await client.step("POST", `/$/callback?${query}`, body, /<trackid>\d+<\/trackid>/);
    if (answer === null) continue;
    track = Number(/<trackid>(\d+)<\/trackid>/.exec(answer)[1]);
    done += 1;
  }
  const seconds = (performance.now() - began) / 1000;
  client.agent.destroy();
  return { seconds, done };
}

// A warm-up session first: the server's first page fills its caches (classes, templates, internal files).
await runLoads(1);
const rssBefore = residentKiB();
const loadRun = await runLoads(loads);
const rssAfter = residentKiB();
const callbackRun = await runCallbacks(callbacks);

const t = loadRun.times;
console.log(`first loads: ${loadRun.done} of ${loads} on ${connections} connections in ${loadRun.seconds.toFixed(2)} s: ` +
  `${Math.round(loadRun.done / loadRun.seconds)} loads/s (4 requests each; ms per load: median ` +
  `${percentile(t, 50).toFixed(1)}, p99 ${percentile(t, 99).toFixed(1)})`);
console.log(`callbacks: ${callbackRun.done} of ${callbacks} in one session in ${callbackRun.seconds.toFixed(2)} s: ` +
  `${Math.round(callbackRun.done / (callbackRun.seconds || 1))} callbacks/s`);
console.log(`server RSS: ${(rssBefore / 1024).toFixed(1)} MiB before the loads, ${(rssAfter / 1024).toFixed(1)} MiB after: ` +
  `${((rssAfter - rssBefore) / Math.max(1, loadRun.done)).toFixed(1)} KiB per session`);
console.log(`requests: ${counts.requests}, unanswered: ${counts.unanswered}, failed: ${counts.failed}`);
process.exitCode = counts.unanswered + counts.failed > 0 ? 1 : 0;
