// The plug-in objects' scripts: an ActiveX object written out again in place of its "comment" holder
// (KXPlugins.js), and the Silverlight controls' creation script showing a notice where no plug-in runs
// (Silverlight.js).
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

// An ActiveX object with ForceActivation as the server writes it, less the script that calls DoAXReWrite (the
// page's scripts load after the markup here).
const ACTIVEX = `<p id="BEFORE">before</p><div id="OBJECT1_div"><comment id="OBJECT1_ToBeReWritten"><object id="OBJECT1"
  classid="clsid:1" width="120"><param name="src" value="movie.bin"></object><span id="FALLBACK">text</span></comment>
  </div><p id="AFTER">after</p>`;

test("DoAXReWrite puts the holder's content in the holder's place, in order, once", () => {
  const world = page(ACTIVEX);
  const d = world.document;
  world.run('DoAXReWrite( "OBJECT1_ToBeReWritten" );');
  assert.equal(d.getElementById("OBJECT1_ToBeReWritten"), null, "the holder is gone");
  const div = d.getElementById("OBJECT1_div");
  const children = [...div.children].map((child) => child.id);
  assert.deepEqual(children, ["OBJECT1", "FALLBACK"]);
  const object = d.getElementById("OBJECT1");
  assert.equal(object.getAttribute("classid"), "clsid:1");
  assert.equal(object.querySelector("param").getAttribute("value"), "movie.bin", "the object keeps its parameters");
  assert.equal(d.getElementById("BEFORE").nextElementSibling.id, "OBJECT1_div");
  assert.equal(d.getElementById("AFTER").previousElementSibling.id, "OBJECT1_div");
  const markup = d.body.innerHTML;
  world.run('DoAXReWrite( "OBJECT1_ToBeReWritten" );');
  assert.equal(d.body.innerHTML, markup, "a second call changes nothing");
});

test("DoAXReWrite leaves the page alone for an id it does not find", () => {
  const world = page(ACTIVEX);
  const markup = world.document.body.innerHTML;
  for (const id of ['"OTHER"', "undefined", "null", "42", '""']) {
    world.run(`DoAXReWrite(${id});`);
    assert.equal(world.document.body.innerHTML, markup, id);
  }
  // A holder taken out of the page has no place to be written into.
  world.run('var held = document.getElementById("OBJECT1_ToBeReWritten"); held.parentNode.removeChild(held);' +
            "DoAXReWrite(held.id);");
  assert.equal(world.document.getElementById("OBJECT1"), null);
});

// The creation script as TKXSilverlight writes it into its DIV (the form's layout gives the DIV its id).
const CREATE = `function createSilverlight()
{
 Silverlight.createObjectEx({
   source: 'http://127.0.0.1/app.xap',
   parentElement:document.getElementById("LIGHT1"),
   id: 'LIGHT1',
   properties:{
     width:'300',
     height:'200',
     background:'#FFFFFF',
     isWindowless:'true',
     framerate:'24',
     enableFramerateCounter:'true',
     version:'1.1'
   }, events:{onError:null,onLoad:null,OnResize:null},context:null});
};
;createSilverlight();`;

test("the Silverlight creation script shows the notice in its DIV and no plug-in object", () => {
  const world = page('<div id="LIGHT1"><span id="KEPT">kept</span></div>');
  world.run(CREATE);
  const div = world.document.getElementById("LIGHT1");
  const notice = div.querySelector(".KXPluginNotice");
  assert.ok(notice);
  assert.equal(notice.textContent, world.window.Silverlight.NOTICE);
  assert.equal(notice.children.length, 0, "the notice is text only");
  assert.equal(div.firstElementChild.id, "KEPT", "what the DIV held stays before it");
  assert.equal(world.document.querySelectorAll("object, embed").length, 0);
  assert.equal(world.window.Silverlight.isInstalled("1.1"), false);
});

test("createObjectEx finds its parent by id, and without one returns null and leaves the page alone", () => {
  const world = page('<div id="LIGHT2"></div>');
  const S = world.window.Silverlight;
  const notice = S.createObjectEx({ parentElement: null, id: "LIGHT2", properties: {} });
  assert.equal(notice.parentNode, world.document.getElementById("LIGHT2"));
  const markup = world.document.body.innerHTML;
  for (const params of [undefined, null, {}, { id: "MISSING" }, { parentElement: "LIGHT2" }]) {
    assert.equal(S.createObjectEx(params), null, JSON.stringify(params));
  }
  assert.equal(world.document.body.innerHTML, markup);
});
