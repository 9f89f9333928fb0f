// The click position of an image control: posted as the submit parameter "x,y" inside the image.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `<img id="IMAGE1" name="IMAGE1" src="a.png">
  <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="KX_FormName" value="F"></form>`;
const GLOBALS = `var GURLBase="/app/$/"; var GAppID="A"; var GTrackID=1; function Validate() { return true; }`;

function clickAt(world, clientX, clientY, confirmation) {
  const image = world.document.getElementById("IMAGE1");
  image.getBoundingClientRect = () => ({ left: 10, top: 20, width: 100, height: 50 });
  const event = new world.window.MouseEvent("mousedown", { clientX, clientY, bubbles: true });
  image.onmousedown = function (e) {
    return world.window.ImageClick(this.name, e, true, confirmation || "");
  };
  image.dispatchEvent(event);
  return event;
}

test("a click posts its position inside the image", () => {
  const cases = [[25, 40, "15,20"], [10.4, 20.6, "0,1"], [5, 5, "0,0"]];
  for (const [x, y, posted] of cases) {
    const world = page(BODY, GLOBALS);
    const event = clickAt(world, x, y);
    assert.equal(world.posts.length, 1);
    assert.equal(world.posts[0].get("KX_Action"), "IMAGE1");
    assert.equal(world.posts[0].get("KX_ActionParam"), posted);
    assert.equal(event.defaultPrevented, true);
  }
});

test("a declined confirmation posts nothing", () => {
  const world = page(BODY, GLOBALS);
  world.confirmAnswer = false;
  clickAt(world, 25, 40, "Sure?");
  assert.deepEqual(world.confirms, ["Sure?"]);
  assert.equal(world.posts.length, 0);
});
