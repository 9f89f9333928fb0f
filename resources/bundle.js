#!/usr/bin/env node
// Builds a compressed client script: node bundle.js OUTPUT INPUT...
// The inputs are joined in order (each one ends its last statement) and minified with terser. Global names
// stay as they are, since pages call them; comments that begin with "/*!" (licences) are kept.
"use strict";

const fs = require("fs");
const path = require("path");
const { minify } = require("terser");

async function main(args) {
  if (args.length < 2) {
    throw new Error("usage: node bundle.js OUTPUT INPUT...");
  }
  const [output, ...inputs] = args;
  const code = inputs.map((file) => fs.readFileSync(file, "utf8").replace(/\s*$/, "\n;\n")).join("");
  const result = await minify(code, {
    ecma: 5,
    compress: { passes: 2 },
    mangle: true,
    format: { comments: /^!/, ascii_only: true },
    toplevel: false
  });
  fs.mkdirSync(path.dirname(output), { recursive: true });
  const temporary = output + ".part";
  fs.writeFileSync(temporary, result.code + "\n");
  fs.renameSync(temporary, output);
}

main(process.argv.slice(2)).catch((err) => {
  console.error("bundle.js: " + (err && err.message ? err.message : err));
  process.exit(1);
});
