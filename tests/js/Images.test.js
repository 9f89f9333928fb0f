// The update of an image control: the new source reaches the image whatever holds it.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `<a id="IMAGE1" href="#"><img name="IMAGE1" src="old.png"></a><span id="IMAGE2"></span>
  <img id="IMAGE3" name="IMAGE3" src="old.png">`;

test("a new source goes to the image inside a link, into an empty image, or to the image itself", () => {
  const world = page(BODY, `var GURLBase="/app/$/"; var GAppID="A"; var GTrackID=1;`);
  const control = (id, type, src) => `<control id="${id}" type="${type}"><src>${src}</src>` +
    "<hint>Tom &amp;amp; Jerry</hint></control>";
  world.run(`KX.Ajax.applyText(${JSON.stringify("<response><update>" + control("IMAGE1", "IMAGE", "a.png") +
    control("IMAGE2", "IMAGE", "b.png") + control("IMAGE3", "KXIMAGEFILE", "javascript:alert(1)") +
    "</update></response>")});`);
  const d = world.document;
  assert.match(d.querySelector("#IMAGE1 img").src, /\/a\.png$/);
  assert.equal(d.getElementById("IMAGE1").title, "Tom & Jerry", "the other properties still apply");
  assert.match(d.querySelector("#IMAGE2 img").src, /\/b\.png$/);
  assert.match(d.getElementById("IMAGE3").src, /\/old\.png$/, "no script URL");
});
