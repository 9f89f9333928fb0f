// The include graph of the library (kx/): which unit includes which, the includes that run back up, and the circles.
//   node scripts/include-graph.mjs [--check]
// A unit is a header with its source (kx/appserver/Sessions.h and Sessions.cpp are "kx/appserver/Sessions"). An
// include runs back up when it goes from a layer to a layer above it (kx/appserver including kx/forms), or, inside
// kx/appserver, from a floor to a floor above it (the runtime including the server controller). A circle is a set of
// units that reach one another through their includes. Prints the counts and each such include and circle; with
// --check it exits 1 when there is a circle, an include up a layer, or more than the allowed includes up a floor of
// kx/appserver.
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), "..");

// The layers from the bottom; kx/data sits beside kx/forms, under kx/controls.
const LAYERS = { platform: 0, foundation: 1, net: 2, appserver: 3, forms: 4, data: 4, controls: 5, hosts: 6 };

// The floors of kx/appserver from the bottom: each unit may include units of its own floor and below. Units not
// named here stand on the floor above the server controller's.
const APPSERVER_FLOORS = [
  ["Runtime", "KXGlobal", "SessionStore", "RequestWatch", "ClientOrigin", "MimeTypes", "Base64Text", "Compression",
   "ImageOutput", "Authenticators", "ExceptionLogger", "Pools"],
  ["InternalFiles", "CacheFiles", "FileReference"],
  ["ServerController"],
  ["Application", "ApplicationOutput", "Sessions", "SessionOutput", "SessionLog", "SessionDataModules", "CallBacks",
   "ContentHandlers", "ExceptionRenderer"],
  ["Server", "ServerSession", "Startup"],
];
const ALLOWED_APPSERVER_UPS = 4;

function sourceFiles(folder) {
  return fs.readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) return sourceFiles(full);
    return /\.(h|cpp)$/.test(entry.name) ? [full] : [];
  });
}

const unitOf = (file) => file.replace(/\.(h|cpp)$/, "");

// unit -> Set of units it includes (its own header left out).
function includeGraph() {
  const graph = new Map();
  for (const file of sourceFiles(path.join(root, "kx"))) {
    const unit = unitOf(path.relative(root, file));
    if (!graph.has(unit)) graph.set(unit, new Set());
    for (const match of fs.readFileSync(file, "utf8").matchAll(/^#include "(kx\/[^"]+)"/gm)) {
      const target = unitOf(match[1]);
      if (target !== unit) graph.get(unit).add(target);
    }
  }
  return graph;
}

const layerOf = (unit) => LAYERS[unit.split("/")[1]];

function floorOf(unit) {
  const floor = APPSERVER_FLOORS.findIndex((names) => names.includes(path.basename(unit)));
  return floor >= 0 ? floor : APPSERVER_FLOORS.length;
}

const inAppserver = (unit) => unit.startsWith("kx/appserver/");

function upwardIncludes(graph) {
  const layers = [];
  const floors = [];
  for (const [from, targets] of graph) {
    for (const to of targets) {
      if (layerOf(to) > layerOf(from)) layers.push(`${from} -> ${to}`);
      else if (inAppserver(from) && inAppserver(to) && floorOf(to) > floorOf(from)) floors.push(`${from} -> ${to}`);
    }
  }
  return { layers, floors };
}

// The strongly connected components of more than one unit (Tarjan's algorithm).
function circles(graph) {
  let next = 0;
  const index = new Map();
  const low = new Map();
  const stack = [];
  const onStack = new Set();
  const found = [];
  const visit = (unit) => {
    index.set(unit, next);
    low.set(unit, next);
    next += 1;
    stack.push(unit);
    onStack.add(unit);
    for (const to of graph.get(unit) || []) {
      if (!index.has(to)) {
        visit(to);
        low.set(unit, Math.min(low.get(unit), low.get(to)));
      } else if (onStack.has(to)) {
        low.set(unit, Math.min(low.get(unit), index.get(to)));
      }
    }
    if (low.get(unit) === index.get(unit)) {
      const component = [];
      let member;
      do {
        member = stack.pop();
        onStack.delete(member);
        component.push(member);
      } while (member !== unit);
      if (component.length > 1) found.push(component.sort());
    }
  };
  for (const unit of graph.keys()) if (!index.has(unit)) visit(unit);
  return found;
}

const graph = includeGraph();
const ups = upwardIncludes(graph);
const found = circles(graph);
const edges = [...graph.values()].reduce((sum, targets) => sum + targets.size, 0);
console.log(`${graph.size} units, ${edges} includes`);
console.log(`includes up a layer: ${ups.layers.length}`);
for (const line of ups.layers) console.log(`  ${line}`);
console.log(`includes up a floor inside kx/appserver: ${ups.floors.length} (at most ${ALLOWED_APPSERVER_UPS})`);
for (const line of ups.floors) console.log(`  ${line}`);
console.log(`circles: ${found.length}`);
for (const component of found) console.log(`  ${component.join(", ")}`);

if (process.argv.includes("--check")) {
  const faults = ups.layers.length > 0 || ups.floors.length > ALLOWED_APPSERVER_UPS || found.length > 0;
  process.exit(faults ? 1 : 0);
}
