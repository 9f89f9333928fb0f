// The callback updates of the grid ("KXGRID") and the calendar ("KXCALENDAR") applied to a page.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `
  <div id="GRID1" style="left: 10px; top: 20px;">
    <table id="TBLGRID1" style="left: 0px; top: 0px; width: 300px;"><tr><td>old</td></tr></table>
  </div>
  <table id="GRID2" class="GRID2CSS" style="left: 3px; width: 120px;"><tr><td>framed</td></tr></table>
  <table id="CAL1" class="CAL1CSS" style="left: 5px;"><tr><td class="CAL1_CS0">old day</td></tr></table>`;

function apply(world, xml) {
  const doc = new world.window.DOMParser().parseFromString(xml, "text/xml");
  world.window.KX.Update.applyControl(doc.documentElement);
}

test("a grid's update fills its DIV with the new table; the table's own update keeps its place", () => {
  const world = page(BODY);
  apply(world, '<control id="GRID1" type="KXGRID"><innerhtml><![CDATA[<table id="TBLGRID1"><tr><td>new ' +
               "<b>cell</b></td><td>2</td></tr></table>]]></innerhtml><hint>the grid</hint></control>");
  const doc = world.document;
  assert.equal(doc.querySelector("#GRID1 > #TBLGRID1 td b").textContent, "cell");
  assert.equal(doc.getElementById("GRID1").title, "the grid");
  apply(world, '<control id="TBLGRID1" type="KXGRID"><style><attribute name="left">10px</attribute>' +
               '<attribute name="top">20px</attribute><attribute name="width">200px</attribute></style></control>');
  const table = doc.getElementById("TBLGRID1");
  assert.equal(table.style.width, "200px");
  assert.deepEqual([table.style.left, table.style.top], ["", ""], "the position is the DIV's, not the table's");
});

test("the update of a framed grid replaces the table that stands alone, which takes its position", () => {
  const world = page(BODY);
  apply(world, '<control id="GRID2" type="KXGRID"><innerhtml><![CDATA[<table id="GRID2"><tr><td>a</td><td>b</td>' +
               '</tr></table>]]></innerhtml><style><attribute name="left">7px</attribute></style></control>');
  const tables = world.document.querySelectorAll("#GRID2");
  assert.deepEqual([tables.length, tables[0].querySelectorAll("td").length, tables[0].style.left], [1, 2, "7px"]);
  // Issue 57: the class and style the page gave the old table stay with the new one.
  assert.deepEqual([tables[0].className, tables[0].style.width], ["GRID2CSS", "120px"]);
});

test("a calendar's update replaces its rows, keeps its place and brings its style rules once", () => {
  const world = page(BODY);
  const update = (day) => '<control id="CAL1" type="KXCALENDAR"><innerhtml><![CDATA[<table id="CAL1" ' +
      `style="width: 300px"><tr><td class="CAL1_CS3"><a href="#">${day}</a></td></tr></table>]]></innerhtml>` +
      "<cellstyles>.CAL1_CS3{background-color:#DCDCDC;}\n</cellstyles></control>";
  apply(world, update("1"));
  apply(world, update("2"));
  const doc = world.document;
  const table = doc.getElementById("CAL1");
  assert.equal(doc.querySelectorAll("#CAL1").length, 1);
  assert.equal(table.className, "CAL1CSS");
  assert.equal(table.style.left, "5px");
  assert.equal(table.querySelector("td").className, "CAL1_CS3");
  assert.equal(table.textContent.trim(), "2");
  assert.equal(doc.querySelectorAll("style#CAL1_CS").length, 1);
  assert.equal(doc.getElementById("CAL1_CS").textContent, ".CAL1_CS3{background-color:#DCDCDC;}\n");
});
