// The file uploader's client: the control built from the server's templates, files checked before they are sent,
// one multipart post at a time to the session's upload path, the answers shown, the callbacks with their
// parameters. Names and messages are shown as text.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const CLASSES = `{button: "up1-button", buttonHover: "up1-button-hover", drop: "up1-drop-area",
  dropActive: "up1-drop-area-active", dropDisabled: "up1-drop-area-disabled", list: "up1-list",
  spinner: "up1-upload-spinner", progressBar: "up1-progress-bar", file: "up1-upload-file", size: "up1-upload-size",
  listItem: "up1-upload-listItem", cancel: "up1-upload-cancel", success: "up1-upload-success",
  fail: "up1-upload-fail", successIcon: "up1-success-icon", failIcon: "up1-fail-icon"}`;

// The options as the server writes them (see FileUploader.cpp), with extra ones.
function uploaderPage(extra = "") {
  const world = page(`<div id="UP1"></div><form name="SubmitForm"><input type="hidden" name="KX_FormID_" value="F7">` +
                     `</form>`, `var GURLBase="/app/S1/$/"; var GAppID="S1"; var GTrackID=3;`);
  world.run(`window.UP1_Obj = new kxfu.FileUploader({element: document.getElementById("UP1"),
    action: "$/upload/" + (GTrackID), inputName: "UP1", inputId: "UP1_INPUT", enabled: true, autoUpload: true,
    btnVisible: true, listVisible: true, asyncHandlers: ["SelectFile", "UploadSuccess", "UploadError"],
    sizeLimit: 10, params: {"KX_ActionParam": "UP1", "KXFileUploader": "true", "UP1": ""},
    customHeaders: {"X-KXFileUploader": "true", "X-KXFieldName": "UP1"}, uploadButtonText: 'Upload <b>', dragText: 'Drop',
    cancelButtonText: 'Cancel', ofTotalText: 'of', failUploadText: 'Upload failed',
    messages: {typeError: '{file} has an invalid extension. Only {extensions} files are allowed.',
      sizeError: '{file} is too large, maximum file size is {sizeLimit}.', emptyError: '{file} is empty.',
      noFilesError: 'No files to upload.', onLeave: 'Leaving'},
    template: '<div class="KXFileUploader"><div id="UP1_drop_area" class="up1-drop-area"><span>{dragText}</span></div>' +
      '<div id="UP1_button" class="up1-button">{uploadButtonText}</div><ul id="UP1_list" class="up1-list"></ul></div>',
    fileTemplate: '<li><span class="up1-progress-bar"></span><span class="up1-upload-spinner"></span>' +
      '<span class="up1-upload-file"></span><span class="up1-upload-size"></span>' +
      '<a class="up1-upload-cancel" href="#">{cancelButtonText}</a></li>',
    classes: ${CLASSES} ${extra}});`);
  return world;
}

const file = (world, name, bytes) => new world.window.File([bytes], name);
const lines = (world) => [...world.document.querySelectorAll("#UP1_list li")].map((li) => ({
  name: li.querySelector(".up1-upload-file").textContent, size: li.querySelector(".up1-upload-size").textContent,
  ok: li.classList.contains("up1-upload-success"), failed: li.classList.contains("up1-upload-fail")
}));
const uploads = (world) => world.requests.filter((r) => r.url.indexOf("/upload/") >= 0);
const callbacks = (world) => world.requests.filter((r) => r.url.indexOf("callback?") >= 0).map((r) => ({
  name: r.query().callback, form: r.form()
}));

test("the control is built from the templates with its texts as text", () => {
  const world = uploaderPage();
  assert.equal(world.document.getElementById("UP1_button").textContent, "Upload <b>");
  assert.equal(world.document.getElementById("UP1_INPUT").type, "file");
  assert.equal(world.document.getElementById("UP1_INPUT").multiple, true);
});

test("files are checked, then posted one at a time to the session's upload path", () => {
  const world = uploaderPage(", allowedExtensions: ['txt']");
  const w = world.window;
  const evil = "<img src=x onerror=alert(1)>.txt";
  w.UP1_Obj.addFiles([file(world, "a.txt", "12345"), file(world, "big.txt", "12345678901"),
                      file(world, "c.exe", "1"), file(world, evil, "xy")]);
  assert.deepEqual(lines(world).map((l) => [l.name, l.failed]),
                   [["a.txt", false], ["big.txt", true], ["c.exe", true], [evil, false]]);
  assert.equal(lines(world)[1].size, "big.txt is too large, maximum file size is 10 B.");
  assert.equal(lines(world)[2].size, "c.exe has an invalid extension. Only txt files are allowed.");
  assert.equal(world.document.querySelectorAll("#UP1_list img").length, 0);

  let sent = uploads(world);
  assert.equal(sent.length, 1);
  assert.equal(sent[0].method, "POST");
  assert.equal(sent[0].url, "/app/S1/$/upload/3");
  assert.equal(sent[0].headers["X-KXFieldName"], "UP1");
  assert.equal(sent[0].headers["X-KXFileUploader"], "true");
  const body = sent[0].body;
  assert.equal(body.get("KX_ActionParam"), "UP1");
  assert.equal(body.get("KXFileUploader"), "true");
  assert.equal(body.get("KX_SessionID_"), "S1");
  assert.equal(body.get("KX_FormID_"), "F7");
  assert.equal(body.getAll("UP1").find((v) => typeof v !== "string").name, "a.txt");

  sent[0].respond(200, '{"success":true}');
  assert.equal(lines(world)[0].ok, true);
  sent = uploads(world);
  assert.equal(sent.length, 2);
  assert.equal(sent[1].body.getAll("UP1").find((v) => typeof v !== "string").name, evil);
  sent[1].respond(200, '{"error":"<b>refused</b>"}');
  assert.equal(lines(world)[3].failed, true);
  assert.equal(lines(world)[3].size, "<b>refused</b>");
});

test("the callbacks the page asked for go with named parameters", () => {
  const world = uploaderPage();
  world.window.UP1_Obj.addFiles([file(world, "a.txt", "1"), file(world, "b.txt", "22")]);
  uploads(world)[0].respond(200, '{"success":true}');
  uploads(world)[1].respond(500, "");
  const names = callbacks(world).map((c) => c.name);
  // Callbacks go one at a time: answer each so the next is sent.
  for (let i = 0; i < 5; i++) {
    const pending = world.requests.filter((r) => r.url.indexOf("callback?") >= 0 && r.readyState !== 4);
    pending.forEach((r) => r.respond(200, "<response></response>"));
  }
  const all = callbacks(world);
  assert.equal(names[0], "UP1.DoOnAsyncSelectFile");
  assert.deepEqual(all.map((c) => c.name), ["UP1.DoOnAsyncSelectFile", "UP1.DoOnAsyncSelectFile",
    "UP1.DoOnAsyncUploadSuccess", "UP1.DoOnAsyncUploadError"]);
  assert.equal(all[0].form.FileName, "a.txt");
  assert.equal(all[1].form.FileSize, "2");
  assert.equal(all[2].form.FileName, "a.txt");
  assert.deepEqual([all[3].form.FileName, all[3].form.Error], ["b.txt", "Upload failed"]);
});

test("a disabled control takes no files, and one file at a time when not multiple", () => {
  const world = uploaderPage(", multiple: false");
  const w = world.window;
  w.UP1_Obj.dropped([file(world, "a.txt", "1"), file(world, "b.txt", "1")]);
  assert.equal(lines(world)[0].size, "You may only drop a single file");
  assert.equal(uploads(world).length, 0);
  w.UP1_Obj.setEnabled(false);
  w.UP1_Obj.addFiles([file(world, "a.txt", "1")]);
  assert.equal(uploads(world).length, 0);
  assert.ok(world.document.getElementById("UP1_drop_area").classList.contains("up1-drop-area-disabled"));
});
