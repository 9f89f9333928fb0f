// The editor's browser half (kx/controls/htmleditor/KXWebEdit.js): the document is sanitised before the frame
// shows it, the posted field follows the frame on every submit and callback, and what the browser refuses does
// nothing. (The plug-in scripts are run by the browser test of the gallery page.)
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");
const { page } = require("./harness.js");

const PURIFY = fs.readFileSync(
  path.join(__dirname, "..", "..", "resources", "node_modules", "dompurify", "dist", "purify.js"), "utf8");

const EDITOR = `
  <div id="WEBEDIT1"><span id="WEBEDIT1myedit">
    <textarea style="display:none;" id="WEBEDIT1editorTextArea"></textarea>
    <iframe id="WEBEDIT1editorDiv" class="WEBEDIT1editorText"></iframe>
  </span><input type="hidden" name="WEBEDIT1" id="WEBEDIT1_INPUT"></div>
  <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="WEBEDIT1"></form>`;

const GLOBALS = `var GURLBase="/app/$/"; var GAppID="Ab~-0123456789abcdefgh"; var GTrackID=1;
  function Validate() { return true; }`;

const HOSTILE = '<b>bold</b><img src="x" onerror="window.hit=1"><script>window.hit=2</script>' +
                '<a href="javascript:window.hit=3">link</a><p onclick="window.hit=4">p</p>';

// A page with the editor started on html; purify: DOMPurify is loaded as the page loads it.
function editorPage(html, purify = true) {
  const world = page(EDITOR, GLOBALS);
  if (purify) world.run(PURIFY);
  world.run("InitRects(1024, 768); InitKXCLObjects = function(){};");
  world.window.FindElem("WEBEDIT1").value = html;
  world.window.KXWebEdit.initialize("WEBEDIT1", { designMode: "On", fontName: "Arial", fontSize: 12 });
  world.frameBody = world.document.getElementById("WEBEDIT1editorDiv").contentDocument.body;
  return world;
}

test("the document is sanitised by an allow-list before the frame shows it", () => {
  const world = editorPage(HOSTILE);
  const body = world.frameBody;
  assert.equal(body.querySelector("b").textContent, "bold");
  assert.equal(body.querySelectorAll("script").length, 0);
  assert.equal(body.querySelector("img").getAttribute("onerror"), null);
  assert.equal(body.querySelector("a").getAttribute("href"), null);
  assert.equal(body.querySelector("p").getAttribute("onclick"), null);
  assert.equal(world.window.hit, undefined);
  assert.equal(world.document.getElementById("WEBEDIT1_INPUT").value, body.innerHTML, "the field follows the frame");
});

test("without the sanitiser the document is shown as text, never as markup", () => {
  const world = editorPage(HOSTILE, false);
  assert.equal(world.frameBody.children.length, 0);
  assert.equal(world.frameBody.textContent, HOSTILE);
});

test("a submit posts the frame's current HTML without line breaks", () => {
  const world = editorPage("<p>start</p>");
  world.frameBody.innerHTML = "<p>typed\n<b>bold</b></p>\r\n<ul><li>one</li></ul>";
  world.run("SubmitClickConfirm('BUTTON1', '', true, '');");
  assert.equal(world.posts.length, 1);
  assert.equal(world.posts[0].get("WEBEDIT1"), "<p>typed<b>bold</b></p><ul><li>one</li></ul>");
});

test("a callback also syncs the field first", () => {
  const world = editorPage("<p>start</p>");
  world.frameBody.innerHTML = "<i>later</i>";
  world.run("KX.Ajax.callback('BUTTON2.DoOnAsyncClick', null, false, {});");
  assert.equal(world.document.getElementById("WEBEDIT1_INPUT").value, "<i>later</i>");
});

test("commands the browser lacks or refuses do nothing, and addresses that run script are refused", () => {
  const world = editorPage("<p>text</p>");
  const doc = world.document.getElementById("WEBEDIT1editorDiv").contentDocument;
  const run = [];
  doc.execCommand = (command, ui, value) => {
    run.push([command, value]);
    if (command === "paste") throw new Error("refused");
    return true;
  };
  const edit = world.window.KXWebEdit;
  assert.equal(edit.toolBarCommand("WEBEDIT1", "bold"), true);
  assert.equal(edit.toolBarCommand("WEBEDIT1", "paste"), false);
  world.window.prompt = () => "javascript:alert(1)";
  assert.equal(edit.toolBarCommand("WEBEDIT1", "CreateLink"), false);
  world.window.prompt = () => "http://127.0.0.1/page";
  assert.equal(edit.toolBarCommand("WEBEDIT1", "CreateLink"), true);
  edit.command("WEBEDIT1", "formatBlock", "<body>");
  assert.equal(edit.toolBarCommand("WEBEDIT1", "InsertHorizontalRule"), true);
  assert.deepEqual(run, [["bold", ""], ["paste", ""], ["CreateLink", "http://127.0.0.1/page"],
                         ["formatBlock", "<p>"], ["InsertHorizontalRule", ""]]);
  delete doc.execCommand;
  doc.execCommand = undefined;
  assert.equal(edit.command("WEBEDIT1", "bold", null), false);
});

test("the source view takes its text back through the sanitiser", () => {
  const world = editorPage("<p>a</p>");
  const edit = world.window.KXWebEdit;
  edit.showSource("WEBEDIT1", true);
  const source = world.document.getElementById("WEBEDIT1editorTextArea");
  assert.equal(source.value, "<p>a</p>");
  source.value = "<p>b</p><script>window.hit=1</script>";
  edit.showSource("WEBEDIT1", false);
  assert.equal(world.frameBody.innerHTML, "<p>b</p>");
});
