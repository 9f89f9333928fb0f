// A tour of the demo in chromium: the main form lists every gallery page as a link, and each page opens with a
// header (its name and a line on what to try), shows every caption whole, draws no control over another but where
// it means to, is photographed into the artifacts folder, and goes back to the main form (examples/demo/Gallery.h).
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const d = require("./demo");

const TEST_MS = 120000;

// The buttons and labels of the page whose text does not fit their box (cut, or wrapped out of it).
async function cutCaptions(page) {
  return page.$$eval('input[type="button"], span[id]', (elements) => elements
    .filter((e) => e.offsetParent !== null && (e.value || e.textContent).trim() !== "")
    .filter((e) => e.tagName === "INPUT" ? e.scrollWidth > e.clientWidth + 1 : e.scrollHeight > e.offsetHeight + 1 &&
                   getComputedStyle(e).overflow !== "visible" || e.scrollWidth > e.offsetWidth + 1 &&
                   getComputedStyle(e).whiteSpace === "nowrap")
    .map((e) => `${e.id}: ${(e.value || e.textContent).trim()}`));
}

// The controls a page draws over one another on purpose, by its caption: a plug-in's note stands over the slot that
// no browser fills.
const MEANT_COVERS = {
  "Editor and media": ["OBJECT1NOTE / OBJECT1_div", "FLASH1NOTE / FLASH1", "MOVIE1NOTE / MOVIE1"],
};

describe("a tour of the demo's gallery in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });

  suite.flow("every page of the list opens with its header, shows whole captions and goes back", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const page = tp.page;
    const items = await page.$$eval('input[id^="GALLERY"]', (buttons) =>
      buttons.map((b) => ({ id: b.id, caption: b.value, look: getComputedStyle(b).borderTopStyle })));
    assert.ok(items.length >= 11, `the list has every page (${items.length})`);
    assert.deepEqual(items.filter((item) => item.look !== "none"), [], "the pages are links, not grey buttons");
    assert.equal(await d.textOf(page, "#HEADING"), "KXDemo");
    assert.deepEqual(await cutCaptions(page), [], "the main form's captions");
    await tp.screenshot("main form");

    for (const item of items) {
      await d.clickAndLoadPage(tp, `#${item.id}`);
      await page.waitForSelector("#BUTTONBACK");
      await page.waitForLoadState("load");
      assert.equal(await page.title(), `KXDemo - ${item.caption}`);
      assert.equal(await d.textOf(page, "#HEADING"), item.caption);
      assert.ok((await d.textOf(page, "#HINT")).length > 20, `${item.caption}: a line on what to try`);
      assert.deepEqual(await cutCaptions(page), [], `${item.caption}: every caption whole`);
      assert.deepEqual(await d.overlappingControls(page), MEANT_COVERS[item.caption] || [],
                       `${item.caption}: no control covers another`);
      await tp.screenshot(item.caption);
      await d.clickAndLoadPage(tp, "#BUTTONBACK");
      await page.waitForSelector(d.MAIN.edit);
    }
  });
});
