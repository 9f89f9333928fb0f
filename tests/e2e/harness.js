// The browser tests' harness: the demo program on a free port of 127.0.0.1, Debian's chromium driven by
// playwright-core, and one fresh browser context (its own cookies, so its own session) per test.
//
// Every page records its console errors, uncaught exceptions, failed requests, answers with an error status and
// dialogs; a test fails on any JavaScript error, on any error status it did not declare (allowStatus) and on any
// dialog it did not take itself. Screenshots go to the artifacts folder
// ($KX_E2E_ARTIFACTS, by ctest the build folder's "e2e-artifacts"). Every wait is bounded: the demo's start,
// the browser's launch and close, each page action (playwright's default timeout) and each test (its own timeout).
//
// Environment: KX_DEMO (the demo program, required), KX_CHROMIUM (default /usr/bin/chromium), KX_E2E_ARTIFACTS.
"use strict";

const assert = require("node:assert/strict");
const { spawn } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

const resources = path.join(__dirname, "..", "..", "resources");
const { chromium } = require(path.join(resources, "node_modules", "playwright-core"));

const DEMO = process.env.KX_DEMO;
const CHROMIUM = process.env.KX_CHROMIUM || "/usr/bin/chromium";
const ARTIFACTS = process.env.KX_E2E_ARTIFACTS || path.join(os.tmpdir(), "kx-e2e-artifacts");

// Flags of the browser besides the ones playwright adds itself (--headless, --no-sandbox, a fresh
// --user-data-dir in the temporary folder that it deletes on close).
const CHROMIUM_FLAGS = ["--disable-gpu", "--disable-background-networking", "--disable-component-update",
                        "--disable-sync", "--no-first-run", "--disable-quic"];

const DEMO_START_MS = 15000;
const DEMO_STOP_MS = 5000;
const BROWSER_LAUNCH_MS = 30000;
const BROWSER_CLOSE_MS = 10000;
// The default wait of one page action (a click, a navigation, a selector).
const ACTION_MS = 15000;
const VIEWPORT = { width: 1024, height: 700 };

// Every demo process this file started: killed on any way out, so none outlives the test run.
const demos = new Set();
process.on("exit", () => {
  for (const child of demos) child.kill("SIGKILL");
});

// Resolves with value, or rejects with a message naming what took too long.
function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms`)), ms);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

function delay(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Starts the demo program (or another program of the library: they take the same options) on a free port of
// 127.0.0.1 and waits for its "Listening on" line. Returns { url (ends with "/"), pid, stderr(), stop() }.
async function startDemo(extraArgs = [], program = DEMO) {
  assert.ok(program, "KX_DEMO must name the demo program (ctest sets it)");
  const child = spawn(program, ["--port", "0", "--bind", "127.0.0.1", ...extraArgs],
                      { stdio: ["ignore", "pipe", "pipe"] });
  demos.add(child);
  let stdout = "";
  let stderr = "";
  child.stderr.on("data", (chunk) => { stderr += chunk; });
  const exited = new Promise((resolve) => child.once("exit", (code, signal) => resolve({ code, signal })));

  const listening = new Promise((resolve, reject) => {
    child.stdout.on("data", (chunk) => {
      stdout += chunk;
      const match = /^Listening on (http:\/\/127\.0\.0\.1:\d+\/)\n/.exec(stdout);
      if (match) resolve(match[1]);
    });
    child.once("error", reject);
    exited.then(({ code, signal }) =>
      reject(new Error(`the demo ended before it listened (code ${code}, signal ${signal}): ${stderr}`)));
  });
  let url;
  try {
    url = await withTimeout(listening, DEMO_START_MS, "the demo's start");
  } catch (e) {
    child.kill("SIGKILL");
    demos.delete(child);
    throw e;
  }

  return {
    url,
    pid: child.pid,
    stderr: () => stderr,
    // SIGTERM, then SIGKILL when the demo has not ended within DEMO_STOP_MS; resolves with the exit status.
    async stop() {
      if (child.exitCode === null && child.signalCode === null) child.kill("SIGTERM");
      let status;
      try {
        status = await withTimeout(exited, DEMO_STOP_MS, "the demo's stop");
      } catch (e) {
        child.kill("SIGKILL");
        status = await exited;
      }
      demos.delete(child);
      return status;
    },
  };
}

// args: flags beyond CHROMIUM_FLAGS (a host resolver rule, say).
async function launchBrowser(args = []) {
  return chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    chromiumSandbox: false,
    args: [...CHROMIUM_FLAGS, ...args],
    timeout: BROWSER_LAUNCH_MS,
  });
}

async function closeBrowser(browser) {
  if (!browser) return;
  // playwright kills the browser's process when this process exits, should the close itself hang.
  await withTimeout(browser.close(), BROWSER_CLOSE_MS, "the browser's close").catch(() => {});
}

function slug(text) {
  return text.toLowerCase().replace(/[^a-z0-9]+/g, "-").replace(/^-|-$/g, "").slice(0, 80);
}

// One test's browser context with its page, recording everything that went wrong in it.
class TestPage {
  constructor(context, page, name) {
    this.context = context;
    this.page = page;
    this.name = slug(name);
    this.errors = [];     // JavaScript errors (console errors, uncaught exceptions) and failed requests
    this.statuses = [];   // answers with a status of 400 or more: { status, method, url }
    this.allowed = [];    // the error statuses the test expects: { status, url (a RegExp) }
    this.dialogs = [];    // dialogs not yet taken by the test: { type, message }
    this.requests = [];   // every request: { method, url, postData, navigation }
    this.shots = 0;
    this.watch(page);
    context.on("page", (popup) => this.watch(popup));
  }

  watch(page) {
    page.on("console", (message) => {
      // The browser reports every answer with an error status on the console as well; those are judged by
      // their status below, so that a test can expect one (the error pages come with 500).
      if (message.type() === "error" && !message.text().startsWith("Failed to load resource:")) {
        const where = message.location();
        this.errors.push(`console error: ${message.text()} (${where.url || page.url()}:${where.lineNumber})`);
      }
    });
    page.on("pageerror", (error) => this.errors.push(`uncaught exception: ${error.stack || error.message}`));
    page.on("response", (response) => {
      if (response.status() >= 400) {
        this.statuses.push({ status: response.status(), method: response.request().method(), url: response.url() });
      }
    });
    page.on("requestfailed", (request) => {
      // A navigation or request that a newer navigation replaced is aborted; that is no failure.
      const reason = request.failure() ? request.failure().errorText : "";
      if (reason !== "net::ERR_ABORTED") {
        this.errors.push(`request failed: ${request.method()} ${request.url()} ${reason}`);
      }
    });
    page.on("dialog", (dialog) => {
      this.dialogs.push({ type: dialog.type(), message: dialog.message() });
      dialog.accept().catch(() => {});
    });
    page.on("request", (request) => {
      this.requests.push({ method: request.method(), url: request.url(), postData: request.postData() || "",
                           navigation: request.isNavigationRequest() && request.frame() === page.mainFrame() });
    });
  }

  // Saves a screenshot of the page as "<test>-<n>-<label>.png" in the artifacts folder; returns its path.
  async screenshot(label) {
    fs.mkdirSync(ARTIFACTS, { recursive: true });
    const file = path.join(ARTIFACTS, `${this.name}-${++this.shots}-${slug(label)}.png`);
    await this.page.screenshot({ path: file, fullPage: true, timeout: ACTION_MS });
    return file;
  }

  // Takes the oldest dialog not yet taken (waiting up to ms for one); undefined when none came.
  async takeDialog(ms = ACTION_MS) {
    const deadline = Date.now() + ms;
    while (this.dialogs.length === 0 && Date.now() < deadline) await delay(50);
    return this.dialogs.shift();
  }

  // Declares that an answer with this status for a URL matching url (a RegExp) is what the test expects.
  allowStatus(status, url) {
    this.allowed.push({ status, url });
  }

  unexpectedStatuses() {
    return this.statuses.filter((s) => !this.allowed.some((a) => a.status === s.status && a.url.test(s.url)))
                        .map((s) => `${s.status} for ${s.method} ${s.url}`);
  }

  assertClean() {
    assert.deepEqual(this.errors, [], "JavaScript errors on the page");
    assert.deepEqual(this.unexpectedStatuses(), [], "answers with an error status");
    assert.deepEqual(this.dialogs, [], "dialogs the test did not expect");
  }
}

// Runs body(testPage) in a fresh context of browser; afterwards saves a last screenshot (also when the body
// failed, to show where it stopped), closes the context and fails on any JavaScript error or unexpected dialog.
// contextOptions adds to the context's options (ignoreHTTPSErrors for a test certificate, say).
async function withPage(browser, name, body, contextOptions = {}) {
  const context = await browser.newContext({ viewport: VIEWPORT, ...contextOptions });
  context.setDefaultTimeout(ACTION_MS);
  context.setDefaultNavigationTimeout(ACTION_MS);
  const page = await context.newPage();
  const testPage = new TestPage(context, page, name);
  let failure;
  try {
    await body(testPage);
  } catch (e) {
    failure = e;
  }
  await testPage.screenshot(failure ? "failed" : "last").catch(() => {});
  await withTimeout(context.close(), BROWSER_CLOSE_MS, "the context's close").catch(() => {});
  if (failure) {
    const noted = [...testPage.errors, ...testPage.unexpectedStatuses()];
    if (noted.length) failure.message += `\nOn the page besides:\n  ${noted.join("\n  ")}`;
    throw failure;
  }
  testPage.assertClean();
}

// True when the page shows content of its own: the start page's body holds nothing but its script, so this turns
// true once the start check's answer replaced it (or the browser went on to another page).
function pageHasContent() {
  return !!document.body && document.body.querySelector(":not(script)") !== null;
}

module.exports = {
  ACTION_MS, VIEWPORT, delay, startDemo, launchBrowser, closeBrowser, withPage, withTimeout, pageHasContent,
};
