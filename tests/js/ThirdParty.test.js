// The third-party scripts kept in the tree (third_party/) are the files their npm packages ship, at the versions
// resources/package.json pins.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("fs");
const path = require("path");

const root = path.join(__dirname, "..", "..");
const modules = path.join(root, "resources", "node_modules");

const COPIES = [
  ["jquery/jquery.js", "jquery/tmp/jquery.js"],
  ["jquery/LICENSE-MIT", "jquery/LICENSE-MIT"],
  ["jquery.maskedinput/jquery.maskedinput.js", "jquery.maskedinput/src/jquery.maskedinput.js"],
  ["jquery.maskedinput/LICENSE", "jquery.maskedinput/LICENSE"],
  ["dompurify/purify.js", "dompurify/dist/purify.js"],
  ["dompurify/purify.min.js", "dompurify/dist/purify.min.js"],
  ["dompurify/LICENSE", "dompurify/LICENSE"],
];

test("every kept file equals the one its pinned package ships", () => {
  const pinned = JSON.parse(fs.readFileSync(path.join(root, "resources", "package.json"), "utf8")).dependencies;
  for (const [kept, shipped] of COPIES) {
    const name = shipped.split("/")[0];
    const installed = JSON.parse(fs.readFileSync(path.join(modules, name, "package.json"), "utf8")).version;
    assert.equal(installed, pinned[name], `${name}: installed ${installed}, pinned ${pinned[name]}`);
    assert.ok(fs.readFileSync(path.join(root, "third_party", kept)).equals(fs.readFileSync(path.join(modules, shipped))),
              `third_party/${kept} differs from ${name}'s ${shipped}`);
  }
});
