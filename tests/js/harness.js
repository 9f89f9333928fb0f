// A page for the client-script tests: jsdom with the framework's scripts loaded the way a page loads them, the
// server's page globals set, and the browser's outside world (requests, form posts, dialogs) recorded.
"use strict";

const fs = require("fs");
const path = require("path");

const resources = path.join(__dirname, "..", "..", "resources");
const { JSDOM, CookieJar } = require(path.join(resources, "node_modules", "jsdom"));

const controls = path.join(__dirname, "..", "..", "kx", "controls");

// The client scripts of the control families (kx/controls/<family>/*.js), by family.
function familyScripts() {
  const files = [];
  for (const family of fs.readdirSync(controls).sort()) {
    const folder = path.join(controls, family);
    if (!fs.statSync(folder).isDirectory()) continue;
    for (const name of fs.readdirSync(folder).sort()) if (name.endsWith(".js")) files.push(path.join(folder, name));
  }
  return files;
}

// The readable scripts in the order the page loads them (uncompressed mode, a browser other than IE): the
// framework's, then the families' before the back-button guard.
const SCRIPTS = [
  ...["KXPreScript.js", "KXBrowser.js", "KXCommon.js", "KXCL.js", "KXAjax.js", "KXGecko.js"].map((file) =>
    path.join(resources, "js", file)),
  ...familyScripts(),
  path.join(resources, "js", "KXBackIntercept.js")
];

// A request the scripts made; respond() completes it like the server would.
class FakeRequest {
  constructor(log) {
    this.log = log;
    this.headers = {};
    this.readyState = 0;
    this.status = 0;
    this.responseText = "";
  }
  open(method, url) {
    this.method = method;
    this.url = url;
    this.readyState = 1;
  }
  setRequestHeader(name, value) {
    this.headers[name] = value;
  }
  send(body) {
    this.body = body;
    this.log.push(this);
  }
  respond(status, text, headers = {}) {
    this.status = status;
    this.responseText = text;
    this.responseHeaders = headers;
    this.readyState = 4;
    if (this.onreadystatechange) this.onreadystatechange();
  }
  getResponseHeader(name) {
    return (this.responseHeaders || {})[name] ?? null;
  }
  // The query fields of the URL and the fields of the body, decoded.
  query() {
    return fields(this.url.substring(this.url.indexOf("?") + 1));
  }
  form() {
    return fields(this.body || "");
  }
}

function fields(text) {
  const result = {};
  for (const part of text.split("&")) {
    if (!part) continue;
    const eq = part.indexOf("=");
    result[decodeURIComponent(part.substring(0, eq))] = decodeURIComponent(part.substring(eq + 1));
  }
  return result;
}

// Every page made, closed once the file's tests are done: a page's timers (a submit's watch) would keep node running.
const windows = [];
require("node:test").after(() => {
  for (const window of windows) window.close();
});

// Builds a page: body is the markup inside BODY (the SubmitForm included), globals the page's inline script,
// scripts the paths of the script files (the readable ones by default), cookieJar the cookies of the browser (pages
// that share one are tabs of one browser; by default the page has its own).
function page(body, globals = "", scripts = SCRIPTS, cookieJar = new CookieJar()) {
  const dom = new JSDOM(`<!DOCTYPE html><html><head></head><body>${body}</body></html>`,
                        { runScripts: "dangerously", url: "http://127.0.0.1:8080/app/", cookieJar });
  const window = dom.window;
  windows.push(window);
  const world = { window, document: window.document, requests: [], posts: [], alerts: [], confirms: [],
                  confirmAnswer: true, replaced: [] };
  window.XMLHttpRequest = function () { return new FakeRequest(world.requests); };
  window.alert = (message) => world.alerts.push(message);
  window.confirm = (message) => { world.confirms.push(message); return world.confirmAnswer; };
  window.HTMLFormElement.prototype.submit = function () {
    const posted = [];
    for (const element of this.elements) {
      if (element.name && !element.disabled) posted.push([element.name, element.value]);
    }
    world.posts.push({ action: this.action, fields: posted, get: (name) => {
      const found = posted.find((pair) => pair[0] === name);
      return found ? found[1] : undefined;
    } });
  };
  for (const file of scripts) {
    run(window, fs.readFileSync(file, "utf8"));
  }
  window.KX.Browser.replaceDocument = (html) => world.replaced.push(html);
  run(window, globals);
  world.run = (code) => run(window, code);
  return world;
}

// Runs code as a script element of the page (errors surface as exceptions of the test).
function run(window, code) {
  let failure = null;
  const onError = (event) => { failure = event.error || new Error(event.message); };
  window.addEventListener("error", onError);
  const script = window.document.createElement("script");
  script.textContent = code;
  window.document.head.appendChild(script);
  window.removeEventListener("error", onError);
  if (failure) throw failure;
}

// Lets the page's timers of 0 ms run.
function tick(window) {
  return new Promise((resolve) => window.setTimeout(resolve, 0));
}

module.exports = { page, tick, CookieJar };
