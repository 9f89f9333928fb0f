// The compressed scripts the build makes from the readable ones (resources/bundles.txt) work as the readable ones
// do and hold every script of their list, minified or joined. The build's resource folder comes from
// KX_BUILT_RESOURCES (ctest sets it; scripts/check-install.sh for a build without node); without it the tests are
// skipped.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");
const { page } = require("./harness.js");

const built = process.env.KX_BUILT_RESOURCES;
const needsBuild = { skip: !built && "no build folder" };
const resources = path.join(__dirname, "..", "..", "resources");
const { JSDOM, VirtualConsole } = require(path.join(resources, "node_modules", "jsdom"));

// The first line of a bundle that cmake/JoinScripts.cmake joined (a build without node).
const JOINED_NOTICE = "/* Joined, not minified: node was not at hand when this library was built. */\n";

// resources/bundles.txt: [{ bundle, scripts }], the paths absolute.
function bundleList() {
  const list = fs.readFileSync(path.join(resources, "bundles.txt"), "utf8");
  return list.split("\n").map((line) => line.trim()).filter((line) => line && !line.startsWith("#")).map((line) => {
    const [bundle, ...scripts] = line.split(/\s+/);
    return { bundle, scripts: scripts.map((script) => path.join(resources, script)) };
  });
}

function readBuilt(file) {
  return fs.readFileSync(path.join(built, file), "utf8");
}

// The names of the globals that the script files define, loaded in order into an empty page.
function globalsOf(files) {
  const dom = new JSDOM("<!DOCTYPE html><html><head></head><body></body></html>", {
    runScripts: "dangerously", url: "http://127.0.0.1:8080/app/", virtualConsole: new VirtualConsole() });
  const before = new Set(Object.getOwnPropertyNames(dom.window));
  for (const file of files) {
    const script = dom.window.document.createElement("script");
    script.textContent = fs.readFileSync(file, "utf8");
    dom.window.document.head.appendChild(script);
  }
  const names = Object.getOwnPropertyNames(dom.window).filter((name) => !before.has(name)).sort();
  dom.window.close();
  return names;
}

test("each bundle defines every global of the scripts it is made of", needsBuild, () => {
  for (const { bundle, scripts } of bundleList()) {
    const expected = globalsOf(scripts);
    const defined = new Set(globalsOf([path.join(built, bundle)]));
    assert.deepEqual(expected.filter((name) => !defined.has(name)), [], `${bundle}: globals missing`);
  }
});

test("a joined bundle holds the text of every script of its list, in order", needsBuild, (t) => {
  const joined = bundleList().map((entry) => ({ ...entry, text: readBuilt(entry.bundle) }))
                             .filter((entry) => entry.text.startsWith(JOINED_NOTICE));
  if (joined.length === 0) return t.skip("the bundles of this build are minified");
  for (const { bundle, scripts, text } of joined) {
    let at = JOINED_NOTICE.length;
    for (const script of scripts) {
      const own = fs.readFileSync(script, "utf8").trim() + "\n;\n";
      assert.equal(text.indexOf(own, at), at, `${bundle}: ${path.relative(resources, script)} where it belongs`);
      at += own.length;
    }
    assert.equal(text.length, at, `${bundle}: nothing after its last script`);
  }
});

test("the compressed framework scripts submit and apply a callback answer", needsBuild, () => {
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
