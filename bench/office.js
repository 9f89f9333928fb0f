// An office behind one address: run by bench/office.sh.
//   node bench/office.js URL VISITORS SECONDS FROM
// VISITORS visitors each open the demo's main form and, beside it, a session on its "Long jobs" page; FROM "one"
// sends every visitor from 127.0.0.1 (many visitors behind one NAT address), "many" each from an address of its
// own on loopback (127.0.N.M). Each visitor clicks, waits for the answer, pauses 1 to 4 s and clicks again, for
// SECONDS: of its clicks 60 % the main form's callback button, 20 % its submit button, 18 % a submit that posts
// 100 KB in the memo (an upload's size), 2 % the two-second job, followed by the job page's status polls every
// 500 ms until it is answered. A click is not sent again: an answer 503 is a lost click. Prints the clicks by kind
// and status, the 503s per 1,000 clicks, the visitors that lost at least one, the answer times; JSON last.
"use strict";

const http = require("node:http");

process.env.PILE_URL = process.argv[2];
const pile = require("./session-pile.js");
const { request, openSession, openJobSession, formFields, callbackRequest, pageState, encode } = pile;

const VISITORS = Number(process.argv[3] || "50");
const SECONDS = Number(process.argv[4] || "60");
const FROM = process.argv[5] || "one";
const MEMO = "x".repeat(100 * 1024);

const addressOf = (i) => (FROM === "one" ? "127.0.0.1" : `127.0.${2 + Math.floor(i / 250)}.${1 + (i % 250)}`);
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function pick() {
  const r = Math.random();
  return r < 0.6 ? "callback" : r < 0.8 ? "submit" : r < 0.98 ? "post100k" : "job";
}

async function click(visitor, kind, counter) {
  const main = visitor.main;
  if (kind === "callback") {
    const { path, body } = callbackRequest(main, "BUTTON2.DoOnAsyncClick", counter);
    const answer = await request(main, "POST", path, body);
    const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer.text);
    if (track) main.track = Number(track[1]);
    return [answer];
  }
  if (kind === "submit" || kind === "post100k") {
    const fields = [...formFields(main), ["KX_Action", "BUTTON1"], ["KX_ActionParam", ""],
                    ["EDIT1", `click ${counter}`]];
    if (kind === "post100k") fields.push(["MEMO1", MEMO]);
    const answer = await request(main, "POST", "/$/", encode(fields));
    if (answer.status === 200) pageState(main, answer);
    return [answer];
  }
  const jobs = visitor.jobs;
  const { path, body } = callbackRequest(jobs, "BUTTONJOB.DoOnAsyncClick", counter);
  let done = false;
  const answers = [];
  const job = request(jobs, "POST", path, body).then((answer) => {
    done = true;
    const track = /<trackid>\s*(\d+)\s*<\/trackid>/.exec(answer.text);
    if (track) jobs.track = Number(track[1]);
    return answer;
  });
  const poller = { agent: new http.Agent({ keepAlive: true, maxSockets: 1 }), cookies: jobs.cookies, from: jobs.from };
  while (!done) {
    await pause(500);
    if (!done) answers.push(await request(poller, "GET", "/$/QueryStatus"));
  }
  poller.agent.destroy();
  answers.unshift(await job);
  return answers;
}

// Opens every visitor, 50 at a time, then all click from the same moment until the deadline.
async function run() {
  const tally = { actions: 0, refused: 0, lostVisitors: 0, clicks: {}, times: [] };
  const begin = Date.now();
  let deadline = Infinity;
  const running = [];
  for (let i = 0; i < VISITORS; i += 50) {
    const batch = [];
    for (let j = i; j < Math.min(VISITORS, i + 50); j++) {
      let opened;
      const ready = new Promise((resolve) => { opened = resolve; });
      batch.push(ready);
      running.push(visitorAfter(j, () => deadline, tally, opened));
    }
    await Promise.all(batch);
  }
  const openedIn = Date.now() - begin;
  deadline = Date.now() + SECONDS * 1000;
  await Promise.all(running);
  const sorted = [...tally.times].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  const result = { visitors: VISITORS, from: FROM, seconds: SECONDS, openedInMs: openedIn, actions: tally.actions,
                   refused: tally.refused, per1000: Number((1000 * tally.refused / Math.max(1, tally.actions)).toFixed(2)),
                   lostVisitors: tally.lostVisitors, clicks: tally.clicks,
                   median: at(0.5), p99: at(0.99), max: sorted[sorted.length - 1] };
  console.log(`${VISITORS} visitors from ${FROM === "one" ? "one address" : `${VISITORS} addresses`}, ${SECONDS} s ` +
              `(sessions opened in ${openedIn} ms): ${tally.actions} requests, ${tally.refused} answered 503 ` +
              `(${result.per1000} per 1,000), ${tally.lostVisitors} visitors lost a click; answer times median ` +
              `${result.median} ms, p99 ${result.p99} ms, max ${result.max} ms`);
  for (const [kind, statuses] of Object.entries(tally.clicks)) console.log(`  ${kind}: ${JSON.stringify(statuses)}`);
  console.log(JSON.stringify(result));
  process.exit(0);
}

// A visitor that opens its sessions, says so, then clicks until deadline() (read at each click).
async function visitorAfter(i, deadline, tally, opened) {
  const from = addressOf(i);
  let v;
  try {
    v = { main: (await openSession(from)).state };
    const shared = await openJobSession(from);
    v.jobs = { ...shared, cookies: new Map(shared.cookies), from,
               agent: new http.Agent({ keepAlive: true, maxSockets: 1 }) };
  } catch (e) {
    console.error(`visitor ${i}: ${e.message}`);
    opened();
    return;
  }
  opened();
  while (deadline() === Infinity) await pause(50);
  await pause(Math.random() * 3000);
  let lost = false;
  let counter = 0;
  while (Date.now() < deadline()) {
    const kind = pick();
    const answers = await click(v, kind, ++counter);
    for (const [n, answer] of answers.entries()) {
      const what = n === 0 ? kind : "status poll";
      tally.clicks[what] ??= {};
      tally.clicks[what][answer.status] = (tally.clicks[what][answer.status] || 0) + 1;
      tally.times.push(answer.ms);
      tally.actions += 1;
      if (answer.status === 503) {
        lost = true;
        tally.refused += 1;
      }
    }
    await pause(1000 + Math.random() * 3000);
  }
  if (lost) tally.lostVisitors += 1;
  v.main.agent.destroy();
  v.jobs.agent.destroy();
}

run().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
