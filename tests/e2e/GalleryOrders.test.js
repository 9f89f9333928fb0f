// The gallery page "Orders (look-ups)" in chromium: the look-up list box and combo box show the customers' names
// for the numbers the order stores, the data-aware list box its item and the radio group its delivery; a change of
// each, saved through the navigator, is in the database when the order is shown again
// (examples/demo/GalleryOrders.h).
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { after, describe } = require("node:test");
const d = require("./demo");

const TEST_MS = 90000;
const CAPTION = "Orders (look-ups)";
const PAGE = {
  customer: "#LISTCUSTOMER", billTo: "#COMBOBILLTO", item: "#LISTITEM", qty: "#EDITQTY", status: "#LABELSTATUS",
};

function navButton(caption) {
  return `#NAVORDERS button[title="${caption}"]`;
}

// What the page shows of the current order.
async function orderShown(page) {
  return page.evaluate(() => {
    const selected = (id) => {
      const select = document.getElementById(id);
      return select.selectedIndex < 0 ? "" : select.options[select.selectedIndex].text.replace(/\u00a0/g, " ");
    };
    const checked = document.querySelector("#GROUPDELIVERY input:checked");
    return {
      customer: selected("LISTCUSTOMER"), billTo: selected("COMBOBILLTO"), item: selected("LISTITEM"),
      qty: document.getElementById("EDITQTY").value,
      delivery: checked ? checked.nextElementSibling.textContent.replace(/\u00a0/g, " ").trim() : "",
    };
  });
}

describe("the order look-ups page on SQLite", () => {
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), "kx-e2e-orders-"));
  const suite = d.demoSuite({ timeout: TEST_MS, demoArgs: ["--data-dir", dataDir] });
  after(() => fs.rmSync(dataDir, { recursive: true, force: true }));

  suite.flow("the look-ups show names for numbers, and an edited order keeps every choice", async (tp) => {
    await d.openGalleryPage(tp, suite.demo.url, CAPTION, PAGE.customer);
    const page = tp.page;
    assert.equal(await d.textOf(page, PAGE.status), "Order 1 of 4");
    assert.deepEqual(await orderShown(page),
                     { customer: "Ada Byron", billTo: "Ada Byron", item: "Gears", qty: "12", delivery: "By post" });
    await d.clickAndLoadPage(tp, navButton("Next"));
    assert.equal(await d.textOf(page, PAGE.status), "Order 2 of 4");
    assert.deepEqual(await orderShown(page), { customer: "Ada Byron", billTo: "Charles Babbage", item: "Cards",
                                               qty: "500", delivery: "By courier" });

    await d.clickAndLoadPage(tp, navButton("Edit"));
    await page.selectOption(PAGE.customer, { label: "Grace Hopper" });
    await page.selectOption(PAGE.billTo, { label: "Edsger Dijkstra" });
    await page.selectOption(PAGE.item, { label: "Relays" });
    await page.fill(PAGE.qty, "7");
    await page.check("#GROUPDELIVERY_INPUT_2");
    await tp.screenshot("order edited");
    await d.clickAndLoadPage(tp, navButton("Post"));
    const saved = { customer: "Grace Hopper", billTo: "Edsger Dijkstra", item: "Relays", qty: "7",
                    delivery: "Picked up" };
    assert.deepEqual(await orderShown(page), saved);

    // Away and back: what shows comes from the database.
    await d.clickAndLoadPage(tp, navButton("First"));
    assert.equal(await d.textOf(page, PAGE.status), "Order 1 of 4");
    await d.clickAndLoadPage(tp, navButton("Next"));
    assert.deepEqual(await orderShown(page), saved);
  });
});
