// The page services' scripts: the status monitor and the modal window (the timer runs in the browser tests).
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `<span id="LABEL1" style="position:absolute">Content</span>
  <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="KX_FormName" value="F"></form>`;
const GLOBALS = `var GURLBase="/app/$/"; var GAppID="A"; var GTrackID=1; function Validate() { return true; }`;

// Lets the page's timers run for ms milliseconds.
function wait(world, ms) {
  return new Promise((resolve) => world.window.setTimeout(resolve, ms));
}

test("a monitor polls the status until it reaches its target, then fires once", async () => {
  const world = page(BODY, GLOBALS);
  world.run('KX.Session.setMonitor("MON1", true, 10, 0, 5, true);');
  await wait(world, 15);
  const poll = world.requests[0];
  assert.match(poll.url, /^\/app\/\$\/QueryStatus\?/);
  assert.equal(poll.query().KX_SessionID_, "A");
  poll.respond(200, '<?xml version="1.0"?><status>4</status>');
  await wait(world, 15);
  world.requests[1].respond(200, "<status>5</status>");
  const callbacks = world.requests.filter((r) => r.query().callback === "MON1.DoOnAsyncEvent");
  assert.equal(callbacks.length, 1);
  assert.equal(world.window.KX.Session.monitors.MON1, undefined);
});

test("a modal window covers the page, shows its content and calls back when closed", () => {
  const world = page(BODY, GLOBALS);
  const d = world.document;
  world.run(`var x = new KXModalWindow({"title": "<b>Hi</b>", "width": "400", "contentElement": "LABEL1",
    "buttons": ['OK','Don\\u0027t'], "closeCallback": "MODAL1.DoOnAsyncClose",
    "btnClickCallback": "MODAL1.DoOnAsyncClick"});x.show();`);
  const dialog = d.querySelector(".KXModalWindow");
  assert.ok(d.querySelector(".KXModalVeil"));
  assert.equal(dialog.style.width, "400px");
  assert.equal(dialog.querySelector(".KXModalTitle span").textContent, "<b>Hi</b>");
  assert.equal(dialog.querySelector(".KXModalBody").firstChild.id, "LABEL1");
  const buttons = dialog.querySelectorAll("button");
  assert.deepEqual([...buttons].map((b) => b.textContent), ["OK", "Don't"]);
  buttons[1].click();
  assert.equal(d.querySelector(".KXModalWindow"), null);
  assert.equal(d.querySelector(".KXModalVeil"), null);
  assert.equal(d.getElementById("LABEL1").parentNode, d.body, "the content goes back");
  assert.equal(world.requests[0].query().callback, "MODAL1.DoOnAsyncClick");
  assert.equal(world.requests[0].form().ButtonIndex, "1");

  world.run('new KXModalWindow({"closeCallback": "MODAL1.DoOnAsyncClose", "src": "javascript:alert(1)"}).show();');
  assert.equal(d.querySelector(".KXModalBody").children.length, 0, "no script URL is loaded");
  d.querySelector(".KXModalClose").click();
  world.requests[0].respond(200, "<response/>");
  assert.equal(world.requests[1].query().callback, "MODAL1.DoOnAsyncClose");
});
