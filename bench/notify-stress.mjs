// The driver of bench/notify-stress.sh: SESSIONS browser sessions at once on the demo's "Long jobs" page, each in
// a browser context of its own (its own cookies, so its own session), each running the two-second job ROUNDS times
// one after another: click "Run a two-second job", wait for "Notified after run N" and the veil to go, click again.
//   node bench/notify-stress.mjs URL
// Settings from the environment: SESSIONS (8), ROUNDS (10), WAIT_MS (45000: the longest a round may take),
// KX_CHROMIUM (/usr/bin/chromium), VERBOSE (1: a line per round).
//
// Per round it times, as the browser saw them, the job's answer and the notifier's callback ("DoOnNotify", which
// the browser sends after the job's answer): the notification's wait is the time from the job's answer to the
// notifier's answer, split into the client's part (answer to sending) and the server's (sending to answer). It
// prints the sessions and rounds run, the longest waits, how many exceeded 100 ms and 1 s, and the rounds that
// failed (no notification within WAIT_MS). A healthy wait is a few milliseconds.
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath } from "node:url";

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));
const { chromium } = require(path.join(here, "..", "resources", "node_modules", "playwright-core"));

const url = process.argv[2];
const sessions = Number(process.env.SESSIONS || 8);
const rounds = Number(process.env.ROUNDS || 10);
const waitMs = Number(process.env.WAIT_MS || 45000);
const verbose = process.env.VERBOSE === "1";

const waits = [];  // { session, round, total, client, server }
let failed = 0;

async function runSession(browser, index) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 700 } });
  const page = await context.newPage();
  page.setDefaultTimeout(waitMs);
  const events = [];  // { name, phase, at } of every callback
  page.on("request", (request) => {
    const name = /callback=([^&]+)/.exec(request.url());
    if (name) events.push({ name: decodeURIComponent(name[1]), phase: "sent", at: Date.now() });
  });
  page.on("response", (response) => {
    const name = /callback=([^&]+)/.exec(response.url());
    if (name) events.push({ name: decodeURIComponent(name[1]), phase: "answered", at: Date.now() });
  });
  try {
    await page.goto(url);
    await page.waitForSelector("#EDIT1");
    const button = page.locator('input[id^="GALLERY"][value="Long jobs"]');
    await button.click();
    await page.waitForSelector("#BUTTONJOB");
    await page.waitForLoadState("load");
    for (let round = 1; round <= rounds; ++round) {
      const from = events.length;
      await page.click("#BUTTONJOB");
      try {
        await page.waitForFunction((n) => {
          const label = document.getElementById("LABELNOTIFY");
          return label && label.textContent.startsWith(`Notified after run ${n}:`);
        }, round, { timeout: waitMs, polling: 20 });
        await page.locator("#ProgressIndicatorBox").waitFor({ state: "hidden" });
      } catch (e) {
        failed += 1;
        console.log(`session ${index} round ${round}: no notification within ${waitMs} ms`);
        break;
      }
      const at = (name, phase) => events.slice(from).find((e) => e.name === name && e.phase === phase)?.at;
      const job = at("BUTTONJOB.DoOnAsyncClick", "answered");
      const notifySent = at("NOTIFIER1.DoOnNotify", "sent");
      const notified = at("NOTIFIER1.DoOnNotify", "answered");
      const wait = { session: index, round, total: notified - job, client: notifySent - job,
                     server: notified - notifySent };
      waits.push(wait);
      if (verbose || wait.total > 1000)
        console.log(`session ${index} round ${round}: wait ${wait.total} ms ` +
                    `(client ${wait.client}, server ${wait.server})`);
    }
  } catch (e) {
    failed += 1;
    console.log(`session ${index}: ${e.message.split("\n")[0]}`);
  } finally {
    await context.close().catch(() => {});
  }
}

const browser = await chromium.launch({
  executablePath: process.env.KX_CHROMIUM || "/usr/bin/chromium",
  headless: true,
  chromiumSandbox: false,
  args: ["--disable-gpu", "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-first-run", "--disable-quic"],
});
const started = Date.now();
await Promise.all(Array.from({ length: sessions }, (_, i) => runSession(browser, i + 1)));
await browser.close();

const totals = waits.map((w) => w.total).sort((a, b) => b - a);
const longest = waits.reduce((a, w) => (a && a.total >= w.total ? a : w), null);
console.log(`sessions ${sessions}, rounds ${rounds} each: ${waits.length} notifications timed, ${failed} failed, ` +
            `${((Date.now() - started) / 1000).toFixed(1)} s`);
if (longest) {
  console.log(`longest wait for a notification: ${longest.total} ms (client ${longest.client} ms, server ` +
              `${longest.server} ms; session ${longest.session}, round ${longest.round})`);
  const over = (ms) => totals.filter((t) => t > ms).length;
  console.log(`median ${totals[Math.floor(totals.length / 2)]} ms; over 100 ms: ${over(100)}; over 1 s: ${over(1000)}`);
}
process.exit(failed > 0 || (longest && longest.total > 1000) ? 1 : 0);
