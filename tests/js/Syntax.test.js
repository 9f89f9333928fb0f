// The readable scripts stay within ECMAScript 5, as the browsers the framework serves need.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");

const resources = path.join(__dirname, "..", "..", "resources");
const acorn = require(path.join(resources, "node_modules", "acorn"));

// The framework's scripts and those of every control family (kx/controls/<family>/*.js).
function scriptFiles() {
  const controls = path.join(__dirname, "..", "..", "kx", "controls");
  const folders = [path.join(resources, "js")];
  for (const family of fs.readdirSync(controls)) {
    if (fs.statSync(path.join(controls, family)).isDirectory()) folders.push(path.join(controls, family));
  }
  return folders.flatMap((folder) =>
    fs.readdirSync(folder).filter((name) => name.endsWith(".js")).map((name) => path.join(folder, name)));
}

test("every framework script parses as ECMAScript 5", () => {
  const files = scriptFiles();
  assert.ok(files.some((file) => file.endsWith("KXSplitter.js")));
  for (const file of files) {
    assert.doesNotThrow(() => acorn.parse(fs.readFileSync(file, "utf8"), { ecmaVersion: 5 }), file);
  }
});
