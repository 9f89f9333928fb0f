// An expired session in chromium: the demo runs with a session timeout of one minute; after a little more than
// that without a request, the next click shows the session-timeout page, whose restart link starts a new session
// on the main form. A file of its own, so that its wait runs beside the other browser tests. The demo is reached
// as http://kx.test:PORT/ (mapped to 127.0.0.1), a name that is no trustworthy origin: the browser says nothing of
// where the restart link's request comes from, and the link still starts afresh.
"use strict";

const assert = require("node:assert/strict");
const { after, before, describe, test } = require("node:test");
const h = require("./harness");
const d = require("./demo");

// One minute of timeout, judged when the next request looks the session up, plus a margin for clock steps.
const IDLE_MS = 62000;

describe("an expired session in chromium", () => {
  let demo;
  let browser;

  before(async () => {
    demo = await h.startDemo(["--session-timeout", "1"]);
    browser = await h.launchBrowser(["--host-resolver-rules=MAP kx.test 127.0.0.1"]);
  });

  after(async () => {
    await h.closeBrowser(browser);
    if (demo) {
      const status = await demo.stop();
      assert.deepEqual(status, { code: 0, signal: null }, `the demo's exit; its log:\n${demo.stderr()}`);
    }
  });

  test("the session-timeout page appears and its restart link starts a new session", { timeout: IDLE_MS + 60000 },
       () => h.withPage(browser, "session timeout", async (tp) => {
    await d.firstVisit(tp, demo.url.replace("127.0.0.1", "kx.test"));
    await tp.page.fill(d.MAIN.edit, "before the timeout");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "before the timeout");
    const { appID } = await d.sessionState(tp.page);

    await h.delay(IDLE_MS);
    const expired = await d.clickAndLoadPage(tp, d.MAIN.submit);
    // The framework answers every exception page with 500.
    tp.allowStatus(500, new RegExp(`^${expired.url.replace(/[.*+?^${}()|[\]\\]/g, "\\$&")}$`));
    assert.match(await tp.page.title(), /Session expired$/);
    assert.equal((await tp.page.textContent(".message")).trim(), "Your session has expired due to inactivity.");
    assert.match(await tp.page.textContent(".specific"), /The current session timeout value is 1 minute\./);
    assert.equal((await tp.page.textContent(".session")).trim(), appID, "the page names the expired session");
    await tp.screenshot("session timeout page");

    await tp.page.getByRole("link", { name: "Restart the application", exact: true }).click();
    await tp.page.waitForSelector(d.MAIN.edit);
    await tp.page.waitForLoadState("load");
    assert.ok(d.mainFrameNavigations(tp).some((r) => /\/\$\/start$/i.test(new URL(r.url).pathname)),
              "the link went to the start page");
    const restarted = await d.sessionState(tp.page);
    assert.notEqual(restarted.appID, appID, "a new session");
    assert.notEqual(await d.textOf(tp.page, d.MAIN.label), "before the timeout", "a new main form");
    await tp.screenshot("restarted");
  }));
});
