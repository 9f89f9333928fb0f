// The gallery page "Long jobs" in chromium: a job of two seconds runs in a button's callback. Its progress indicator
// covers the page while the callback runs, the monitor polls the session's status value ("/$/QueryStatus") during
// the job and fires its callback once the value reaches 100, and the AJAX notifier the job armed makes the browser
// call back once more after the job's answer (examples/demo/GalleryServices.h).
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 60000;
const CAPTION = "Long jobs";
const PAGE = { job: "#BUTTONJOB", jobLabel: "#LABELJOB", monitor: "#LABELMONITOR", notify: "#LABELNOTIFY" };

// The progress indicator's box ("The job is running...") over its grey veil.
const OVERLAY = "#ProgressIndicatorBox";

// Waits (bounded) until test() holds.
async function waitFor(test, what) {
  const deadline = Date.now() + 10000;
  while (!test()) {
    assert.ok(Date.now() < deadline, `${what}: not within 10 s`);
    await h.delay(50);
  }
}

function callbacksTo(tp, from, name) {
  return tp.requests.slice(from).filter((r) => r.url.includes(`callback=${name}`));
}

describe("the gallery page of long jobs in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });

  suite.flow("the indicator covers the job, the monitor sees it end and the notifier calls back", async (tp) => {
    await d.openGalleryPage(tp, suite.demo.url, CAPTION, PAGE.job);
    const page = tp.page;
    assert.equal(await d.textOf(page, PAGE.monitor), "The monitor waits for the status to reach 100.");
    const before = tp.requests.length;
    await page.evaluate(() => { window.kxTestMark = "marked"; });
    await page.click(PAGE.job);
    // While the callback runs the overlay is shown over the page.
    await page.locator(OVERLAY).waitFor({ state: "visible" });
    assert.equal((await d.textOf(page, "#ProgressText")).trim(), "The job is running...");
    await tp.screenshot("job running");
    await d.waitForText(page, PAGE.jobLabel, "Run 1 of the job is done.");
    await d.waitForText(page, PAGE.monitor, "The monitor saw the status reach 100.");
    await d.waitForText(page, PAGE.notify, "Notified after run 1: the browser called back once more.");
    await page.locator(OVERLAY).waitFor({ state: "hidden" });

    const polls = tp.requests.slice(before).filter((r) => r.url.includes("/$/QueryStatus"));
    assert.ok(polls.length >= 2, `the monitor polled the status during the job (${polls.length} polls)`);
    assert.equal(callbacksTo(tp, before, "MONITOR1.DoOnAsyncEvent").length, 1, "the monitor fired once");
    assert.equal(callbacksTo(tp, before, "NOTIFIER1.DoOnNotify").length, 1, "one notification");
    assert.equal(await page.evaluate(() => window.kxTestMark), "marked", "no page load");

    // A second run: the monitor, turned off by firing, is on again and fires again.
    const second = tp.requests.length;
    await page.click(PAGE.job);
    await d.waitForText(page, PAGE.notify, "Notified after run 2: the browser called back once more.");
    await d.waitForText(page, PAGE.jobLabel, "Run 2 of the job is done.");
    await waitFor(() => callbacksTo(tp, second, "MONITOR1.DoOnAsyncEvent").length === 1, "the monitor fired again");
    await tp.screenshot("job done");
  });
});
