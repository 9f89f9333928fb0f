// Check boxes, radio buttons and radio groups in the page: caption clicks, the radio group's posted field, the
// image check box, and their callback updates.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const GLOBALS = `var GURLBase="/app/$/"; var GAppID="Ab~-0123456789abcdefgh"; var GTrackID=1;
  function Validate() { return true; }`;

const CONTROLS = `
  <span id="CHECK1"><input type="CHECKBOX" name="CHECK1_CHECKBOX" id="CHECK1_CHECKBOX"
    onclick="checkBoxClick(event, 'CHECK1');"><span id="CHECK1_CHKBCAPTION"
    onclick="checkBoxClick(event, 'CHECK1');">Caption</span></span>
  <span id="RADIO1"><input type="RADIO" name="g" value="Radio1" id="RADIO1_INPUT" checked
    onclick="radioButtonClick(event, 'g','RADIO1_INPUT');"><span id="RADIO1_CAPTRADIOBUTTON"
    onclick="radioButtonClick(event, 'g','RADIO1_INPUT');">One</span><input type="hidden" name="RADIO1_INPUT"></span>
  <span id="RADIO2"><input type="RADIO" name="g" value="Radio2" id="RADIO2_INPUT"
    onclick="radioButtonClick(event, 'g','RADIO2_INPUT');"><span id="RADIO2_CAPTRADIOBUTTON"
    onclick="radioButtonClick(event, 'g','RADIO2_INPUT');">Two</span><input type="hidden" name="RADIO2_INPUT"></span>
  <div id="GROUP1" type="RADIOGROUP"><input type="RADIO" name="GROUP1_INPUT" id="GROUP1_INPUT_0" value="0"
    onclick="radioGroupClick(event, 'GROUP1_INPUT_0');"><span id="T0"
    onclick="radioGroupClick(event, 'GROUP1_INPUT_0');">A</span><BR></div>
  <span id="COOL1"><a href="#" id="COOLLINK" onclick="CoolCheckBoxToggle('COOL1', true)"><img id="COOL1_Image"
    src="/app/$/gfx/CoolCheckBox_False.gif"></a><input type="hidden" name="COOL1_CHECKBOX" id="COOL1_CHECKBOX"
    value="Off"><span>Cool</span></span>
  <form method="POST" name="SubmitForm" action="/app/$/">
    <input type="hidden" name="CHECK1_CHECKBOX"><input type="hidden" name="RADIO1_INPUT">
    <input type="hidden" name="RADIO2_INPUT"><input type="hidden" name="GROUP1_INPUT">
    <input type="hidden" name="COOL1_CHECKBOX">
  </form>`;

function controlsPage() {
  const world = page(CONTROLS, GLOBALS);
  world.run("InitRects(1024, 768); radioButtonSync('g');");
  world.click = (id) => world.document.getElementById(id).click();
  return world;
}

function applyUpdate(world, xml) {
  const doc = new world.window.DOMParser().parseFromString(xml, "text/xml");
  world.window.KX.Update.applyControl(doc.documentElement);
}

test("a caption click toggles its box once and tells the page of the change", () => {
  const world = controlsPage();
  const box = world.document.getElementById("CHECK1_CHECKBOX");
  let changes = 0;
  world.document.getElementById("CHECK1").addEventListener("change", () => ++changes);
  world.click("CHECK1_CHKBCAPTION");
  assert.equal(box.checked, true);
  world.click("CHECK1_CHECKBOX");
  assert.equal(box.checked, false, "a click on the box itself is the browser's own toggle");
  assert.equal(changes, 2);
  box.disabled = true;
  world.click("CHECK1_CHKBCAPTION");
  assert.equal(box.checked, false, "a disabled box stays as it is");
});

test("every radio button of a group posts the group's checked value under its own name", () => {
  const world = controlsPage();
  world.run("SubmitClickConfirm('X', '', false, '')");
  assert.equal(world.posts[0].get("RADIO1_INPUT"), "Radio1");
  assert.equal(world.posts[0].get("RADIO2_INPUT"), "Radio1");
  world.click("RADIO2_CAPTRADIOBUTTON");
  assert.equal(world.document.getElementById("RADIO2_INPUT").checked, true);
  world.run("GSubmitting = false; SubmitClickConfirm('X', '', false, '')");
  assert.equal(world.posts[1].get("RADIO1_INPUT"), "Radio2");
  assert.equal(world.posts[1].get("RADIO2_INPUT"), "Radio2");
});

test("a radio group's text checks its item", () => {
  const world = controlsPage();
  world.click("T0");
  world.run("SubmitClickConfirm('X', '', false, '')");
  assert.equal(world.posts[0].get("GROUP1_INPUT"), "0");
});

test("the image check box swaps its image and its posted state, and submits when asked to", () => {
  const world = controlsPage();
  world.click("COOLLINK");
  assert.match(world.document.getElementById("COOL1_Image").src, /CoolCheckBox_True\.gif$/);
  assert.equal(world.posts.length, 1);
  assert.equal(world.posts[0].get("COOL1_CHECKBOX"), "On");
  assert.equal(world.posts[0].get("KX_Action"), "COOL1");
});

test("check box and radio updates keep the inputs and show captions as text", () => {
  const world = controlsPage();
  applyUpdate(world, '<control id="CHECK1" type="KXCHECKBOX"><caption>a &amp;lt;b&amp;gt;</caption>' +
                     "<checked>true</checked><enabled>false</enabled></control>");
  const box = world.document.getElementById("CHECK1_CHECKBOX");
  assert.equal(box.checked, true);
  assert.equal(box.disabled, true);
  assert.equal(world.document.getElementById("CHECK1_CHKBCAPTION").textContent, "a <b>");
  applyUpdate(world, '<control id="COOL1" type="KXCHECKBOX"><checked>true</checked></control>');
  assert.equal(world.document.getElementById("COOL1_CHECKBOX").value, "On");
  applyUpdate(world, '<control id="RADIO2" type="KXRADIOBUTTON"><checked>true</checked>' +
                     "<caption>Zwei</caption><enabled>true</enabled></control>");
  assert.equal(world.document.getElementById("RADIO2_INPUT").checked, true);
  assert.equal(world.document.getElementById("RADIO2_CAPTRADIOBUTTON").textContent, "Zwei");
  assert.equal(world.document.getElementsByName("RADIO1_INPUT")[0].value, "Radio2", "the group's fields follow");
});

test("a radio group update builds its items anew", () => {
  const world = controlsPage();
  applyUpdate(world, '<control id="GROUP1" type="KXRADIOGROUP" layout="horizontal"><items>' +
                     '<item value="0" id="GROUP1_INPUT_0" enabled="true">&amp;lt;x&amp;gt;</item>' +
                     '<item selected="true" value="1" id="GROUP1_INPUT_1" enabled="true">B</item></items></control>');
  const group = world.document.getElementById("GROUP1");
  assert.equal(group.getElementsByTagName("input").length, 2);
  assert.equal(group.getElementsByTagName("br").length, 0);
  assert.equal(group.getElementsByTagName("span")[0].textContent, "<x>");
  assert.equal(world.document.getElementById("GROUP1_INPUT_1").checked, true);
  group.getElementsByTagName("span")[0].click();
  assert.equal(world.document.getElementById("GROUP1_INPUT_0").checked, true);
});
