// The files docs/GETTING-STARTED.md shows whole are the files of examples/hello, as they stand.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");

const root = path.join(__dirname, "..", "..");
const guide = fs.readFileSync(path.join(root, "docs", "GETTING-STARTED.md"), "utf8");

// The first code block after the sentence that names the file.
function blockAfter(marker) {
  const at = guide.indexOf(marker);
  assert.notEqual(at, -1, `the guide names ${marker}`);
  const start = guide.indexOf("\n", guide.indexOf("```", at)) + 1;
  return guide.substring(start, guide.indexOf("```", start));
}

for (const file of ["examples/hello/Hello.cpp", "examples/hello/CMakeLists.txt"]) {
  test(`${file} is shown as it stands`, () => {
    assert.equal(blockAfter(`${file}, whole`), fs.readFileSync(path.join(root, file), "utf8"));
  });
}
