// Three demo instances behind HAProxy, driven over HTTP the way a browser drives them (docs/DEPLOYMENT.md).
//   node --test Balancer.test.mjs   with KX_DEMO set to the demo program (ctest sets it; KX_HAPROXY optional)
//
// 30 sessions, each from a loopback address of its own (127.0.1.N, which the balancer passes on in X-Forwarded-For),
// go through the start page, the start check, the start post and the main form, then make callbacks that put a text
// of their own into the main form's label. Every request must be answered, and every answer of a session must come
// from the instance that holds it (the balancer names it in a header that only this test's configuration adds) with
// that session's own text. Then: draining one instance takes no new session while its own go on; a session's request
// from another address fails the same-address check; one instance is killed: its sessions get the invalid-session
// page, their cookie is removed and they start again on the others, while the other sessions go on untouched; the
// instance comes back on its port and takes new sessions. The three instances share one TMPDIR: each works in a
// cache folder of its own, the replacement removes only the dead instance's folder, and a clean stop leaves none.
import test from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import balancer from "./balancer.cjs";

const DEMO = process.env.KX_DEMO;
const SESSIONS = 30;
const LATE_SESSIONS = 6;  // opened while one instance drains
const CALLBACKS = 3;      // per session before the kill
const TIMEOUT_MS = 10000;
const USER_AGENT = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";
const COOKIE = "KX_KXDemo";

const counts = { requests: 0, answered: 0 };

// One browser: its own keep-alive connection from its own loopback address, its own cookie jar (the session
// cookie as the balancer rewrote it, "s2~ID_TRACK").
class Browser {
  constructor(port, number) {
    this.port = port;
    this.address = `127.0.1.${number}`;
    this.agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
    this.cookie = "";
    this.instance = "";     // the instance that holds the session
    this.instances = [];    // every instance that answered
    this.id = "";
  }

  // Resolves to { status, body, instance }; rejects when no answer came within TIMEOUT_MS.
  request(method, target, body, address = this.address) {
    counts.requests += 1;
    const headers = { "User-Agent": USER_AGENT, "Accept-Language": "en" };
    if (this.cookie) headers.Cookie = `${COOKIE}=${this.cookie}`;
    if (body !== undefined) headers["Content-Type"] = "application/x-www-form-urlencoded; charset=UTF-8";
    const agent = address === this.address ? this.agent : undefined;
    return new Promise((resolve, reject) => {
      const req = http.request({ host: "127.0.0.1", port: this.port, method, path: target, headers, agent,
                                 localAddress: address }, (res) => {
        const chunks = [];
        res.on("data", (chunk) => chunks.push(chunk));
        res.on("end", () => {
          counts.answered += 1;
          for (const line of res.headers["set-cookie"] || []) this.takeCookie(line);
          const instance = String(res.headers["x-kx-instance"] || "");
          this.instances.push(instance);
          resolve({ status: res.statusCode, body: Buffer.concat(chunks).toString("utf8"), instance });
        });
        res.on("error", reject);
      });
      req.setTimeout(TIMEOUT_MS, () => req.destroy(new Error(`${method} ${target}: no answer within ${TIMEOUT_MS} ms`)));
      req.on("error", reject);
      req.end(body);
    });
  }

  takeCookie(line) {
    const [pair, ...attributes] = line.split(";");
    if (!pair.startsWith(`${COOKIE}=`)) return;
    const value = pair.slice(COOKIE.length + 1);
    const expired = attributes.some((a) => /^\s*expires=.*1970/i.test(a));
    this.cookie = expired || value.endsWith("~") || value === "" ? "" : value;
  }

  // The track id the session cookie carries, as the client script keeps it.
  track() {
    return this.cookie.slice(this.cookie.lastIndexOf("_") + 1);
  }

  // A request whose answer must be 200 and match expected.
  async step(method, target, body, expected) {
    const reply = await this.request(method, target, body);
    assert.equal(reply.status, 200, `${method} ${target} from ${this.address}: ${reply.body.slice(0, 300)}`);
    assert.match(reply.body, expected, `${method} ${target} from ${this.address}`);
    return reply;
  }

  // A new session on the main form: start page, start check, start post, main form.
  async open() {
    const start = await this.step("GET", "/", undefined, /KX_SessionID_=[^&"]+/);
    this.id = /KX_SessionID_=([^&"]+)/.exec(start.body)[1];
    this.instance = start.instance;
    this.instances = [start.instance];
    const fields = `KX_width=1024&KX_height=768&KX_SessionID_=${encodeURIComponent(this.id)}&KX_TrackID_=1`;
    await this.step("GET", `/$/StartCheck?KX_AjaxID=${Date.now()}&${fields}`, undefined, /name="KX_SessionID_"/);
    await this.step("POST", "/", fields, /location\.replace/);
    await this.step("GET", "/$/", undefined, /id="EDIT1"/);
    assert.ok(this.cookie.startsWith(`${this.instance}~`), `the cookie ${this.cookie} names ${this.instance}`);
    return this.id;
  }

  callbackRequest(text) {
    const query = `callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=${Date.now()}&KX_TrackID_=${this.track()}`;
    return this.request("POST", `/$/callback?${query}`,
                        `EDIT1=${encodeURIComponent(text)}&KX_SessionID_=${encodeURIComponent(this.id)}`);
  }

  // The click on BUTTON2 with text in EDIT1: the answer puts that text into LABEL1.
  async callback(text) {
    const reply = await this.callbackRequest(text);
    assert.equal(reply.status, 200, `callback of ${this.address}: ${reply.body.slice(0, 300)}`);
    const label = /<control id="LABEL1" type="KXLABEL">\s*<innerhtml><!\[CDATA\[([^\]]*)\]\]>/.exec(reply.body);
    assert.equal(label && label[1], text, `the answer carries this session's text: ${reply.body.slice(0, 300)}`);
    return reply;
  }

  // Every answer so far came from the session's instance.
  assertSticky() {
    assert.deepEqual([...new Set(this.instances)], [this.instance], `the answers of ${this.address}`);
  }

  close() {
    this.agent.destroy();
  }
}

// Text of the error page as the browser reads it: the page writes characters as "&#NN;".
function decodeEntities(text) {
  return text.replace(/&#(\d+);/g, (_, code) => String.fromCharCode(Number(code)));
}

function tally(browsers) {
  const perInstance = {};
  for (const b of browsers) perInstance[b.instance] = (perInstance[b.instance] || 0) + 1;
  return perInstance;
}

function describeTally(perInstance) {
  return Object.keys(perInstance).sort().map((name) => `${name} ${perInstance[name]}`).join(", ");
}

// The process folders (named like a ProcessID, "<stamp>_<pid in base 36>") in folder, by process id.
function processFolders(folder) {
  const folders = {};
  for (const name of fs.readdirSync(folder)) {
    const match = /^[0-9a-z]{10,}_([0-9a-z]+)$/.exec(name);
    if (match && fs.existsSync(path.join(folder, name, ".kx-process"))) folders[parseInt(match[1], 36)] = name;
  }
  return folders;
}

const skip = !balancer.HAPROXY ? "haproxy is not installed" : !DEMO ? "KX_DEMO is not set" : false;

test("three instances behind HAProxy: sticky sessions, draining, a killed instance", { skip, timeout: 180000 },
     async (t) => {
  const tmp = balancer.tempFolder("kx-deploy-");
  const instances = [];
  let front;
  const browsers = [];
  try {
    for (let i = 0; i < 3; i++) instances.push(await balancer.startInstance(DEMO, { env: { TMPDIR: tmp } }));
    const names = instances.map((_, i) => `s${i + 1}`);
    // One TMPDIR, three folders: one per process, each marked as its own.
    const folders = processFolders(tmp);
    assert.deepEqual(Object.keys(folders).map(Number).sort(), instances.map((i) => i.pid).sort(), "one cache folder each");

    front = await balancer.startBalancer({ backends: instances.map((inst, i) => ({ name: names[i], port: inst.port })),
                                           cookieName: COOKIE });

    // 30 sessions at once, each with its callbacks.
    for (let n = 1; n <= SESSIONS; n++) browsers.push(new Browser(front.port, n));
    const began = performance.now();
    await Promise.all(browsers.map(async (b, n) => {
      await b.open();
      for (let k = 1; k <= CALLBACKS; k++) await b.callback(`session ${n + 1} text ${k}`);
    }));
    const openSeconds = (performance.now() - began) / 1000;
    const spread = tally(browsers);
    for (const b of browsers) b.assertSticky();
    assert.deepEqual(Object.keys(spread).sort(), names, "every instance holds sessions");
    assert.equal(new Set(browsers.map((b) => b.id)).size, SESSIONS, "30 sessions of their own");
    t.diagnostic(`${SESSIONS} sessions in ${openSeconds.toFixed(2)} s, ${4 + CALLBACKS} requests each: ` +
                 describeTally(spread));

    // Draining s3: new sessions go to the others; s3's own sessions go on.
    await front.setState("s3", "drain");
    await front.waitFor("s3", /^DRAIN/);
    const late = [];
    for (let n = 1; n <= LATE_SESSIONS; n++) late.push(new Browser(front.port, SESSIONS + n));
    await Promise.all(late.map((b) => b.open()));
    assert.ok(late.every((b) => b.instance !== "s3"), `no new session on the draining s3: ${describeTally(tally(late))}`);
    const drained = browsers.filter((b) => b.instance === "s3");
    await Promise.all(drained.map((b, n) => b.callback(`drained ${n}`)));
    drained.forEach((b) => b.assertSticky());
    await front.setState("s3", "ready");
    await front.waitFor("s3", /^UP/);
    browsers.push(...late);
    t.diagnostic(`s3 draining: ${LATE_SESSIONS} new sessions on ${describeTally(tally(late))}, ` +
                 `its ${drained.length} sessions answered by s3`);

    // The same-address check sees the client behind the balancer: the session's cookie from another address fails.
    const probe = new Browser(front.port, 200);
    await probe.open();
    const stolen = await probe.request("POST", "/$/", `KX_Action=BUTTON1&KX_ActionParam=&EDIT1=x&KX_SessionID_=${probe.id}` +
                                       `&KX_TrackID_=${probe.track()}`, "127.0.1.201");
    assert.equal(stolen.status, 500);
    assert.match(stolen.body, /<title>KXDemo - Security check failed<\/title>/);
    assert.equal(stolen.instance, probe.instance, "the balancer kept the request on the session's instance");
    probe.close();

    // s2 dies. Its sessions' next request reaches another instance, which does not know them.
    const victim = instances[1];
    const killedAt = performance.now();
    await victim.kill();
    const markedDown = front.waitFor("s2", /^DOWN/).then(() => (performance.now() - killedAt) / 1000);
    markedDown.catch(() => {});  // awaited below; a failure before that must not leave it unhandled
    const dead = browsers.filter((b) => b.instance === "s2");
    const living = browsers.filter((b) => b.instance !== "s2");
    const requestsBefore = counts.requests;
    await Promise.all([
      ...dead.map(async (b) => {
        const reply = await b.callbackRequest("after the kill");
        assert.equal(reply.status, 500, reply.body.slice(0, 300));
        assert.match(reply.body, /<title>KXDemo - Invalid session<\/title>/);
        assert.equal(decodeEntities((/<p class="session">([^<]*)<\/p>/.exec(reply.body) || [])[1] || ""), b.id,
                     "the page names the session");
        const link = /<a href="([^"]*)">Restart the application<\/a>/.exec(reply.body);
        assert.ok(link, "the page has the restart link");
        const restart = decodeEntities(link[1]);
        assert.equal(restart, "/$/start");
        assert.notEqual(reply.instance, "s2");
        assert.equal(b.cookie, "", "the session cookie is removed");
        // The restart link, then a new session on an instance that lives.
        await b.step("GET", restart, undefined, /<script/);
        await b.open();
        assert.notEqual(b.instance, "s2");
        await b.callback("started again");
        b.assertSticky();
      }),
      ...living.map(async (b, n) => {
        await b.callback(`still here ${n}`);
        b.assertSticky();
      }),
    ]);
    const recoverySeconds = (performance.now() - killedAt) / 1000;
    const downSeconds = await markedDown;
    assert.equal(counts.answered, counts.requests, "every request was answered");
    t.diagnostic(`s2 killed with ${dead.length} sessions: each got the invalid-session page and started again on ` +
                 `${describeTally(tally(dead))}; the other ${living.length} went on on their instances; ` +
                 `${counts.requests - requestsBefore} requests in ${recoverySeconds.toFixed(2)} s, ` +
                 `s2 marked DOWN after ${downSeconds.toFixed(2)} s`);

    // The dead instance left its folder; its replacement on the same port removes that one and no other.
    const before = processFolders(tmp);
    assert.ok(before[victim.pid], "the killed instance's folder is still there");
    const replacement = await balancer.startInstance(DEMO, { args: ["--port", String(victim.port)], env: { TMPDIR: tmp } });
    instances[1] = replacement;
    const after = processFolders(tmp);
    assert.deepEqual(Object.keys(after).map(Number).sort(), instances.map((i) => i.pid).sort());
    for (const inst of [instances[0], instances[2]]) assert.equal(after[inst.pid], before[inst.pid]);
    await front.waitFor("s2", /^UP/);
    const comeback = [];
    for (let n = 1; n <= 6; n++) comeback.push(new Browser(front.port, 210 + n));
    await Promise.all(comeback.map((b) => b.open()));
    assert.ok(comeback.some((b) => b.instance === "s2"), `a new session on s2 again: ${describeTally(tally(comeback))}`);
    browsers.push(...comeback);
    assert.equal(counts.answered, counts.requests, "every request was answered");
    t.diagnostic(`s2 back on its port: new sessions on ${describeTally(tally(comeback))}; ` +
                 `${counts.requests} requests in all, ${counts.answered} answered`);

    // A clean stop removes each instance's own folder.
    for (const inst of instances) assert.deepEqual(await inst.stop(), { code: 0, signal: null }, inst.stderr());
    assert.deepEqual(processFolders(tmp), {}, "no cache folder left");
  } finally {
    for (const b of browsers) b.close();
    if (front) await front.stop();
    for (const inst of instances) await inst.stop();
    fs.rmSync(tmp, { recursive: true, force: true });
  }
});
