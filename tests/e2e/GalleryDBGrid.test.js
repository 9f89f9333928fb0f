// The gallery's "Customers and orders (data grid)" page in chromium: the customers grid pages as the navigator
// moves, a row click picks a customer and the orders grid follows, an edit posted through the navigator shows in
// the grid, the navigator's delete and cancel ask first, and callbacks that change the orders leave their grid in
// place (examples/demo/GalleryDBGrid.h names the controls).
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { after, before, describe } = require("node:test");
const d = require("./demo");
const h = require("./harness");

const TEST_MS = 90000;
const CAPTION = "Customers and orders (data grid)";
const CUSTOMERS = "#TBLGRIDCUSTOMERS";
const ORDERS = "#TBLGRIDORDERS";
const STATUS = "#LABELSTATUS";

async function openPage(tp, url) {
  await d.openGalleryPage(tp, url, CAPTION, CUSTOMERS);
}

// The data rows of a grid: the cells' texts of each row, the current one marked with "*" (the indicator).
async function rowsOf(page, table) {
  return page.$$eval(`${table} tr[id]`, (rows) =>
    rows.map((row) => Array.from(row.cells).map((cell) => cell.textContent.replace(/\u00a0/g, " ").trim())));
}

// The picture the data image shows: its source and its decoded width (0 until it loaded).
async function pictureOf(page) {
  await page.waitForFunction(() => { const img = document.querySelector("img#IMAGEPICTURE"); return img && img.complete; });
  return page.$eval("img#IMAGEPICTURE", (img) => ({ src: img.getAttribute("src"), width: img.naturalWidth }));
}

async function namesOf(page) {
  return (await rowsOf(page, CUSTOMERS)).map((cells) => (cells[0] === "*" ? "*" : "") + cells[2]);
}

// The place and size of an element on the page.
async function boxOf(page, selector) {
  return page.$eval(selector, (element) => {
    const box = element.getBoundingClientRect();
    return { x: box.x, y: box.y, width: box.width, height: box.height };
  });
}

// Clicks a button that answers by callback and waits until shown(arg) holds in the page.
async function clickForCallback(tp, button, shown, arg) {
  const before = d.mainFrameNavigations(tp).length;
  await tp.page.click(button);
  await tp.page.waitForFunction(shown, arg);
  assert.equal(d.mainFrameNavigations(tp).length, before, "no page was loaded");
}

function navButton(caption) {
  return `#NAVCUSTOMERS button[title="${caption}"]`;
}

describe("the data grid page on SQLite", () => {
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), "kx-e2e-grid-"));
  const suite = d.demoSuite({ timeout: TEST_MS, demoArgs: ["--data-dir", dataDir] });
  // After the suite's own: the demo has stopped.
  after(() => fs.rmSync(dataDir, { recursive: true, force: true }));

  suite.flow("page, pick, edit, post, cancel and delete", async (tp) => {
    await openPage(tp, suite.demo.url);
    const page = tp.page;
    assert.deepEqual(await namesOf(page), ["*Ada Byron", "Charles Babbage", "Grace Hopper"]);
    assert.equal(await d.textOf(page, STATUS), "Customer 1 of 5");
    assert.deepEqual((await rowsOf(page, ORDERS)).map((cells) => cells[0]), ["Gears", "Cards"]);
    const adaPicture = await pictureOf(page);
    assert.equal(adaPicture.width, 64, "the customer's picture decoded in the browser");
    // At the first record First and Prior are off.
    assert.equal(await page.$eval(`${navButton("First")} img`, (img) => /DBNav_FirstDisabled\.gif$/.test(img.src)),
                 true);

    // Last pages the grid to the page holding the last customer.
    await d.clickAndLoadPage(tp, navButton("Last"));
    assert.deepEqual(await namesOf(page), ["Alan Turing", "*Edsger Dijkstra"]);
    assert.equal(await d.textOf(page, STATUS), "Customer 5 of 5");
    assert.deepEqual(await rowsOf(page, ORDERS), []);
    await d.clickAndLoadPage(tp, navButton("First"));
    await d.clickAndLoadPage(tp, navButton("Next"));
    await d.clickAndLoadPage(tp, navButton("Next"));
    await d.clickAndLoadPage(tp, navButton("Next"));
    assert.deepEqual(await namesOf(page), ["*Alan Turing", "Edsger Dijkstra"]);

    // A row click picks the customer; the orders follow.
    await d.clickAndLoadPage(tp, navButton("Prior"));
    assert.deepEqual(await namesOf(page), ["Ada Byron", "Charles Babbage", "*Grace Hopper"]);
    await d.clickAndLoadPage(tp, `${CUSTOMERS} tr[id]:nth-of-type(3)`);
    assert.deepEqual(await namesOf(page), ["Ada Byron", "*Charles Babbage", "Grace Hopper"]);
    assert.deepEqual((await rowsOf(page, ORDERS)).map((cells) => cells[0]), ["Brass columns"]);
    const charlesPicture = await pictureOf(page);
    assert.equal(charlesPicture.width, 64);
    assert.notEqual(charlesPicture.src, adaPicture.src, "the picture follows the customer");
    await tp.screenshot("picked");

    // Edit, change the name, post: the grid shows the new name.
    await d.clickAndLoadPage(tp, navButton("Edit"));
    assert.equal(await page.isVisible(navButton("Post")), true);
    await page.fill("#EDITNAME", "Charles <b>B.</b>");
    await d.clickAndLoadPage(tp, navButton("Post"));
    assert.deepEqual(await namesOf(page), ["Ada Byron", "*Charles <b>B.</b>", "Grace Hopper"]);

    // Cancel asks first, then drops the edit.
    await d.clickAndLoadPage(tp, navButton("Edit"));
    await page.fill("#EDITNAME", "Dropped");
    await d.clickAndLoadPage(tp, navButton("Cancel"));
    assert.deepEqual(await tp.takeDialog(), {
      type: "confirm", message: "Are you sure you want to cancel your changes to this record?" });
    assert.deepEqual(await namesOf(page), ["Ada Byron", "*Charles <b>B.</b>", "Grace Hopper"]);

    // Delete asks first, then the next customer takes the place.
    await d.clickAndLoadPage(tp, navButton("Delete"));
    assert.deepEqual(await tp.takeDialog(), {
      type: "confirm", message: "Are you sure you want to delete this record?" });
    assert.deepEqual(await namesOf(page), ["Ada Byron", "*Grace Hopper", "Alan Turing"]);
    assert.equal(await d.textOf(page, STATUS), "Customer 2 of 4");
    assert.deepEqual((await rowsOf(page, ORDERS)).map((cells) => cells[0]), ["Compiler manual"]);
    await tp.screenshot("deleted");
  });

  suite.flow("insert: a new customer is typed in, posted and shown as the last one", async (tp) => {
    await openPage(tp, suite.demo.url);
    const page = tp.page;
    const count = Number((await d.textOf(page, STATUS)).match(/of (\d+)$/)[1]);
    await d.clickAndLoadPage(tp, navButton("Insert"));
    // The new record is no row of the grid yet: no row is marked as the current one.
    assert.deepEqual((await namesOf(page)).filter((name) => name.startsWith("*")), [], "no row marked while inserting");
    assert.equal(await page.inputValue("#EDITNAME"), "");
    assert.equal(await d.textOf(page, STATUS), "A new customer: the tick saves it");
    await page.fill("#EDITNAME", "Barbara Liskov");
    await page.fill("#EDITCITY", "Boston");
    await page.check("#CHECKACTIVE_INPUT, #CHECKACTIVE input[type=checkbox]");
    await tp.screenshot("inserting");
    await d.clickAndLoadPage(tp, navButton("Post"));
    assert.equal(await d.textOf(page, STATUS), `Customer ${count + 1} of ${count + 1}`);
    assert.ok((await namesOf(page)).includes("*Barbara Liskov"), "the new customer is the current row");
    assert.equal(await page.inputValue("#EDITCITY"), "Boston");
    assert.equal(await page.isChecked("#CHECKACTIVE_INPUT, #CHECKACTIVE input[type=checkbox]"), true);
    assert.deepEqual(await rowsOf(page, ORDERS), [], "a new customer has no orders");
  });

  // The orders grid is drawn in a frame at (16, 204): the callbacks that send it again leave its table where and as
  // large as the page draws it, not moved by the grid's place nor stretched to the grid's height.
  suite.flow("callbacks that append and edit an order leave the grid where the page draws it", async (tp) => {
    await openPage(tp, suite.demo.url);
    const page = tp.page;
    const drawn = await boxOf(page, ORDERS);
    const count = (await rowsOf(page, ORDERS)).length;
    const rowCount = ([table, rows]) => document.querySelectorAll(`${table} tr[id]`).length === rows;
    await clickForCallback(tp, "#BUTTONADDORDER", rowCount, [ORDERS, count + 1]);
    const appended = await boxOf(page, ORDERS);
    assert.deepEqual([appended.x, appended.y, appended.width], [drawn.x, drawn.y, drawn.width]);
    const quantity = Number((await rowsOf(page, ORDERS))[0][1]);
    const firstQuantity = ([table, text]) =>
      document.querySelector(`${table} tr[id] td:nth-child(2)`).textContent.trim() === text;
    await clickForCallback(tp, "#BUTTONMORE", firstQuantity, [ORDERS, `${quantity + 1}`]);
    assert.deepEqual(await boxOf(page, ORDERS), appended, "an edited row leaves the table as it was");
    await page.goto(suite.demo.url);
    await page.waitForSelector(ORDERS);
    assert.deepEqual(await boxOf(page, ORDERS), appended, "the page drawn again shows the table so");
  });

  // The active column is NOT NULL DEFAULT 1: a new customer shows the box ticked, and a post that leaves it so
  // saves the customer active.
  suite.flow("insert: the Active box left as the new record shows it saves the column's default", async (tp) => {
    await openPage(tp, suite.demo.url);
    const page = tp.page;
    const box = "#CHECKACTIVE input[type=checkbox]";
    await d.clickAndLoadPage(tp, navButton("Insert"));
    assert.equal(await page.isChecked(box), true, "the new record shows the default");
    await page.fill("#EDITNAME", "Frances Allen");
    await d.clickAndLoadPage(tp, navButton("Post"));
    assert.ok((await namesOf(page)).includes("*Frances Allen"), "the new customer is saved");
    assert.equal(await page.isChecked(box), true);
  });
});

// The guide program's tasks form (examples/guide/TasksForm.cpp) in chromium: done is BOOLEAN NOT NULL DEFAULT 0.
// The program comes from KX_GUIDE (ctest sets it); a copy in a folder of its own keeps its data file apart.
describe("the guide program's tasks form", { skip: !process.env.KX_GUIDE && "KX_GUIDE names no guide program" }, () => {
  const appDir = fs.mkdtempSync(path.join(os.tmpdir(), "kx-e2e-guide-"));
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });
  before(async () => {
    const program = path.join(appDir, "guide");
    fs.copyFileSync(process.env.KX_GUIDE, program);
    fs.chmodSync(program, 0o755);
    suite.demo = await h.startDemo([], program);
  });
  after(() => fs.rmSync(appDir, { recursive: true, force: true }));

  suite.flow("insert: a task posted with Done untouched is saved as not done", async (tp) => {
    const page = tp.page;
    await page.goto(suite.demo.url);
    await page.waitForSelector("#BUTTONTASKS");
    await page.waitForLoadState("load");
    await d.clickAndLoadPage(tp, "#BUTTONTASKS");
    await d.clickAndLoadPage(tp, '#NAVIGATOR button[title="Insert"]');
    assert.equal(await page.isChecked("#DONE input[type=checkbox]"), false);
    await page.fill("#TITLE", "Water the plants");
    await d.clickAndLoadPage(tp, '#NAVIGATOR button[title="Post"]');
    assert.equal(await d.textOf(page, "#STATUS"), "Saved.");
    const rows = await rowsOf(page, "#TBLGRID");
    assert.deepEqual(rows[rows.length - 1].slice(1), ["Water the plants", "False", ""]);
  });
});
