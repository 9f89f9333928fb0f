// The gallery page of the grid and the calendar in chromium: a cell click, an edit inside a cell posted with a
// button inside a cell, and the calendar paged across the year's end and a day picked, by full submits and by
// callbacks (examples/demo/GalleryGrids.h names the controls).
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const d = require("./demo");

const TEST_MS = 60000;
const TRICKY = "Tom & Jerry <b>bold</b> ]]> \u00fc";

// The calendar's caption cell: the middle cell of its navigation table.
const CAPTION = "#CALENDAR1 table td:nth-child(2)";

async function openPage(tp, url) {
  await d.openGalleryPage(tp, url, "Grid and calendar", "#TBLGRID1");
}

// The day numbers the calendar marks as selected (the demo's mark under the number).
async function markedDays(page) {
  return page.$$eval("#CALENDAR1 .demo-selected-day", (marks) =>
    marks.map((mark) => mark.closest("td").textContent.replace(mark.textContent, "").trim()));
}

async function caption(page) {
  return (await d.textOf(page, CAPTION)).trim();
}

// Clicks an element that starts a callback and waits until selector shows text.
async function clickForCallback(tp, selector, shown, text) {
  const navigationsBefore = d.mainFrameNavigations(tp).length;
  const requestsBefore = tp.requests.length;
  await tp.page.evaluate(() => { window.kxTestMark = "marked"; });
  await tp.page.click(selector);
  await tp.page.waitForFunction(([sel, expected]) => {
    const element = document.querySelector(sel);
    return !!element && element.textContent.replace(/\u00a0/g, " ").trim() === expected;
  }, [shown, text]);
  assert.equal(await tp.page.evaluate(() => window.kxTestMark), "marked", "the page was not loaded again");
  assert.equal(d.mainFrameNavigations(tp).length, navigationsBefore, "no navigation");
  assert.ok(tp.requests.slice(requestsBefore).some((r) => /\/callback\?/.test(r.url)), "a callback went out");
}

describe("the grid and calendar gallery page in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;

  flow("a click on a cell posts its row and column", async (tp) => {
    await openPage(tp, suite.demo.url);
    assert.equal(await tp.page.locator("#TBLGRID1 tr").count(), 10);
    assert.equal(await tp.page.locator("#TBLGRID1 tr:first-child th").count(), 6);
    assert.equal(await d.textOf(tp.page, "#TBLGRID1 tr:nth-child(2) td:nth-child(3)"), "<not markup> & ]]>");
    await tp.screenshot("grid page");
    await d.clickAndLoadPage(tp, "#TBLGRID1 tr:nth-child(6) a");
    await d.waitForText(tp.page, "#LABELCLICK", "Clicked row 5, column 0");
  });

  flow("an edit inside a cell posts its text with a submit and with a callback", async (tp) => {
    await openPage(tp, suite.demo.url);
    await tp.page.fill("#EDIT1", TRICKY);
    await d.clickAndLoadPage(tp, "#BUTTONCOPY");
    await d.waitForText(tp.page, "#LABELECHO", TRICKY);
    assert.equal(await tp.page.inputValue("#EDIT1"), TRICKY, "the edit keeps its text inside the grid");
    await tp.page.fill("#EDIT1", "second <i>");
    // The callback sends the grid again: its new table holds the edit and the text of the cell beside it.
    await clickForCallback(tp, "#BUTTONASYNC", "#TBLGRID1 tr:nth-child(5) td:nth-child(2)", "second <i>");
    await d.waitForText(tp.page, "#LABELECHO", "second <i>");
    assert.equal(await tp.page.inputValue("#EDIT1"), "second <i>");
  });

  flow("the calendar pages across the year's end and picks a day by submit", async (tp) => {
    await openPage(tp, suite.demo.url);
    const year = new Date().getFullYear();
    assert.equal(await caption(tp.page), `December ${year}`);
    await d.clickAndLoadPage(tp, "#CALENDAR1 table td:nth-child(3) a");
    assert.equal(await caption(tp.page), `January ${year + 1}`);
    assert.deepEqual(await markedDays(tp.page), [], "the selected day is in another month");
    await d.clickAndLoadPage(tp, "#CALENDAR1 a:text-is('15')");
    await d.waitForText(tp.page, "#LABELDATE", `Selected: ${year + 1}-01-15`);
    assert.deepEqual(await markedDays(tp.page), ["15"]);
    await d.clickAndLoadPage(tp, "#CALENDAR1 table td:nth-child(1) a");
    assert.equal(await caption(tp.page), `December ${year}`);
    await tp.screenshot("calendar");
  });

  flow("the calendar pages across the year's end and picks a day by callback", async (tp) => {
    await openPage(tp, suite.demo.url);
    const year = new Date().getFullYear();
    await clickForCallback(tp, "#BUTTONNEXT", CAPTION, `January ${year + 1}`);
    // The new month's cells are links with the classes of the page.
    const firstDay = tp.page.locator("#CALENDAR1 a:text-is('1')");
    assert.match(await firstDay.evaluate((a) => a.parentElement.className), /CALENDAR1_CS\d+/);
    assert.notEqual(await firstDay.evaluate((a) => getComputedStyle(a.parentElement).backgroundColor),
                    "rgba(0, 0, 0, 0)", "the class rules apply to the new cells");
    await clickForCallback(tp, "#BUTTONPICK", "#LABELDATE", `Selected: ${year + 1}-01-15`);
    assert.deepEqual(await markedDays(tp.page), ["15"], "the callback's answer moves the mark");
    await clickForCallback(tp, "#BUTTONPREV", CAPTION, `December ${year}`);
    // A day link of the month the callback brought posts like one of the page.
    await d.clickAndLoadPage(tp, "#CALENDAR1 a:text-is('24')");
    await d.waitForText(tp.page, "#LABELDATE", `Selected: ${year}-12-24`);
  });
});
