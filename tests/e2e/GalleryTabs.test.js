// The gallery's page of tabs, menus and links in chromium: tabs switched in the browser and through callbacks, a
// menu item that runs a server event (a disabled one that does not), links that submit or lead to a relative
// address, and the gradient buttons.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 60000;
const CAPTION = "Tabs, menus and links";
const LABEL = "#LABELRESULT";

describe("the gallery's tabs, menus and links in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;
  const openPage = (tp) => d.openGalleryPage(tp, suite.demo.url, CAPTION, "#TABS1");

  const visible = (tp, selector) => tp.page.locator(selector).isVisible();

  flow("the tabs switch in the browser without a request", async (tp) => {
    await openPage(tp);
    assert.ok(await visible(tp, "#PAGELINKS"), "the first page shows");
    assert.ok(!(await visible(tp, "#PAGEELEMENTS")), "the second page is hidden");
    const requests = tp.requests.length;
    await tp.page.click("#PAGETITLE_PAGEELEMENTS");
    assert.ok(await visible(tp, "#PAGEELEMENTS"));
    assert.ok(!(await visible(tp, "#PAGELINKS")));
    assert.equal(await tp.page.inputValue("#TABS1_input"), "1", "the hidden input holds the position");
    assert.equal(tp.requests.length, requests, "nothing was sent");
    await tp.screenshot("elements page");

    // The position comes back with the next submit: the page shows the same tab after it.
    await d.clickAndLoadPage(tp, "#GRADBLUE");
    await d.waitForText(tp.page, LABEL, "The Blue gradient button was clicked.");
    assert.ok(await visible(tp, "#PAGEELEMENTS"), "the elements page is still the one shown");
    const rule = await tp.page.evaluate(() => getComputedStyle(document.getElementById("GRADBLUE")).backgroundImage);
    assert.match(rule, /linear-gradient/, "the button is drawn with a gradient");
  });

  flow("a tab switch calls back, and the server switches a tab from a callback", async (tp) => {
    await openPage(tp);
    const titles = await tp.page.locator("#TABSASYNC span[id^=PAGETITLE_]").all();
    assert.equal(titles.length, 3);
    const navigations = d.mainFrameNavigations(tp).length;
    await titles[1].click();
    await d.waitForText(tp.page, LABEL, "Callback: page 1 is shown.");
    assert.equal(d.mainFrameNavigations(tp).length, navigations, "no page was loaded for it");
    const callbacks = tp.requests.filter((r) => /\/callback\?/.test(r.url));
    assert.equal(new URL(callbacks[0].url).searchParams.get("callback"), "TABSASYNC.DoOnAsyncChange");

    await tp.page.click("#BUTTONLASTPAGE");
    await d.waitForText(tp.page, LABEL, "The server showed the third page.");
    await tp.page.waitForFunction(() => TABCONTROL_TABSASYNC.selectedIndex === 2);
    assert.ok(await visible(tp, "#TABSASYNCPAGE2"), "the third page shows");
    assert.ok(!(await visible(tp, "#TABSASYNCPAGE1")));
    await tp.screenshot("third page by the server");
  });

  flow("a menu item runs its server event; a disabled one does nothing", async (tp) => {
    await openPage(tp);
    assert.equal((await tp.page.textContent("#MENU1_submenu0")).trim(), "File", "the caption lost its \"&\"");
    await tp.page.hover("#MENU1_submenu0");
    await tp.page.waitForSelector("#MENU1_submenu0_table", { state: "visible" });
    await tp.screenshot("file menu open");
    const requests = tp.requests.length;
    await tp.page.click("#MENU1_submenu3");   // "Disabled" (0 File, 1 Greet, 2 the line, 3 Disabled)
    await h.delay(300);
    assert.equal(tp.requests.length, requests, "the disabled item posted nothing");

    await tp.page.hover("#MENU1_submenu0");
    await tp.page.hover("#MENU1_submenu4");   // "More"
    await tp.page.waitForSelector("#MENU1_submenu4_table", { state: "visible" });
    assert.equal(await tp.page.textContent("#MENU1_submenu5 td:nth-child(2)"), "Nested <item> \"quoted\"", "the caption shows as text");
    await d.clickAndLoadPage(tp, "#MENU1_submenu5");
    await d.waitForText(tp.page, LABEL, "Menu: the nested item was chosen.");

    await tp.page.hover("#MENU1_submenu0");
    await d.clickAndLoadPage(tp, "#MENU1_submenu1");
    await d.waitForText(tp.page, LABEL, "Menu: Greet was chosen.");
  });

  flow("the link runs its server event, and a relative URL link is followed", async (tp) => {
    await openPage(tp);
    await d.clickAndLoadPage(tp, "#LINK1 a, a#LINK1");
    await d.waitForText(tp.page, LABEL, "The link was clicked.");

    const navigation = await d.clickAndLoadPage(tp, "#URLRELATIVE");
    assert.match(navigation.url, /\/logo\.png$/, "the browser followed the relative address");
  });
});
