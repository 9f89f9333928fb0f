// The compressed scripts the build makes from the readable ones work as the readable ones do. The build's
// resource folder comes from KX_BUILT_RESOURCES (ctest sets it); without it the test is skipped.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const path = require("path");
const { page } = require("./harness.js");

const built = process.env.KX_BUILT_RESOURCES;

test("the compressed framework scripts submit and apply a callback answer", { skip: !built && "no build folder" }, () => {
  const scripts = ["KXLib.js", "KXBase.js", "KXGecko.js"].map((file) => path.join(built, "js", file));
  const world = page(`<form onsubmit="return FormDefaultSubmit();"><input id="EDIT1" name="EDIT1" value="v"></form>
      <span id="LABEL1"></span>
      <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="EDIT1"></form>`,
      `var GURLBase="/app/$/"; var GAppID="S"; var GTrackID=36; function Validate() { return true; }
       function InitKXCLObjects() { KX.initKXCL(KXCLForm,"EDIT1",true); KX.initKXCL(KXCLForm,"LABEL1",false); }
       InitRects(800, 600); InitKXCLObjects(); Body_OnResize();`, scripts);
  const w = world.window;
  assert.equal(typeof w.jQuery, "function", "jQuery is bundled");
  assert.equal(typeof w.jQuery.fn.mask, "function", "the masked-input plug-in is bundled");
  assert.equal(w.EDIT1KXCL.value, "v");

  w.KX.Ajax.callback("EDIT1.DoOnAsyncChange", w.EDIT1KXCL, false, {});
  assert.equal(world.requests[0].query().KX_TrackID_, "10");
  world.requests[0].respond(200, '<?xml version="1.0"?><response><update><control id="LABEL1" type="KXLABEL">' +
      "<innerhtml><![CDATA[<i>x</i>]]></innerhtml></control></update><execute></execute><rewrite></rewrite>" +
      "<submit>/app/$/</submit><trackid>37</trackid></response>");
  assert.equal(world.document.getElementById("LABEL1").innerHTML, "<i>x</i>");

  w.SubmitClickConfirm("EDIT1", "", true, "");
  assert.equal(world.posts[0].get("KX_TrackID_"), "11");
  assert.equal(world.posts[0].get("EDIT1"), "v");
});
