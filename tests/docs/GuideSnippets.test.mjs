// docs/GUIDE.md against the tree: every cpp, cmake and html snippet names the file of examples/guide/ it comes from
// on the line before it ("`examples/guide/File.cpp`:") and stands in that file word for word; every header the guide
// names exists (or is one CMakeLists.txt writes into the build folder); every link leads to a file that exists.
//   node --test GuideSnippets.test.mjs   (from tests/docs/)
import test from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const guide = fs.readFileSync(path.join(root, "docs/GUIDE.md"), "utf8");

// The fenced blocks: their language, their text and the line before the opening fence.
function blocks(text) {
  const found = [];
  const fence = /^```(\w*)\n([\s\S]*?)^```$/gm;
  let match;
  while ((match = fence.exec(text)) !== null) {
    const before = text.slice(0, match.index).trimEnd().split("\n").pop();
    found.push({ language: match[1], body: match[2], before });
  }
  return found;
}

test("each code snippet is quoted word for word from the file of examples/guide/ named above it", () => {
  const snippets = blocks(guide).filter((block) => ["cpp", "cmake", "html"].includes(block.language));
  assert.ok(snippets.length >= 15, `only ${snippets.length} snippets`);
  for (const snippet of snippets) {
    const source = /^`(examples\/guide\/[^`]+)`:$/.exec(snippet.before);
    assert.ok(source, `a ${snippet.language} snippet without its file: ${snippet.body.slice(0, 80)}`);
    const file = path.join(root, source[1]);
    assert.ok(fs.existsSync(file), `${source[1]} does not exist`);
    assert.ok(fs.readFileSync(file, "utf8").includes(snippet.body),
              `not in ${source[1]} as quoted:\n${snippet.body}`);
  }
});

test("every header and every link of the guide exists", () => {
  const headers = new Set(guide.match(/\bkx\/[\w/]+\.h\b/g));
  assert.ok(headers.size >= 5);
  const cmake = fs.readFileSync(path.join(root, "CMakeLists.txt"), "utf8");
  for (const header of headers) {
    const generated = cmake.includes(`\${PROJECT_BINARY_DIR}/include/${header}`);
    assert.ok(fs.existsSync(path.join(root, header)) || generated, `${header} does not exist`);
  }
  // Links in the prose: code blocks and inline code left out (a lambda's "[this](TObject*)" is no link).
  const prose = guide.replace(/^```\w*\n[\s\S]*?^```$/gm, "").replace(/`[^`\n]*`/g, "");
  const links = [...prose.matchAll(/\]\(([^)#]+)(#[^)]*)?\)/g)];
  assert.ok(links.length >= 1);
  for (const [, target] of links) {
    assert.ok(fs.existsSync(path.join(root, "docs", target)), `link to a missing file: ${target}`);
  }
});

test("the checks above fail on a snippet that is not in its file", () => {
  const changed = "`examples/guide/MainForm.cpp`:\n```cpp\n  SetTitle(\"not the guide\");\n```\n";
  const [block] = blocks(changed);
  assert.equal(block.before, "`examples/guide/MainForm.cpp`:");
  const source = fs.readFileSync(path.join(root, "examples/guide/MainForm.cpp"), "utf8");
  assert.ok(!source.includes(block.body));
  assert.ok(source.includes("  SetTitle(\"kx guide\");\n"));
});
