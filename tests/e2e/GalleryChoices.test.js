// The gallery page of the choice controls in chromium: an item picked in each control reaches the server with a
// full submit and with the control's own callback, and the label beside it echoes it; the time edit's check
// stops a submit with a message.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 90000;
const CAPTION = "Choice controls";

describe("the choice controls' gallery page in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;
  const openPage = (tp) => d.openGalleryPage(tp, suite.demo.url, CAPTION, "#BUTTONSUBMIT");

  // Picks an item in every control, as a user would.
  async function pickEverything(page, afterEach = async () => {}) {
    await page.selectOption("#COMBO1", "2");
    await afterEach("#ECHOCOMBO1", "2 Blue & \"Cyan\"");
    await page.click("#COMBO2_Button");
    // Opening the list is a click of the control too: the server hears of no size yet.
    await afterEach("#ECHOCOMBO2", "none");
    await page.click("#COMBO2_item_2");
    await afterEach("#ECHOCOMBO2", "2 Large");
    await page.selectOption("#LIST1", ["1", "3"]);
    await afterEach("#ECHOLIST1", "Tuesday, Thursday");
    await page.click("#CHECK1_CHKBCAPTION");
    await afterEach("#ECHOCHECK1", "checked");
    await page.click("#CHECK2_Image");
    await afterEach("#ECHOCHECK2", "checked");
    await page.click("#RADIO2_CAPTRADIOBUTTON");
    await afterEach("#ECHORADIO", "Coffee");
    await page.click("#GROUP1_INPUT_2");
    await afterEach("#ECHOGROUP1", "East");
    await page.fill("#TIME1", "2h");
    await page.locator("#TIME1").blur();
    await afterEach("#ECHOTIME1", "120 minutes");
    await page.selectOption("#ORDER1list", "3");
    await page.click("#ORDER1up");
    await page.click("#ORDER1up");
    await afterEach("#ECHOORDER1", "Third, First, Second");
  }

  const ECHOES = {
    "#ECHOCOMBO1": "2 Blue & \"Cyan\"", "#ECHOCOMBO2": "2 Large", "#ECHOLIST1": "Tuesday, Thursday",
    "#ECHOCHECK1": "checked", "#ECHOCHECK2": "checked", "#ECHORADIO": "Coffee", "#ECHOGROUP1": "East",
    "#ECHOTIME1": "120 minutes", "#ECHOORDER1": "Third, First, Second",
  };

  flow("picks reach the server with a full submit and the page shows them again", async (tp) => {
    await openPage(tp);
    const page = tp.page;
    // Without callbacks only the submit can carry the picks.
    await page.evaluate(() => { window.KX.Ajax.stopped = true; });
    await pickEverything(page);
    for (const selector of Object.keys(ECHOES)) assert.equal(await d.textOf(page, selector), "-", selector);
    await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
    for (const [selector, text] of Object.entries(ECHOES)) assert.equal(await d.textOf(page, selector), text, selector);

    // The new page shows the controls as they were left.
    assert.equal(await page.inputValue("#COMBO1"), "2");
    assert.equal(await d.textOf(page, "#COMBO2_Text"), "Large");
    assert.deepEqual(await page.$eval("#LIST1", (s) => Array.from(s.selectedOptions, (o) => o.value)), ["1", "3"]);
    assert.equal(await page.isChecked("#CHECK1_CHECKBOX"), true);
    assert.match(await page.getAttribute("#CHECK2_Image", "src"), /CoolCheckBox_True\.gif$/);
    assert.equal(await page.isChecked("#RADIO2_INPUT"), true);
    assert.equal(await page.isChecked("#RADIO1_INPUT"), false);
    assert.equal(await page.isChecked("#GROUP1_INPUT_2"), true);
    assert.equal(await page.inputValue("#TIME1"), "2h");
    assert.deepEqual(await page.$eval("#ORDER1list", (s) => Array.from(s.options, (o) => o.text)),
                     ["Third", "First", "Second"]);
    const images = await page.$$eval("img", (all) => all.map((i) => [i.src, i.naturalWidth]));
    for (const [src, width] of images) assert.ok(width > 0, `${src} loaded`);
    await tp.screenshot("after the submit");

    // A second submit without changes keeps everything (the radio group posts the same index, and so on).
    await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
    for (const [selector, text] of Object.entries(ECHOES)) assert.equal(await d.textOf(page, selector), text, selector);
  });

  flow("each pick reaches the server through the control's own callback", async (tp) => {
    await openPage(tp);
    const navigations = d.mainFrameNavigations(tp).length;
    await pickEverything(tp.page, (selector, text) => d.waitForText(tp.page, selector, text));
    assert.equal(d.mainFrameNavigations(tp).length, navigations, "no page was loaded");
    assert.ok(tp.requests.some((r) => /\/callback\?/.test(r.url)), "callbacks went out");
    await tp.screenshot("after the callbacks");
  });

  flow("a read-only combo box refreshed by a callback stays where it stands", async (tp) => {
    await openPage(tp);
    const page = tp.page;
    assert.deepEqual(await d.overlappingControls(page), [], "no control covers another");
    const before = await page.locator("#COMBO3").boundingBox();
    assert.ok(before && before.y > 500, `placed on the page: ${JSON.stringify(before)}`);
    await page.selectOption("#COMBO1", "1");
    await d.waitForText(page, "#COMBO3", "Green");
    assert.deepEqual(await page.locator("#COMBO3").boundingBox(), before);
  });

  flow("a time the server cannot read stops the submit with a message", async (tp) => {
    await openPage(tp);
    const page = tp.page;
    await page.evaluate(() => { window.KX.Ajax.stopped = true; });
    await page.fill("#TIME1", "soon");
    const navigations = d.mainFrameNavigations(tp).length;
    await page.click("#BUTTONSUBMIT");
    const dialog = await tp.takeDialog();
    assert.ok(dialog, "a message came");
    assert.equal(dialog.type, "alert");
    assert.equal(dialog.message, "The value of Effort is in an incorrect format.\nPlease correct the value.");
    await h.delay(300);
    assert.equal(d.mainFrameNavigations(tp).length, navigations, "nothing was submitted");
    await page.fill("#TIME1", "1:15");
    await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
    assert.equal(await d.textOf(page, "#ECHOTIME1"), "75 minutes");
  });
});
