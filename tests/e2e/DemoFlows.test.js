// The demo application in chromium as a user drives it: first visit, full submits, callbacks, a message box, a
// second form, many clicks and a reload, each in a session of its own (demo.js names the controls they use).
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 60000;
// Text with markup characters, quotes and characters beyond ASCII: it must come back as the same text.
const TRICKY = "Tom & Jerry <b>bold</b> \"quoted\" 'single' \u00fc\u20ac";

describe("the demo application in chromium", () => {
  // Each test in a fresh browser context (so a session of its own).
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;

  flow("the first visit lands on the main form, laid out as a form", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const { appID } = await d.sessionState(tp.page);
    assert.match(appID, /^[A-Za-z0-9~-]+$/, "the page knows its session");
    const cookies = await tp.page.context().cookies();
    assert.ok(cookies.some((c) => c.value.startsWith(appID)), "the session cookie names the page's session");

    // Every control is shown, inside the window, and none covers another.
    const boxes = [];
    for (const selector of Object.values(d.MAIN)) {
      const box = await tp.page.locator(selector).boundingBox();
      assert.ok(box && box.width > 0 && box.height > 0, `${selector} is shown`);
      assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= h.VIEWPORT.width &&
                box.y + box.height <= h.VIEWPORT.height, `${selector} lies inside the window`);
      boxes.push({ selector, ...box });
    }
    for (let i = 0; i < boxes.length; ++i) {
      for (let j = i + 1; j < boxes.length; ++j) {
        const [a, b] = [boxes[i], boxes[j]];
        const apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
        assert.ok(apart, `${a.selector} and ${b.selector} do not overlap`);
      }
    }
    await tp.screenshot("main form");
  });

  flow("the submit button copies the edit into the label with a full page load", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    await tp.page.fill(d.MAIN.edit, TRICKY);
    await tp.page.fill(d.MAIN.memo, "first line\n  second <line> & more\n\nfourth");
    const navigation = await d.clickAndLoadPage(tp, d.MAIN.submit);
    assert.equal(navigation.method, "POST", "the form was posted");
    await tp.page.waitForSelector(d.MAIN.label);
    assert.equal(await d.textOf(tp.page, d.MAIN.label), TRICKY);
    assert.equal(await tp.page.locator(`${d.MAIN.label} b`).count(), 0, "the text stayed text");
    assert.equal(await tp.page.inputValue(d.MAIN.edit), TRICKY, "the edit keeps its text");
    assert.equal(await tp.page.inputValue(d.MAIN.memo), "first line\n  second <line> & more\n\nfourth",
                 "the memo keeps its lines");
    await tp.screenshot("after submit");
  });

  flow("the async button copies the edit into the label without a page load", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    await tp.page.fill(d.MAIN.edit, TRICKY);
    await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, TRICKY);
    assert.equal(await tp.page.locator(`${d.MAIN.label} b`).count(), 0, "the text stayed text");
    await tp.screenshot("after callback");
  });

  // Clicks made while a callback is awaited wait in the queue; each is sent (the queue once kept only the last).
  flow("three quick clicks on the async button give three callbacks, in order", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const before = (await d.sessionState(tp.page)).trackID;
    const requestsBefore = tp.requests.length;
    await tp.page.evaluate((selector) => {
      const button = document.querySelector(selector);
      for (let i = 0; i < 3; ++i) button.click();
    }, d.MAIN.async);
    await tp.page.waitForFunction((expected) => window.GTrackID === expected && !KX.Ajax.busy &&
                                  KX.Ajax.queue.length === 0, before + 3);
    const callbacks = tp.requests.slice(requestsBefore).filter((r) => /\/callback\?/.test(r.url));
    assert.deepEqual(callbacks.map((r) => new URL(r.url).searchParams.get("callback")),
                     ["BUTTON2.DoOnAsyncClick", "BUTTON2.DoOnAsyncClick", "BUTTON2.DoOnAsyncClick"]);
    assert.deepEqual(callbacks.map(d.postedTrackID), [before, before + 1, before + 2],
                     "each callback carries the track id the answer before it set");
  });

  flow("the message box appears and goes away", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    await tp.page.fill(d.MAIN.edit, "it's \"quoted\" </script>");
    await tp.page.click(d.MAIN.message);
    // The application may show it as an alert or as the framework's message form.
    const deadline = Date.now() + h.ACTION_MS;
    let shown = "";
    while (!shown && Date.now() < deadline) {
      if (tp.dialogs.length) shown = "alert";
      else if (await tp.page.$(d.MESSAGE_OK).catch(() => null)) shown = "form";
      else await h.delay(50);
    }
    assert.ok(shown, "a message box appeared");
    if (shown === "alert") {
      const dialog = await tp.takeDialog();
      assert.equal(dialog.type, "alert");
      assert.ok(dialog.message.includes("it's \"quoted\" </script>"), `the message shows the edit: ${dialog.message}`);
      await tp.page.waitForSelector(d.MAIN.edit);
    } else {
      await tp.page.waitForLoadState("load");
      await tp.screenshot("message form");
      await d.clickAndLoadPage(tp, d.MESSAGE_OK);
      await tp.page.waitForSelector(d.MAIN.edit);
    }
    await tp.screenshot("after the message box");
  });

  flow("the second form opens and closes back to the main form as it was", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    await tp.page.fill(d.MAIN.edit, "kept across forms");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "kept across forms");

    await d.clickAndLoadPage(tp, d.MAIN.second);
    await tp.page.waitForSelector(d.SECOND.back);
    assert.equal(await tp.page.$(d.MAIN.edit), null, "the main form is gone");
    await tp.screenshot("second form");

    await d.clickAndLoadPage(tp, d.SECOND.back);
    await tp.page.waitForSelector(d.MAIN.edit);
    assert.equal(await tp.page.$(d.SECOND.back), null, "the second form is gone");
    assert.equal(await d.textOf(tp.page, d.MAIN.label), "kept across forms");
    assert.equal(await tp.page.inputValue(d.MAIN.edit), "kept across forms");
    await tp.screenshot("back on the main form");
  });

  // Issue 57: another tab of the session opened the second form; a click in the tab still showing the main form
  // once answered success and did nothing.
  flow("a callback from a tab left behind brings that tab to the session's form", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const { appID } = await d.sessionState(tp.page);
    const other = await tp.context.newPage();
    await other.goto(suite.demo.url);
    await other.waitForSelector(d.MAIN.second);
    assert.equal((await d.sessionState(other)).appID, appID, "both tabs show one session");
    await Promise.all([other.waitForNavigation(), other.click(d.MAIN.second)]);
    await other.waitForSelector(d.SECOND.back);

    await tp.page.click(d.MAIN.async);
    await tp.page.waitForSelector(d.SECOND.back);
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
    await tp.screenshot("the tab behind shows the second form");
    await other.close();
  });

  flow("the session survives 40 clicks, past two-digit track ids", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const { appID } = await d.sessionState(tp.page);
    for (let i = 1; i <= 40; ++i) {
      const text = `click ${i}`;
      await tp.page.fill(d.MAIN.edit, text);
      // Full submits and callbacks in turn: both move the track id on.
      if (i % 2) {
        await d.clickAndLoadPage(tp, d.MAIN.submit);
        await d.waitForText(tp.page, d.MAIN.label, text);
      } else {
        await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, text);
      }
    }
    const state = await d.sessionState(tp.page);
    assert.equal(state.appID, appID, "the same session");
    assert.ok(state.trackID >= 36, `the track id ${state.trackID} has two base-36 digits`);
    const posted = tp.requests.map(d.postedTrackID).filter((n) => !Number.isNaN(n));
    assert.ok(posted.length >= 40, "every click posted its track id");
    assert.ok(Math.max(...posted) >= 36, "track ids of two base-36 digits were posted");
    await tp.screenshot("after 40 clicks");
  }, 180000);

  flow("reloading the page keeps the session and its state", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    await tp.page.fill(d.MAIN.edit, "before the reload");
    await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, "before the reload");
    const { appID } = await d.sessionState(tp.page);

    await tp.page.reload();
    await tp.page.waitForSelector(d.MAIN.edit);
    await tp.page.waitForLoadState("load");
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
    assert.equal(await d.textOf(tp.page, d.MAIN.label), "before the reload");
    await tp.screenshot("after reload");
  });
});
