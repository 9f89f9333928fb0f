// The readable scripts stay within ECMAScript 5, as the browsers the framework serves need.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");

const resources = path.join(__dirname, "..", "..", "resources");
const acorn = require(path.join(resources, "node_modules", "acorn"));

test("every framework script parses as ECMAScript 5", () => {
  const folder = path.join(resources, "js");
  const files = fs.readdirSync(folder).filter((name) => name.endsWith(".js"));
  assert.ok(files.length > 0);
  for (const name of files) {
    assert.doesNotThrow(() => acorn.parse(fs.readFileSync(path.join(folder, name), "utf8"), { ecmaVersion: 5 }),
                        name);
  }
});
