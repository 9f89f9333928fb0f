// docs/GUIDE.md against the tree: every cpp, cmake and html snippet names the file of examples/guide/ it comes from
// on the line before it ("`examples/guide/File.cpp`:") and stands in that file word for word; every class its cpp
// snippets name is the guide program's own or comes with kx/kx.h, the one header the guide promises; every header
// the guide names exists (or is one CMakeLists.txt writes into the build folder); every link leads to a file that
// exists.
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

// The classes, enumerations and exceptions a C++ text defines (no forward declaration), and its template parameters.
const TYPE = new RegExp(String.raw`\b(?:(?:class|struct|enum)\s+(\w+)(?:\s+final)?\s*[:{]|using\s+(\w+)\s*=|` +
                        String.raw`KX_DECLARE_EXCEPTION\((\w+)|(?:class|typename)\s+(\w+)\s*[,>=])`, "g");
const definedTypes = (text) => [...text.matchAll(TYPE)].map((match) => match[1] || match[2] || match[3] || match[4]);

// A snippet the guide quotes compiles with kx/kx.h alone (TKXMimeTypes::RegisterType of section 13 and
// TKXTemplateProcessorHTML of section 6 did not). kx/kx.h brings the headers CMakeLists.txt lists for it, every
// control family's (kx/Version.h is written into the build folder) and what they include. TITLE, a control's name,
// is no class.
test("every class the guide's C++ snippets name comes with kx/kx.h or is the guide program's own", () => {
  const queue = /^foreach\(header ([^)]*)\)$/m.exec(fs.readFileSync(path.join(root, "CMakeLists.txt"), "utf8"))[1]
    .split(/\s+/).filter((header) => header.endsWith(".h"));
  for (const family of fs.readdirSync(path.join(root, "kx/controls")).filter((name) => !name.includes(".")))
    queue.push(...fs.readdirSync(path.join(root, "kx/controls", family)).filter((name) => name.endsWith(".h"))
      .map((name) => `kx/controls/${family}/${name}`));
  const seen = new Set(), known = new Set();
  for (let header; (header = queue.pop()) !== undefined;) {
    if (seen.has(header) || !fs.existsSync(path.join(root, header))) continue;
    seen.add(header);
    const text = fs.readFileSync(path.join(root, header), "utf8");
    definedTypes(text).forEach((name) => known.add(name));
    for (const [, included] of text.matchAll(/^#include "(kx\/[^"]+)"/gm)) queue.push(included);
  }
  assert.ok(known.has("TKXForm") && known.has("TKXButton") && known.has("EConvertError"));
  for (const file of fs.readdirSync(path.join(root, "examples/guide")).filter((name) => /\.(h|cpp)$/.test(name)))
    definedTypes(fs.readFileSync(path.join(root, "examples/guide", file), "utf8")).forEach((name) => known.add(name));
  const missing = blocks(guide).filter((block) => block.language === "cpp").flatMap((block) =>
    block.body.replace(/\/\/.*$/gm, "").replace(/"(?:[^"\\\n]|\\.)*"/g, '""').match(/\b[TE][A-Z]\w*[a-z]\w*\b/g) ?? [])
    .filter((name) => !known.has(name));
  assert.deepEqual(missing, [], "named by the guide, not brought by kx/kx.h");
});

// An author who copies the quoted lines gets the folders beside the program; the copy is a custom command,
// which runs only because its stamp file is among the program's sources.
test("the guide quotes, for every folder its program copies, the copy and the stamp that makes it run", () => {
  const cmake = fs.readFileSync(path.join(root, "examples/guide/CMakeLists.txt"), "utf8");
  const folders = [...cmake.matchAll(/^kx_guide_copy_folder\((\w+)\)$/gm)].map(([, folder]) => folder);
  assert.ok(folders.length >= 2, "Templates and wwwroot");
  const quoted = blocks(guide).filter((block) => block.language === "cmake").map((block) => block.body).join("\n");
  const sources = /^add_executable\(kx_guide ([^)]*)\)$/m.exec(quoted);
  assert.ok(sources, "the program's add_executable is quoted");
  for (const folder of folders) {
    assert.ok(quoted.includes(`kx_guide_copy_folder(${folder})\n`), `the copy of ${folder} is quoted`);
    assert.ok(sources[1].includes(`\${CMAKE_CURRENT_BINARY_DIR}/${folder}.stamp`), `${folder}.stamp is a source`);
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
