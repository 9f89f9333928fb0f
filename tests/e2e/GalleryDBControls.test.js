// The gallery's "Customers (data)" page in chromium: the data-aware controls on the demo's SQLite file. A change
// saved by a full submit is in the file: a new run of the demo (on the same data folder) shows it.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { after, describe, test } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 90000;
const CAPTION = "Customers (data)";
const NAME = "#EDITNAME";
const STATUS = "#LABELSTATUS";
const CITY = 'select[name="COMBOCITY"]';
const ACTIVE = 'input[name="CHECKACTIVE_CHECKBOX"]';

async function openCustomers(tp, url) {
  await d.openGalleryPage(tp, url, CAPTION, NAME);
}

async function selectedCity(page) {
  return page.$eval(CITY, (select) => select.options[select.selectedIndex].text);
}

async function valueOf(page, selector) {
  return page.$eval(selector, (element) => element.value);
}

describe("the customers page on SQLite", () => {
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), "kx-e2e-data-"));
  // Each test runs demos of its own.
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });

  after(() => fs.rmSync(dataDir, { recursive: true, force: true }));

  // Runs body against a demo of its own on dataDir, and checks the demo ends cleanly.
  async function withDemo(name, body) {
    const demo = await h.startDemo(["--data-dir", dataDir]);
    try {
      await h.withPage(suite.browser, name, (tp) => body(tp, demo.url));
    } finally {
      await d.stopDemo(demo);
    }
  }

  test("a saved name survives a restart of the demo", { timeout: TEST_MS }, async () => {
    const tricky = "Ada <b>King</b> & \"Co\"";
    await withDemo("customers: change and save", async (tp, url) => {
      await openCustomers(tp, url);
      assert.equal(await valueOf(tp.page, NAME), "Ada Byron");
      assert.equal(await d.textOf(tp.page, STATUS), "Customer 1 of 5");
      assert.ok(fs.existsSync(path.join(dataDir, "customers.db")), "the demo created its file in the data folder");

      await d.clickAndLoadPage(tp, "#BUTTONNEXT");
      assert.equal(await valueOf(tp.page, NAME), "Charles Babbage");
      assert.equal(await d.textOf(tp.page, STATUS), "Customer 2 of 5");
      await d.clickAndLoadPage(tp, "#BUTTONFIRST");

      assert.equal(await selectedCity(tp.page), "London");
      assert.equal(await tp.page.isChecked(ACTIVE), true);
      await tp.page.fill(NAME, tricky);
      await tp.page.selectOption(CITY, { label: "Paris" });
      await tp.page.uncheck(ACTIVE);
      await d.clickAndLoadPage(tp, "#BUTTONSAVE");
      assert.equal(await valueOf(tp.page, NAME), tricky);
      assert.equal(await selectedCity(tp.page), "Paris");
      assert.equal(await tp.page.isChecked(ACTIVE), false);
      assert.equal(await d.textOf(tp.page, STATUS), "Customer 1 of 5");
      await tp.screenshot("saved");

      // A required name left empty is refused; the page says so and keeps what is stored.
      await tp.page.fill(NAME, "");
      await d.clickAndLoadPage(tp, "#BUTTONSAVE");
      assert.match(await d.textOf(tp.page, STATUS), /^Not saved: /);
      await d.clickAndLoadPage(tp, "#BUTTONCANCEL");
      assert.equal(await valueOf(tp.page, NAME), tricky);
    });

    await withDemo("customers: after the restart", async (tp, url) => {
      await openCustomers(tp, url);
      assert.equal(await valueOf(tp.page, NAME), tricky);
      assert.equal(await selectedCity(tp.page), "Paris");
      assert.equal(await tp.page.isChecked(ACTIVE), false);
      assert.equal(await d.textOf(tp.page, "#TEXTCITY"), "Paris");
      assert.equal(await d.textOf(tp.page, STATUS), "Customer 1 of 5");
    });
  });
});
