// The browser's check of a time edit's text: what the server reads passes, anything else stops the submit.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

test("ValidateTimeEdit passes the texts the server reads", () => {
  const world = page('<input type="text" id="T1" name="T1">');
  const cases = [["", true], ["45", true], ["45m", true], ["2H", true], ["1.5h", true], ["3d", true],
    ["1.20w", true], ["1:05", true], [" 2:30h ", true], ["2.", true],
    ["abc", false], ["1:", false], [".5", false], ["-5", false], ["1,5", false], ["5x", false], ["1e3", false]];
  for (const [text, valid] of cases) {
    world.document.getElementById("T1").value = text;
    world.run("var result = ValidateTimeEdit(\"T1\");");
    assert.equal(world.window.result, valid, JSON.stringify(text));
  }
});
