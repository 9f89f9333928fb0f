// The tree view in client-script mode: opening and closing branches from the page's elements, the status field.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const HIDDEN = ' style="visibility:hidden; display:none;"';

// T1: a (open) > b (closed) > c; d. A second tree T2 uses the same item names.
function tree(name, status, bHidden) {
  const item = (id, inner, hidden, children) => `<span id="${name}_${id}" data-kxitem="${id}"${hidden ? HIDDEN : ""}>` +
    (children ? `<a id="${name}_plusImg_${id}" href="#"></a><a id="${name}_minusImg_${id}" href="#"></a>` : "") +
    `<span>${inner}</span><br>${children || ""}</span>`;
  return `<div id="${name}"><input type="hidden" name="${name}status" id="${name}status" value="${status}">` +
    `<div id="${name}Container">` +
    item("a", "A", false, item("b", "B", false, item("c", "C", bHidden))) + item("d", "D", false) +
    "</div></div>";
}

function treePage() {
  const world = page(tree("T1", "%2ca%2c", true) + tree("T2", "%2ca%2c%2cb%2c", false),
                     `var GURLBase="/app/$/"; var GAppID="A"; var GTrackID=1;`);
  world.run(`T1KXCL = document.getElementById("T1"); T1KXCL.kxName = "T1";
    T1KXCL.Items = new AddTVItem(T1KXCL, "a", new AddTVItem(T1KXCL, "b", new AddTVItem(T1KXCL, "c", null, null), null),
      new AddTVItem(T1KXCL, "d", null, null));
    InitTreeView(T1KXCL, "T1Container");
    T2KXCL = document.getElementById("T2"); T2KXCL.kxName = "T2"; InitTreeView(T2KXCL, "T2Container");`);
  return world;
}

const shown = (world, id) => world.document.getElementById(id).style.display !== "none";

test("closing and opening a branch shows its items as they were and keeps the status", () => {
  const world = treePage();
  const w = world.window;
  assert.equal(w.T1KXCL.Items.firstChild.name, "b");
  w.T1KXCL.OpenTreeItem("b");
  assert.ok(shown(world, "T1_c"));
  assert.equal(world.document.getElementById("T1status").value, "%2ca%2c%2cb%2c");
  w.T1KXCL.CloseTreeItem("a");
  assert.ok(!shown(world, "T1_b"));
  assert.ok(!shown(world, "T1_c"));
  assert.ok(shown(world, "T1_plusImg_a"));
  assert.ok(!shown(world, "T1_minusImg_a"));
  assert.equal(world.document.getElementById("T1status").value, "%2cb%2c");
  // b stayed expanded: opening a shows c again.
  w.T1KXCL.OpenTreeItem("a");
  assert.ok(shown(world, "T1_b") && shown(world, "T1_c"));
  assert.equal(world.document.getElementById("T1status").value, "%2ca%2c%2cb%2c");
  // The other tree is untouched.
  assert.equal(world.document.getElementById("T2status").value, "%2ca%2c%2cb%2c");
  assert.ok(shown(world, "T2_c"));
});

test("the status is written in the server's encoding", () => {
  const world = treePage();
  const encode = world.window.KX.Tree.encode;
  assert.equal(encode(",a b,"), "%2ca+b%2c");
  assert.equal(encode("x~$@'()*!-._\u00e9"), "x%7e$@'()*!-._%c3%a9");
  assert.equal(world.window.KX.Tree.decode("%zz"), "");
});
