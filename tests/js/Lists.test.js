// The ordered list box's moves and the scripted combo box's callback update.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const ORDERED = `
  <table id="O"><tr><td><select id="Olist" multiple onchange="DoOrderedListClick(this, 'Oup', 'Odown', 'O_VALUE')">
    <option value="a">Apple</option><option value="b">Banana</option><option value="c">Cherry</option></select></td>
    <td><input id="Oup" type="button" disabled="true" onclick="MoveOrderedListItem(1, 'Olist', 'Oup', 'Odown', 'O_VALUE')">
    <input id="Odown" type="button" onclick="MoveOrderedListItem(-1, 'Olist', 'Oup', 'Odown', 'O_VALUE')">
    <input type="hidden" id="O_VALUE" name="O_VALUE"></td></tr></table>`;

function select(world, ...indices) {
  const list = world.document.getElementById("Olist");
  for (let i = 0; i < list.options.length; i++) list.options[i].selected = indices.includes(i);
  world.run("DoOrderedListClick(document.getElementById('Olist'), 'Oup', 'Odown', 'O_VALUE')");
}

test("the ordered list moves its selection and writes the order with the selected marked", () => {
  const world = page(ORDERED);
  const d = world.document;
  const value = () => d.getElementById("O_VALUE").value;
  select(world, 0);
  assert.equal(d.getElementById("Oup").disabled, true, "the top item cannot go up");
  assert.equal(d.getElementById("Odown").disabled, false);
  d.getElementById("Odown").click();
  assert.equal(value(), "b;*a;c");
  d.getElementById("Odown").click();
  assert.equal(value(), "b;c;*a");
  assert.equal(d.getElementById("Odown").disabled, true, "the last item cannot go down");
  select(world, 1, 2);
  d.getElementById("Oup").click();
  assert.equal(value(), "*c;*a;b", "a block moves together");
  d.getElementById("Oup").click();
  assert.equal(value(), "*c;*a;b", "a block at the top stays");
});

test("a scripted combo's update builds its drop-down anew and shows the selected caption", () => {
  const world = page(`<span id="C1"><input type="hidden" name="C1" value="-1"><span id="C1_Text"></span>
    <span id="C1_DropDown"></span></span>`);
  world.run("var picked = []; function C1_doSelectItem(idx, text) { picked.push(idx + ':' + text); }");
  const xml = '<control id="C1" type="KXCOMBOBOX"><items><item value="-1">none</item>' +
              '<item value="x">&amp;lt;b&amp;gt;</item><item selected="true" value="y">Two</item></items></control>';
  const doc = new world.window.DOMParser().parseFromString(xml, "text/xml");
  world.window.KX.Update.applyControl(doc.documentElement);
  const d = world.document;
  assert.equal(d.getElementById("C1_Text").textContent, "Two");
  assert.equal(d.getElementsByName("C1")[0].value, "1", "the field holds the index");
  assert.equal(d.getElementById("C1_item_0").textContent, "<b>");
  d.getElementById("C1_item_noselect").click();
  d.getElementById("C1_item_1").click();
  assert.deepEqual(Array.from(world.window.picked), ["-1:none", "1:Two"]);
});
