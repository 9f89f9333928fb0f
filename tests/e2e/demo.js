// The demo application as the browser tests see it: the element ids of its forms, the steps a user takes, a suite's
// demo and browser (demoSuite) and a gallery page opened by its caption.
//
// TMainForm: EDIT1 (a TKXEdit), MEMO1, LABEL1, BUTTON1 (a full submit that copies EDIT1's text into LABEL1),
// BUTTON2 (an asynchronous click that does the same by callback), BUTTON3 (shows a message box: an alert or the
// framework's message form), BUTTON4 (shows TSecondForm). TSecondForm: BUTTONBACK (closes it, back to the main form
// as it was). A callback posts only its sender's value, so EDIT1 has an OnAsyncChange handler: the click on
// BUTTON2 takes the focus from the edit, whose change callback then carries its text to the server ahead of
// BUTTON2's.
"use strict";

const assert = require("node:assert/strict");
const { after, before, test } = require("node:test");
const h = require("./harness");

const MAIN = {
  edit: "#EDIT1", memo: "#MEMO1", label: "#LABEL1",
  submit: "#BUTTON1", async: "#BUTTON2", message: "#BUTTON3", second: "#BUTTON4",
};
const SECOND = { back: "#BUTTONBACK" };
// The framework's own message form (a same-window message box): its "Ok" button.
const MESSAGE_OK = "#BUTNOK";

// The text a label shows, with non-breaking spaces as spaces.
async function textOf(page, selector) {
  return (await page.textContent(selector)).replace(/\u00a0/g, " ");
}

async function waitForText(page, selector, text) {
  await page.waitForFunction(([sel, expected]) => {
    const element = document.querySelector(sel);
    return !!element && element.textContent.replace(/\u00a0/g, " ") === expected;
  }, [selector, text]);
}

// The user's first visit: the application's address, then whatever the start check leads to.
async function firstVisit(tp, url) {
  await tp.page.goto(url);
  await tp.page.waitForSelector(MAIN.edit);
  await tp.page.waitForLoadState("load");
}

// The page's session id and track id (the page globals of the client scripts).
async function sessionState(page) {
  return page.evaluate(() => ({ appID: window.GAppID, trackID: window.GTrackID }));
}

function mainFrameNavigations(tp) {
  return tp.requests.filter((r) => r.navigation);
}

// Marks the window and the element id with a token that only this document carries.
async function markDocument(page, id) {
  await page.evaluate((elementId) => {
    window.kxTestMark = "marked";
    document.getElementById(elementId).kxTestMark = "marked";
  }, id);
}

// Clicks selector and waits until a new document (a full page load after a posted form) is complete; returns the
// navigation request that brought it.
async function clickAndLoadPage(tp, selector) {
  const before = mainFrameNavigations(tp).length;
  await tp.page.evaluate(() => { window.kxTestMark = "marked"; });
  await tp.page.click(selector);
  await tp.page.waitForFunction(() => window.kxTestMark !== "marked" && document.readyState === "complete");
  const navigations = mainFrameNavigations(tp).slice(before);
  assert.ok(navigations.length >= 1, `clicking ${selector} loaded a new page`);
  return navigations[0];
}

// Clicks selector, waits until the element label shows text, and checks that no page was loaded or rewritten on
// the way: the window and the edit still carry their marks, no navigation request went out, a callback did.
async function clickAsyncAndWait(tp, selector, label, text) {
  const navigationsBefore = mainFrameNavigations(tp).length;
  const requestsBefore = tp.requests.length;
  await markDocument(tp.page, MAIN.edit.slice(1));
  await tp.page.click(selector);
  await waitForText(tp.page, label, text);
  const marks = await tp.page.evaluate((id) => [window.kxTestMark, document.getElementById(id).kxTestMark],
                                       MAIN.edit.slice(1));
  assert.deepEqual(marks, ["marked", "marked"], "the page was neither loaded nor rewritten");
  assert.equal(mainFrameNavigations(tp).length, navigationsBefore, "no navigation");
  const callbacks = tp.requests.slice(requestsBefore).filter((r) => /\/callback\?/.test(r.url));
  assert.ok(callbacks.length >= 1, "a callback request went out");
}

// The track id a request carried (KX_TrackID_ in its query or posted form), as a number; NaN when none.
function postedTrackID(request) {
  const fromQuery = new URL(request.url).searchParams.get("KX_TrackID_");
  const fromBody = new URLSearchParams(request.postData).get("KX_TrackID_");
  const text = fromQuery || fromBody;
  return text ? parseInt(text, 36) : NaN;
}

// The controls the page draws over one another, as "ID / ID" pairs in page order (an element without an id by its
// tag): the elements placed absolutely on the page itself (the form's controls, and the labels beside its
// wrapper), shown and of some size, whose boxes share more than an edge. A container's own controls are its affair.
async function overlappingControls(page) {
  return page.evaluate(() => {
    const drawn = Array.from(document.body.querySelectorAll("*")).filter((e) => {
      const style = getComputedStyle(e);
      if (e.offsetParent !== document.body || style.position !== "absolute" || style.visibility === "hidden") return false;
      const box = e.getBoundingClientRect();
      return box.width > 0 && box.height > 0;
    }).map((e) => ({ name: e.id || e.tagName, box: e.getBoundingClientRect() }));
    const pairs = [];
    drawn.forEach((a, i) => drawn.slice(i + 1).forEach((b) => {
      const across = Math.min(a.box.right, b.box.right) - Math.max(a.box.left, b.box.left);
      const down = Math.min(a.box.bottom, b.box.bottom) - Math.max(a.box.top, b.box.top);
      if (across >= 1 && down >= 1) pairs.push(`${a.name} / ${b.name}`);
    }));
    return pairs;
  });
}

// Stops demo and checks that it ended cleanly.
async function stopDemo(demo) {
  const status = await demo.stop();
  assert.deepEqual(status, { code: 0, signal: null }, `the demo's exit; its log:\n${demo.stderr()}`);
}

// Called inside a describe block: starts the demo (with demoArgs; none with startDemo false, for a suite that runs
// demos of its own) and the browser (with browserArgs) before the suite's tests, and stops both after them.
// Returns the suite:
// demo and browser (set once started) and flow(name, body, ms), a test of timeout ms (by default timeout) whose
// body(tp) runs in a fresh page (harness withPage).
function demoSuite({ timeout, demoArgs = [], browserArgs = [], startDemo = true }) {
  const suite = {
    demo: undefined,
    browser: undefined,
    flow: (name, body, ms = timeout) => test(name, { timeout: ms }, () => h.withPage(suite.browser, name, body)),
  };
  before(async () => {
    if (startDemo) suite.demo = await h.startDemo(demoArgs);
    suite.browser = await h.launchBrowser(browserArgs);
  });
  after(async () => {
    await h.closeBrowser(suite.browser);
    if (suite.demo) await stopDemo(suite.demo);
  });
  return suite;
}

// The main form at url, then the gallery page whose button carries caption, loaded and showing selector.
async function openGalleryPage(tp, url, caption, selector) {
  await firstVisit(tp, url);
  const button = tp.page.locator(`input[id^="GALLERY"][value="${caption}"]`);
  assert.equal(await button.count(), 1, `the main form has the button "${caption}"`);
  await clickAndLoadPage(tp, `#${await button.getAttribute("id")}`);
  await tp.page.waitForSelector(selector);
  await tp.page.waitForLoadState("load");
  assert.equal(await tp.page.title(), `KXDemo - ${caption}`);
}

module.exports = {
  MAIN, SECOND, MESSAGE_OK, textOf, waitForText, firstVisit, sessionState,
  mainFrameNavigations, clickAndLoadPage, clickAsyncAndWait, postedTrackID, demoSuite, stopDemo, openGalleryPage,
  overlappingControls,
};
