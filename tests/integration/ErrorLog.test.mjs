// The operator's view of failures: a program started by RunStandAlone writes one line to standard error for each
// exception that ends in an error page or an alert, with the session, the path, the class and the message: at level
// "error" followed by the stack for a fault of the application, at level "warning" alone for what a client or a
// user caused (a refused browser, a date that is no date, an expired session); none with --quiet-errors.
//   node --test ErrorLog.test.mjs   with KX_FAILING_APP set to the program (tests/programs/FailingApp.cpp)
import test from "node:test";
import assert from "node:assert/strict";
import http from "node:http";
import { spawn } from "node:child_process";

const program = process.env.KX_FAILING_APP;
const agent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

// Starts the program on a free port; resolves to { port, stderr(), stop() }.
function start(args) {
  return new Promise((resolve, reject) => {
    const child = spawn(program, ["--port", "0", ...args], { stdio: ["ignore", "pipe", "pipe"] });
    let errors = "";
    child.stderr.on("data", (chunk) => (errors += chunk));
    child.stdout.on("data", (chunk) => {
      const match = /Listening on http:\/\/127\.0\.0\.1:(\d+)\//.exec(String(chunk));
      if (match) resolve({ port: Number(match[1]), stderr: () => errors, stop: () => child.kill("SIGTERM") });
    });
    child.on("exit", (code) => reject(new Error(`the program ended with ${code}: ${errors}`)));
  });
}

function request(port, cookie, method, path, body, userAgent = agent) {
  const headers = { "User-Agent": userAgent };
  if (cookie.value) headers.Cookie = cookie.value;
  if (body !== undefined) headers["Content-Type"] = "application/x-www-form-urlencoded";
  return new Promise((resolve, reject) => {
    const req = http.request({ host: "127.0.0.1", port, method, path, headers }, (res) => {
      let text = "";
      res.on("data", (chunk) => (text += chunk));
      res.on("end", () => {
        for (const line of res.headers["set-cookie"] || []) if (line.startsWith("KX_")) cookie.value = line.split(";")[0];
        resolve({ status: res.statusCode, body: text });
      });
    });
    req.on("error", reject);
    req.end(body);
  });
}

// Opens a session on the main form as a browser does; its id.
async function openSession(port, cookie) {
  const id = /KX_SessionID_=([^&"]+)/.exec((await request(port, cookie, "GET", "/")).body)[1];
  const fields = `KX_width=1024&KX_height=768&KX_SessionID_=${id}&KX_TrackID_=1`;
  await request(port, cookie, "GET", `/$/StartCheck?KX_AjaxID=1&${fields}`);
  await request(port, cookie, "POST", "/", fields);
  await request(port, cookie, "GET", "/$/");
  return id;
}

// Waits until standard error holds count lines that begin a report, then returns them.
async function errorLines(app, count) {
  const lines = () => app.stderr().split("\n")
    .filter((line) => /^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (error|warning) /.test(line));
  for (let i = 0; i < 100 && lines().length < count; i++) await new Promise((r) => setTimeout(r, 50));
  return lines();
}

test("failing handlers are errors with their stack; a refused client, a bad date, no session are warnings", async () => {
  const app = await start([]);
  try {
    const cookie = {};
    const id = await openSession(app.port, cookie);
    await request(app.port, cookie, "POST", "/$/", `KX_Action=BUTTON1&KX_ActionParam=&KX_SessionID_=${id}&KX_TrackID_=2`);
    await request(app.port, cookie, "POST", "/$/callback?callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=2&KX_TrackID_=3",
                  `KX_SessionID_=${id}`);
    await request(app.port, {}, "GET", "/", undefined, "curl/8.0");
    await request(app.port, cookie, "POST", "/$/",
                  `DUE=2026-02-31&KX_Action=BUTTON3&KX_ActionParam=&KX_SessionID_=${id}&KX_TrackID_=4`);
    await request(app.port, {}, "POST", "/$/callback?callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=3&KX_TrackID_=5",
                  "KX_SessionID_=NoSuchSession");
    const lines = await errorLines(app, 5);
    assert.equal(lines.length, 5, app.stderr());
    const at = (level, path) => `${level} session ${id} POST "/\\$/${path}": `;
    assert.match(lines[0], new RegExp(`${at("error", "")}Exception: The click handler failed on purpose\\.$`));
    assert.match(lines[1], new RegExp(`${at("error", "callback")}EKXException: The callback failed on purpose\\.$`));
    assert.match(lines[2], / warning GET "\/": \w+: Unknown browser type\. User Agent string: curl\/8\.0$/);
    assert.match(lines[3],
                 new RegExp(`${at("warning", "")}EConvertError: '2026-02-31' is not a valid date value for field 'due'$`));
    assert.match(lines[4], / warning .*POST "\/\$\/callback": \w+: /);
    // a fault's stack follows its line, indented, naming the program's own function (kx::kx links it -rdynamic);
    // what a client caused is the line alone. Under the sanitizers their own throw hook comes first, and the
    // handler's frame can sit below the std::function call that runs it: it is among the first three.
    assert.match(app.stderr(),
                 /click handler failed on purpose\.\n( {4}\[[0-9]\] [^\n]*\n){0,2} {4}\[[0-9]\] [0-9A-F]+ .*TFailingForm::BuildComponents/);
    for (const line of lines.slice(2)) {
      const after = app.stderr().split(line + "\n")[1] || "";
      assert.doesNotMatch(after.split("\n")[0], /^ {4}\[\d+\] /, `a stack after: ${line}`);
    }
  } finally {
    app.stop();
  }
});

// A forged action wrote an error with its stack, and each line held the whole User-Agent (65 KB a request).
test("a forged action is a warning alone; a 65 KB user agent writes a line of a few KB", async () => {
  const app = await start([]);
  try {
    const cookie = {};
    const id = await openSession(app.port, cookie);
    await request(app.port, cookie, "POST", "/$/", `KX_Action=NOSUCH&KX_ActionParam=&KX_SessionID_=${id}&KX_TrackID_=2`);
    await request(app.port, {}, "GET", "/", undefined, "curl/" + "x".repeat(65000));
    const lines = await errorLines(app, 2);
    assert.equal(lines.length, 2, app.stderr());
    assert.match(lines[0],
                 new RegExp(`warning session ${id} POST "/\\$/": EKXSubmitRefused: Cannot find submit component\\.$`));
    // the user agent's head and tail, around what was cut
    assert.match(lines[1], / warning GET "\/": \w+: Unknown browser type\. User Agent string: curl\/x+ /);
    assert.match(lines[1], /x \[\.\.\. \d+ bytes cut \.\.\.\] x+$/);
    assert.ok(lines[1].length < 2048, `${lines[1].length} bytes`);
    assert.ok(app.stderr().length < 8192, `${app.stderr().length} bytes on standard error`);
  } finally {
    app.stop();
  }
});

test("--quiet-errors writes none", async () => {
  const app = await start(["--quiet-errors"]);
  try {
    await request(app.port, {}, "GET", "/", undefined, "curl/8.0");
    await new Promise((r) => setTimeout(r, 300));
    assert.deepEqual(await errorLines(app, 0), [], app.stderr());
  } finally {
    app.stop();
  }
});
