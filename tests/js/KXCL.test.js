// Client objects and the layout in the browser: alignment and anchors on resize, the splitter, the resize
// request, client properties.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page, tick } = require("./harness.js");

const BODY = `
  <div id="TOP1" style="position: absolute; left: 0px; top: 0px; width: 800px; height: 50px;"></div>
  <div id="REGION1" style="position: absolute; left: 0px; top: 50px; width: 200px; height: 550px;">
    <input id="EDIT2" name="EDIT2" style="position: absolute; left: 10px; top: 10px; width: 100px; height: 20px;">
    <form><input type="hidden" id="REGION1_data" name="REGION1_data"></form>
    <div id="REGION1_grip" onmousedown="return GripMouseDown(event,'right')"></div>
  </div>
  <div id="CLIENT1" style="position: absolute; left: 200px; top: 50px; width: 600px; height: 550px;"></div>
  <input id="OK1" name="OK1" style="position: absolute; left: 700px; top: 560px; width: 80px; height: 24px;">
  <input id="WIDE1" name="WIDE1" style="position: absolute; left: 10px; top: 5px; width: 780px; height: 20px;">
  <input id="MID1" name="MID1" style="position: absolute; left: 300px; top: 300px; width: 200px; height: 20px;">
  <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="REGION1_data"></form>`;

const GLOBALS = `var GURLBase="/app/$/"; var GAppID="S"; var GTrackID=2; function Validate() { return true; }
  function InitKXCLObjects() {
    KX.initKXCL(KXCLForm,"TOP1",false);
    if (TOP1KXCL) { TOP1KXCL.SetAlign(alTop); TOP1KXCL.SetAnchors(new CreateAnchors(true, true, true, false)); }
    KX.initKXCL(KXCLForm,"REGION1",true);
    if (REGION1KXCL) { REGION1KXCL.SetAlign(alLeft); REGION1KXCL.SetAnchors(new CreateAnchors(true, false, true, true)); }
    REGION1KXCL.BorderWidthPixels = 1;
    KX.initKXCL(REGION1KXCL,"EDIT2",true);
    if (EDIT2KXCL) { EDIT2KXCL.SetAlign(); EDIT2KXCL.SetAnchors(new CreateAnchors(true, false, false, true)); }
    KX.initKXCL(KXCLForm,"CLIENT1",false);
    if (CLIENT1KXCL) { CLIENT1KXCL.SetAlign(alClient); CLIENT1KXCL.SetAnchors(new CreateAnchors(true, true, true, true)); }
    KX.initKXCL(KXCLForm,"OK1",false);
    if (OK1KXCL) { OK1KXCL.SetAlign(alNone); OK1KXCL.SetAnchors(new CreateAnchors(false, true, false, true)); }
    KX.initKXCL(KXCLForm,"WIDE1",false);
    if (WIDE1KXCL) { WIDE1KXCL.SetAlign(alNone); WIDE1KXCL.SetAnchors(new CreateAnchors(true, true, true, false)); }
    KX.initKXCL(KXCLForm,"MID1",false);
    if (MID1KXCL) { MID1KXCL.SetAlign(alNone); MID1KXCL.SetAnchors(new CreateAnchors(false, false, false, false)); }
  }`;

function rect(world, id) {
  const s = world.document.getElementById(id).style;
  return [s.left, s.top, s.width, s.height].map((v) => parseFloat(v));
}

function start(width, height) {
  const world = page(BODY, GLOBALS);
  world.window.innerWidth = width;
  world.window.innerHeight = height;
  world.run("InitRects(800, 600); InitKXCLObjects(); Body_OnResize();");
  return world;
}

function resize(world, width, height) {
  world.window.innerWidth = width;
  world.window.innerHeight = height;
  world.run("Body_OnResize();");
}

test("at the server's size nothing moves", () => {
  const world = start(800, 600);
  assert.deepEqual(rect(world, "TOP1"), [0, 0, 800, 50]);
  assert.deepEqual(rect(world, "REGION1"), [0, 50, 200, 550]);
  assert.deepEqual(rect(world, "CLIENT1"), [200, 50, 600, 550]);
  assert.deepEqual(rect(world, "OK1"), [700, 560, 80, 24]);
});

test("aligned and anchored controls follow the window, and growing back restores the layout", () => {
  const world = start(800, 600);
  resize(world, 1000, 700);
  assert.deepEqual(rect(world, "TOP1"), [0, 0, 1000, 50]);
  assert.deepEqual(rect(world, "REGION1"), [0, 50, 200, 650]);
  assert.deepEqual(rect(world, "CLIENT1"), [200, 50, 800, 650]);
  assert.deepEqual(rect(world, "OK1"), [900, 660, 80, 24], "right and bottom anchors keep the distances");
  assert.deepEqual(rect(world, "WIDE1"), [10, 5, 980, 20], "left and right anchors stretch");
  assert.deepEqual(rect(world, "MID1"), [400, 350, 200, 20], "no anchors: the control stays in the middle");
  assert.deepEqual(rect(world, "EDIT2"), [10, 110, 100, 20], "a child follows its region's new height");

  resize(world, 100, 60);
  assert.deepEqual(rect(world, "WIDE1"), [10, 5, 80, 20]);
  assert.deepEqual(rect(world, "CLIENT1"), [200, 50, 0, 10], "a size never goes below 0");

  resize(world, 800, 600);
  for (const [id, expected] of [["TOP1", [0, 0, 800, 50]], ["REGION1", [0, 50, 200, 550]],
                                ["CLIENT1", [200, 50, 600, 550]], ["OK1", [700, 560, 80, 24]],
                                ["WIDE1", [10, 5, 780, 20]], ["MID1", [300, 300, 200, 20]],
                                ["EDIT2", [10, 10, 100, 20]]]) {
    assert.deepEqual(rect(world, id), expected, id);
  }
  assert.equal(world.document.forms.SubmitForm.elements.KX_width.value, "800");
});

test("the resize request goes to the frame once the window stops changing", () => {
  const world = page(BODY + '<iframe id="onresize"></iframe>',
                     GLOBALS + 'var GOnResizetimeout=500; var GResizeURL="/app/$/RESIZE?KX_TrackID_=2";');
  world.window.innerWidth = 1000;
  world.window.innerHeight = 700;
  world.run("InitRects(800, 600); InitKXCLObjects(); Body_OnResize();");
  assert.deepEqual(rect(world, "TOP1"), [0, 0, 800, 50], "the server positions the controls");
  const resizeState = world.window.KX.Resize;
  assert.notEqual(resizeState.timer, null, "the request waits for the window to settle");
  world.window.clearTimeout(resizeState.timer);
  resizeState.requestPositions();
  const frame = world.document.getElementById("onresize");
  assert.equal(frame.getAttribute("src"), "/app/$/RESIZE?KX_TrackID_=2&KX_width=1000&KX_height=700");
  assert.equal(world.window.GSubmitting, true);
  // the answer document's lines
  world.run("var lRect = new Rect(0, 0, 1000, 50); TOP1KXCL.SetRect(lRect); TOP1KXCL.Rect = CopyRect(lRect);" +
            "GSubmitting=false;");
  assert.deepEqual(rect(world, "TOP1"), [0, 0, 1000, 50]);
});

test("dragging a splitter sizes its region, writes position and size, and its sibling makes room", () => {
  const world = start(800, 600);
  const w = world.window;
  const grip = world.document.getElementById("REGION1_grip");
  grip.dispatchEvent(new w.MouseEvent("mousedown", { clientX: 200, clientY: 100, bubbles: true, cancelable: true }));
  world.document.dispatchEvent(new w.MouseEvent("mousemove", { clientX: 250, clientY: 120, bubbles: true }));
  assert.deepEqual(rect(world, "REGION1"), [0, 50, 250, 550]);
  world.document.dispatchEvent(new w.MouseEvent("mouseup", { clientX: 250, clientY: 120, bubbles: true }));
  assert.equal(world.document.getElementById("REGION1_data").value, "0,252", "the size counts the borders");
  assert.deepEqual(rect(world, "CLIENT1"), [250, 50, 550, 550]);
  resize(world, 900, 600);
  assert.deepEqual(rect(world, "REGION1"), [0, 50, 250, 550], "the new width holds on resize");
  assert.deepEqual(rect(world, "CLIENT1"), [250, 50, 650, 550]);

  const splitter = w.KX.Splitter;
  const start0 = new w.Rect(0, 500, 800, 100);
  assert.deepEqual(Object.values(splitter.rectAfter(start0, "top", 0, -30, 600)), [0, 470, 800, 130]);
  assert.deepEqual(Object.values(splitter.rectAfter(start0, "top", 0, 400, 600)), [0, 600, 800, 0]);
  assert.deepEqual(Object.values(splitter.rectAfter(start0, "bottom", 0, 900, 600)), [0, 500, 800, 600]);
});

test("client properties: the focus colour and Enter submitting the control", () => {
  const world = page(`<input id="EDIT1" name="EDIT1">
      <form name="SubmitForm" action="/app/$/"><input type="hidden" name="EDIT1"></form>`,
      `var GTrackID=3; function Validate() { return window.kxValid !== false; }
       InitRects(800, 600); KX.initKXCL(KXCLForm, "EDIT1", true);
       EDIT1KXCL.SetProps({"ImplicitSubmit":true,"SubmitValidation":false,"FocusColor":"#FFFF00","BGColor":"-1"});`);
  const w = world.window;
  const edit = world.document.getElementById("EDIT1");
  edit.dispatchEvent(new w.FocusEvent("focus"));
  assert.equal(edit.style.backgroundColor, "rgb(255, 255, 0)");
  edit.dispatchEvent(new w.FocusEvent("blur"));
  assert.equal(edit.style.backgroundColor, "");
  world.run("window.kxValid = false;");
  const enter = new w.KeyboardEvent("keydown", { keyCode: 13, cancelable: true });
  edit.dispatchEvent(enter);
  assert.equal(enter.defaultPrevented, true);
  assert.equal(world.posts.length, 1, "SubmitValidation false: no validation");
  assert.equal(world.posts[0].get("KX_Action"), "EDIT1");
  assert.equal(world.posts[0].get("KX_ActionParam"), "");
});

test("a blur handler set aside by page code does not run while the control takes the focus", () => {
  const world = page('<input id="EDIT1" name="EDIT1"><input id="EDIT3" name="EDIT3">',
      'InitRects(800, 600); KX.initKXCL(KXCLForm, "EDIT1", true); var exits = 0;' +
      'EDIT1KXCL.HookEvent("blur", function () { exits++; });');
  const w = world.window;
  world.run("var xEvent = EDIT1KXCL.onBlur; EDIT1KXCL.onBlur = null;");
  world.document.getElementById("EDIT1").dispatchEvent(new w.FocusEvent("blur"));
  world.run("EDIT1KXCL.onBlur = xEvent;");
  assert.equal(w.exits, 0);
  world.document.getElementById("EDIT1").dispatchEvent(new w.FocusEvent("blur"));
  assert.equal(w.exits, 1);
});

test("load hooks run once after start-up; unload hooks when the page goes", async () => {
  const world = page('<div id="PANEL1"></div>',
      'InitRects(800, 600); KX.initKXCL(KXCLForm, "PANEL1", false); AttachBeforeUnload(); var seen = [];' +
      'PANEL1KXCL.HookEvent("load", function () { seen.push("load"); });' +
      'PANEL1KXCL.HookEvent("unload", function () { seen.push("unload"); });');
  const w = world.window;
  await tick(w);
  assert.deepEqual(Array.from(w.seen), ["load"]);
  w.dispatchEvent(new w.Event("pagehide"));
  world.run("ReleaseKXCL();");
  assert.deepEqual(Array.from(w.seen), ["load", "unload"]);
  assert.equal(w.PANEL1KXCL, null);
});

test("the back-button guard puts the page back and shows its message", () => {
  const world = page("", 'KXBackIntercept.Init(false, true, "Back button cannot be used in this page", "/app/$/");');
  const w = world.window;
  assert.equal(w.history.length, 2);
  w.dispatchEvent(new w.PopStateEvent("popstate", { state: { kxBackIntercept: "page" } }));
  assert.deepEqual(world.alerts, ["Back button cannot be used in this page"]);
  assert.equal(w.history.state.kxBackIntercept, "guard");
});

test("after a callback a moved control is placed for the window's size, and a re-created one keeps its place", () => {
  const world = start(800, 600);
  resize(world, 1000, 700);
  world.window.KX.Ajax.callback("OK1.DoOnAsyncClick", null, false, {});
  world.requests[0].respond(200, '<?xml version="1.0"?><response><update>' +
      '<control id="OK1" type="KXBUTTON"><style><attribute name="left">600px</attribute></style></control>' +
      '<control id="WIDE1" type="KXEDIT"><hint>tip</hint></control></update>' +
      "<execute><literal>InitKXCLObjects();</literal></execute><rewrite></rewrite><submit>/app/$/</submit>" +
      "<trackid>3</trackid></response>");
  assert.deepEqual(rect(world, "OK1"), [800, 660, 80, 24], "the server's left 600 plus the window's 200 more");
  assert.deepEqual(rect(world, "WIDE1"), [10, 5, 980, 20]);
  resize(world, 800, 600);
  assert.deepEqual(rect(world, "OK1"), [600, 560, 80, 24]);
  assert.deepEqual(rect(world, "WIDE1"), [10, 5, 780, 20]);
});
