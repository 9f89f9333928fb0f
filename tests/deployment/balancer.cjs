// Instances of a program behind HAProxy on loopback ports, for the deployment tests (tests/deployment/,
// tests/e2e/Balancer.test.js): the configuration docs/DEPLOYMENT.md describes, stickiness on the library's own
// session cookie, health checks on "/$/ping", and the balancer's admin socket to read and set server states.
//
// Environment: KX_HAPROXY (default: haproxy in /usr/sbin, /usr/local/sbin or the PATH). Without it, HAPROXY is ""
// and the tests skip themselves.
"use strict";

const { spawn, execFileSync } = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");

const START_MS = 15000;
const STOP_MS = 5000;

function findHaproxy() {
  if (process.env.KX_HAPROXY) return fs.existsSync(process.env.KX_HAPROXY) ? process.env.KX_HAPROXY : "";
  const folders = ["/usr/sbin", "/usr/local/sbin", ...(process.env.PATH || "").split(":")];
  for (const folder of folders) {
    const file = path.join(folder, "haproxy");
    if (folder && fs.existsSync(file)) return file;
  }
  return "";
}

const HAPROXY = findHaproxy();

// Every child this file started: killed on any way out, so none outlives the test run.
const children = new Set();
process.on("exit", () => {
  for (const child of children) child.kill("SIGKILL");
});

function delay(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Resolves with value, or rejects with a message naming what took too long.
function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms`)), ms);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

// A free TCP port of 127.0.0.1 (free when asked: the balancer binds it a moment later).
function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// A folder of its own in the temporary folder; removed by the caller.
function tempFolder(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A child process with its output kept, its exit awaited, and stop(): SIGTERM, then SIGKILL after STOP_MS.
function watch(child) {
  children.add(child);
  let stdout = "";
  let stderr = "";
  child.stdout.on("data", (chunk) => { stdout += chunk; });
  child.stderr.on("data", (chunk) => { stderr += chunk; });
  const exited = new Promise((resolve) => child.once("exit", (code, signal) => {
    children.delete(child);
    resolve({ code, signal });
  }));
  return {
    child,
    pid: child.pid,
    stdout: () => stdout,
    stderr: () => stderr,
    exited,
    alive: () => child.exitCode === null && child.signalCode === null,
    async stop() {
      if (child.exitCode === null && child.signalCode === null) child.kill("SIGTERM");
      try {
        return await withTimeout(exited, STOP_MS, "the stop");
      } catch (e) {
        child.kill("SIGKILL");
        return exited;
      }
    },
    // Ends it at once, as a crash would: no clean stop, no folder removed.
    async kill() {
      child.kill("SIGKILL");
      return exited;
    },
  };
}

// Starts one instance of program on a free port of 127.0.0.1 ("--port 0") and waits for its "Listening on" line.
// env adds to the environment (a TMPDIR, say). Returns the watched child with its port.
async function startInstance(program, { args = [], env = {} } = {}) {
  const child = spawn(program, ["--port", "0", "--bind", "127.0.0.1", ...args],
                      { stdio: ["ignore", "pipe", "pipe"], env: { ...process.env, ...env } });
  const instance = watch(child);
  const listening = new Promise((resolve, reject) => {
    child.stdout.on("data", () => {
      const match = /^Listening on http:\/\/127\.0\.0\.1:(\d+)\/\n/.exec(instance.stdout());
      if (match) resolve(Number(match[1]));
    });
    child.once("error", reject);
    instance.exited.then(({ code, signal }) =>
      reject(new Error(`${program} ended before it listened (${code}, ${signal}): ${instance.stderr()}`)));
  });
  try {
    instance.port = await withTimeout(listening, START_MS, "the instance's start");
  } catch (e) {
    child.kill("SIGKILL");
    throw e;
  }
  return instance;
}

// A self-signed certificate and its key in one PEM file for the balancer's TLS ("CN=localhost", two days).
function makeCertificate(folder) {
  const key = path.join(folder, "key.pem");
  const cert = path.join(folder, "cert.pem");
  execFileSync("openssl", ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=localhost",
                           "-keyout", key, "-out", cert], { stdio: "ignore" });
  const pem = path.join(folder, "balancer.pem");
  fs.writeFileSync(pem, fs.readFileSync(cert, "utf8") + fs.readFileSync(key, "utf8"), { mode: 0o600 });
  return pem;
}

// The configuration of docs/DEPLOYMENT.md on loopback ports: servers s1..sN with the cookie prefixes s1..sN, health
// checks twice a second (short, so that a test sees a dead instance within a second), and a response header
// naming the instance that answered, which only the tests need.
function configuration({ port, backends, cookieName, socket, pem }) {
  const lines = [
    "global",
    "  maxconn 1024",
    `  stats socket ${socket} mode 600 level admin`,
    "",
    "defaults",
    "  mode http",
    "  timeout connect 2s",
    "  timeout client 30s",
    "  timeout server 30s",
    "  timeout http-request 10s",
    "  option forwardfor",
    "  option redispatch",
    "  retries 2",
    "  retry-on conn-failure empty-response",
    "",
    "frontend web",
    pem ? `  bind 127.0.0.1:${port} ssl crt ${pem}` : `  bind 127.0.0.1:${port}`,
    pem ? "  http-request set-header X-Forwarded-Proto https" : "  http-request set-header X-Forwarded-Proto http",
    "  default_backend app",
    "",
    "backend app",
    "  balance roundrobin",
    `  cookie ${cookieName} prefix`,
    "  option httpchk",
    "  http-check send meth GET uri /$/ping ver HTTP/1.1 hdr Host localhost",
    "  http-check expect string Pong",
    "  default-server check inter 500ms fall 2 rise 2",
    "  http-response set-header X-KX-Instance %[srv_name]",
    ...backends.map((b) => `  server ${b.name} 127.0.0.1:${b.port} cookie ${b.name}`),
    "",
  ];
  return lines.join("\n");
}

// One command to the admin socket; resolves with its whole answer.
function adminCommand(socket, command) {
  return withTimeout(new Promise((resolve, reject) => {
    let answer = "";
    const connection = net.connect({ path: socket }, () => connection.end(`${command}\n`));
    connection.on("data", (chunk) => { answer += chunk; });
    connection.on("end", () => resolve(answer));
    connection.on("error", reject);
  }), START_MS, `the balancer's answer to "${command}"`);
}

// Starts HAProxy in the foreground in front of backends ([{ name, port }]) and waits until every server is UP.
// tls: end TLS at the balancer with a self-signed certificate. Returns { port, url, status(), setState(), waitFor(),
// stop(), log() }.
async function startBalancer({ backends, cookieName, tls = false }) {
  const folder = tempFolder("kx-balancer-");
  const socket = path.join(folder, "admin.sock");
  const port = await freePort();
  const pem = tls ? makeCertificate(folder) : "";
  const file = path.join(folder, "haproxy.cfg");
  fs.writeFileSync(file, configuration({ port, backends, cookieName, socket, pem }));
  const balancer = watch(spawn(HAPROXY, ["-f", file, "-db"], { stdio: ["ignore", "pipe", "pipe"] }));
  const log = () => balancer.stdout() + balancer.stderr();

  // The state of each server: { s1: "UP", s2: "DOWN", s3: "DRAIN" ... } from "show stat".
  async function status() {
    const [header, ...rows] = (await adminCommand(socket, "show stat")).trim().split("\n");
    const columns = header.replace(/^# /, "").split(",");
    const states = {};
    for (const row of rows) {
      const fields = row.split(",");
      const record = Object.fromEntries(columns.map((name, i) => [name, fields[i]]));
      if (record.pxname === "app" && record.svname !== "BACKEND") states[record.svname] = record.status;
    }
    return states;
  }

  // Waits until server name's state matches expected (a RegExp); rejects after ms.
  async function waitFor(name, expected, ms = START_MS) {
    const deadline = Date.now() + ms;
    let last = "";
    while (Date.now() < deadline) {
      if (!balancer.alive()) throw new Error(`the balancer ended: ${log()}`);
      try {
        last = (await status())[name] || "";
        if (expected.test(last)) return last;
      } catch (e) {
        last = e.message;  // the socket is not there yet
      }
      await delay(100);
    }
    throw new Error(`server ${name} is ${last}, not ${expected} after ${ms} ms: ${log()}`);
  }

  try {
    for (const b of backends) await waitFor(b.name, /^UP/);
  } catch (e) {
    balancer.child.kill("SIGKILL");
    fs.rmSync(folder, { recursive: true, force: true });
    throw e;
  }
  return {
    port,
    url: `${tls ? "https" : "http"}://127.0.0.1:${port}/`,
    log,
    status,
    waitFor,
    // "ready", "drain" or "maint" for server name, as an operator says it on the admin socket.
    setState: (name, state) => adminCommand(socket, `set server app/${name} state ${state}`),
    async stop() {
      const result = await balancer.stop();
      fs.rmSync(folder, { recursive: true, force: true });
      return result;
    },
  };
}

module.exports = { HAPROXY, delay, withTimeout, tempFolder, startInstance, startBalancer, configuration };
