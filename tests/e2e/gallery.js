// The browser tests of the demo's gallery pages: the demo and chromium for a suite, and a gallery page opened from
// the main form's button that carries its caption.
"use strict";

const assert = require("node:assert/strict");
const { after, before, test } = require("node:test");
const h = require("./harness");
const d = require("./demo");

// Stops demo and checks that it ended cleanly.
async function stopDemo(demo) {
  const status = await demo.stop();
  assert.deepEqual(status, { code: 0, signal: null }, `the demo's exit; its log:\n${demo.stderr()}`);
}

// Called inside a describe block: starts the demo (with demoArgs; none with startDemo false, for a suite that runs
// demos of its own) and the browser before the suite's tests, and stops both after them. Returns the suite:
// demo and browser (set once started) and flow(name, body, ms), a test of timeout ms (by default timeout) whose
// body(tp) runs in a fresh page (harness withPage).
function gallerySuite({ timeout, demoArgs = [], startDemo = true }) {
  const suite = {
    demo: undefined,
    browser: undefined,
    flow: (name, body, ms = timeout) => test(name, { timeout: ms }, () => h.withPage(suite.browser, name, body)),
  };
  before(async () => {
    if (startDemo) suite.demo = await h.startDemo(demoArgs);
    suite.browser = await h.launchBrowser();
  });
  after(async () => {
    await h.closeBrowser(suite.browser);
    if (suite.demo) await stopDemo(suite.demo);
  });
  return suite;
}

// The main form at url, then the gallery page whose button carries caption, loaded and showing selector.
async function openGalleryPage(tp, url, caption, selector) {
  await d.firstVisit(tp, url);
  const button = tp.page.locator(`input[id^="GALLERY"][value="${caption}"]`);
  assert.equal(await button.count(), 1, `the main form has the button "${caption}"`);
  await d.clickAndLoadPage(tp, `#${await button.getAttribute("id")}`);
  await tp.page.waitForSelector(selector);
  await tp.page.waitForLoadState("load");
  assert.equal(await tp.page.title(), `KXDemo - ${caption}`);
}

module.exports = { gallerySuite, openGalleryPage, stopDemo };
