// The tab control in the browser (kx/controls/tabs/tabcontrol.js): titles switch the pages, the position goes into
// NAME_input, the server is told as the control asks, and a callback update selects a page.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `
  <div id="TABS1">
    <div><input type="hidden" id="STYLEHOLDER_TABS1_ACTIVE" style="color: white;">
      <input type="hidden" id="STYLEHOLDER_TABS1_INACTIVE" style="color: black;">
      <span id="PAGETITLE_P0">A</span><span id="PAGETITLE_P1">B</span><span id="PAGETITLE_P2">C</span></div>
    <form onSubmit="return FormDefaultSubmit();"><input type="hidden" name="TABS1_input" id="TABS1_input" value="1"></form>
    <div id="P0"></div><div id="P1"></div><div id="P2"></div>
  </div>
  <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="TABS1_input"></form>`;

function start(settings) {
  const world = page(BODY, `var GURLBase="/app/$/"; var GAppID="S"; var GTrackID=3; var TABS1KXCL = null;
    var TABCONTROL_TABS1 = new JSTabControl(document.getElementById("TABS1"));
    ${settings}
    TABCONTROL_TABS1.selectedIndex = 1;
    for (var i = 0; i < 3; i++) TABCONTROL_TABS1.addTabPage(document.getElementById("P" + i), "PAGETITLE_P" + i);`);
  const shown = () => [0, 1, 2].map((i) => world.document.getElementById("P" + i).style.display !== "none");
  return { world, shown, click: (i) => world.document.getElementById("PAGETITLE_P" + i).click() };
}

test("with SubmitOnChange a click submits the control; with SubmitOnAsync it calls back with the page", () => {
  const submitting = start("TABCONTROL_TABS1.SubmitOnChange = true;");
  submitting.click(0);
  assert.equal(submitting.world.posts.length, 1);
  assert.equal(submitting.world.posts[0].get("KX_Action"), "TABS1");
  assert.equal(submitting.world.posts[0].get("TABS1_input"), "0");
  submitting.click(0);
  assert.equal(submitting.world.posts.length, 1, "the shown page again: nothing");

  const calling = start("TABCONTROL_TABS1.SubmitOnAsync = true; TABCONTROL_TABS1.SubmitOnChange = true;");
  calling.click(2);
  assert.equal(calling.world.posts.length, 0);
  assert.equal(calling.world.requests.length, 1);
  assert.equal(calling.world.requests[0].query().callback, "TABS1.DoOnAsyncChange");
  assert.equal(calling.world.requests[0].form().page, "2");
});

test("a callback update selects the page it names; a position outside the list is ignored", () => {
  const { world, shown } = start("");
  world.run(`KX.Ajax.applyText('<response><update><control id="TABS1" type="KXTABCONTROL">' +
    '<activeindex>0</activeindex></control></update></response>');`);
  assert.deepEqual(shown(), [true, false, false]);
  world.run(`KX.Ajax.applyText('<response><update><control id="TABS1" type="KXTABCONTROL">' +
    '<activeindex>7</activeindex></control></update></response>');`);
  assert.deepEqual(shown(), [true, false, false]);
  assert.equal(world.document.getElementById("TABS1_input").value, "0");
});
