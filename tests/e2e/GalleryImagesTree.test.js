// The gallery page "Images, tree and timers" in chromium: the image reports where it was clicked, the image file
// and the image button load the site's pictures and the button swaps to its hot picture and submits, the tree opens
// and closes branches in the browser and keeps them across a submit and a reload, a timer moves the progress bar
// by callbacks, and the modal window blocks the page until a button or its close box closes it.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 60000;
const CAPTION = "Images, tree and timers";
const PAGE = {
  image: "#IMAGE1", clickLabel: "#LABELCLICK", tree: "#TREE1", treeLabel: "#LABELTREE", bar: "#PROGRESS1",
  barCell: "#PROGRESS1_C1", barText: "#PROGRESS1_TEXT", start: "#BUTTONSTART", openModal: "#BUTTONMODAL",
  windowLabel: "#LABELWINDOW", back: "#BUTTONBACK",
};

async function openGalleryPage(tp, url) {
  await d.openGalleryPage(tp, url, CAPTION, PAGE.image);
}

async function visible(page, selector) {
  return page.locator(selector).isVisible();
}

// Waits until the element is shown (or hidden): a toggle's "javascript:" link runs after the click returns.
async function waitShown(page, selector, shown, message) {
  await page.locator(selector).waitFor({ state: shown ? "visible" : "hidden" }).catch(() => {});
  assert.equal(await visible(page, selector), shown, message || `${selector} ${shown ? "shown" : "hidden"}`);
}

describe("the gallery page of images, tree and timers in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;

  flow("clicking the image shows the position clicked", async (tp) => {
    await openGalleryPage(tp, suite.demo.url);
    const loaded = await tp.page.evaluate((sel) => {
      const image = document.querySelector(sel);
      return image.complete && image.naturalWidth;
    }, PAGE.image);
    assert.equal(loaded, 200, "the image came from the server's cache");
    const before = d.mainFrameNavigations(tp).length;
    await tp.page.click(PAGE.image, { position: { x: 155, y: 7 } });
    await d.waitForText(tp.page, PAGE.clickLabel, "Clicked at 155,7");
    assert.ok(d.mainFrameNavigations(tp).length > before, "the click submitted the page");
    await tp.page.waitForLoadState("load");
    await tp.screenshot("image clicked");
  });

  flow("the image file shows the site's logo, the image button lights up and submits", async (tp) => {
    await openGalleryPage(tp, suite.demo.url);
    const loaded = await tp.page.evaluate(() => ["IMAGEFILE1", "IMAGEBUTTON1"].map((id) => {
      const image = document.getElementById(id);
      // An image INPUT tells no decoded size: its box stands for it (a missing picture fails as an error status).
      const width = image.tagName === "IMG" ? image.complete && image.naturalWidth : image.offsetWidth;
      return { tag: image.tagName, src: new URL(image.src).pathname, width };
    }));
    assert.deepEqual(loaded, [{ tag: "IMG", src: "/logo.png", width: 48 },
                              { tag: "INPUT", src: "/images/play.png", width: 48 }]);
    await tp.page.hover("#IMAGEBUTTON1");
    await tp.page.waitForFunction(() => /\/images\/play-hot\.png$/.test(document.getElementById("IMAGEBUTTON1").src));
    await tp.page.mouse.move(0, 0);
    await tp.page.waitForFunction(() => /\/images\/play\.png$/.test(document.getElementById("IMAGEBUTTON1").src));
    for (const expected of ["1 time.", "2 times."]) {
      await d.clickAndLoadPage(tp, "#IMAGEBUTTON1");
      await d.waitForText(tp.page, "#LABELIMAGEBUTTON", `The image button submitted the page ${expected}`);
    }
  });

  flow("tree branches open and close, and stay so after a submit and a reload", async (tp) => {
    await openGalleryPage(tp, suite.demo.url);
    const letter = "#TREE1_letter1";
    assert.equal(await visible(tp.page, "#TREE1_letters"), true);
    assert.equal(await visible(tp.page, letter), false, "Letters starts closed");
    await tp.page.click("#TREE1_plusImg_letters");
    await waitShown(tp.page, letter, true);
    await tp.page.click("#TREE1_minusImg_documents");
    await waitShown(tp.page, "#TREE1_letters", false);
    assert.equal(await visible(tp.page, letter), false);
    await tp.page.click("#TREE1_plusImg_documents");
    await waitShown(tp.page, letter, true, "Letters is still open inside");
    await tp.page.click("#TREE1_plusImg_pictures");
    await waitShown(tp.page, "#TREE1_holiday", true);
    await tp.page.click("#TREE1_minusImg_pictures");
    await waitShown(tp.page, "#TREE1_holiday", false);
    assert.equal(await tp.page.getAttribute("#TREE1_readme a", "title"), "The file's a plain text");

    // A caption submits the page: the expansion goes with it.
    await d.clickAndLoadPage(tp, "#TREE1_letter2 a:last-of-type");
    await d.waitForText(tp.page, PAGE.treeLabel, "Opened To Tom & Jerry <2>.txt");
    assert.equal(await visible(tp.page, letter), true);
    assert.equal(await visible(tp.page, "#TREE1_holiday"), false);

    await tp.page.goto(tp.page.url());
    await tp.page.waitForSelector(PAGE.tree);
    await tp.page.waitForLoadState("load");
    assert.equal(await visible(tp.page, letter), true, "open after the reload");
    assert.equal(await visible(tp.page, "#TREE1_holiday"), false, "closed after the reload");
    await tp.page.click("#TREE1_minusImg_letters");
    await waitShown(tp.page, letter, false);
    await tp.screenshot("tree");
  });

  flow("the timer moves the progress bar by callbacks and stops at 100", async (tp) => {
    await openGalleryPage(tp, suite.demo.url);
    await tp.page.evaluate(() => { window.kxTestMark = "marked"; });
    const requestsBefore = tp.requests.length;
    await tp.page.click(PAGE.start);
    await d.waitForText(tp.page, PAGE.barText, "100%");
    const ticks = tp.requests.slice(requestsBefore).filter((r) => /callback=TIMER1\.DoOnAsyncTimer/.test(r.url));
    assert.ok(ticks.length >= 3, `the bar moved through ${ticks.length} timer callbacks`);
    assert.equal(await tp.page.evaluate(() => window.kxTestMark), "marked", "no page load");
    const width = await tp.page.evaluate((sel) => document.querySelector(sel).style.width, PAGE.barCell);
    assert.equal(width, "100%");
    // Stopped: no further ticks.
    const count = tp.requests.length;
    await h.delay(1200);
    assert.equal(tp.requests.filter((r) => /TIMER1/.test(r.url)).length,
                 tp.requests.slice(0, count).filter((r) => /TIMER1/.test(r.url)).length);
    await tp.screenshot("progress");
  });

  flow("the modal window blocks the page and closes through its buttons and its close box", async (tp) => {
    await openGalleryPage(tp, suite.demo.url);
    await tp.page.click(PAGE.openModal);
    await tp.page.waitForSelector(".KXModalWindow");
    assert.equal(await tp.page.textContent(".KXModalWindow .KXModalTitle span"), "A modal window");
    assert.equal(await tp.page.textContent(".KXModalWindow #LABELMODAL"), "Shown in the window.");
    // The veil takes the clicks meant for the page beneath.
    const blocked = await tp.page.evaluate((sel) => {
      const box = document.querySelector(sel).getBoundingClientRect();
      const top = document.elementFromPoint(box.left + 5, box.top + 5);
      return top.className;
    }, PAGE.start);
    assert.equal(blocked, "KXModalVeil");
    await tp.screenshot("modal window");
    await tp.page.click(".KXModalWindow button:has-text('Cancel')");
    await d.waitForText(tp.page, PAGE.windowLabel, "Closed with Cancel");
    assert.equal(await tp.page.locator(".KXModalWindow").count(), 0);

    await tp.page.click(PAGE.openModal);
    await tp.page.waitForSelector(".KXModalWindow");
    await tp.page.click(".KXModalWindow .KXModalClose");
    await d.waitForText(tp.page, PAGE.windowLabel, "Closed with its close box");
    assert.equal(await tp.page.locator(".KXModalVeil").count(), 0);
    await tp.page.click(PAGE.openModal);
    await tp.page.click(".KXModalWindow button:has-text('OK')");
    await d.waitForText(tp.page, PAGE.windowLabel, "Closed with OK");
  });

});
