// What the URL links call (kx/controls/links/KXLinks.js): the server's click code, exactly as it writes it into
// the onclick attribute, opens a window or leads the page away; the link's own "#NAME" is not followed.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

test("NewWindow opens the window with its name and features and cancels the anchor", () => {
  const opened = [];
  const world = page(`<a id="URL1" href="#URL1"
    onclick="NewWindow('http://example.com/?a=1\\x26b=\\x272\\x27', 'w\\x22in','location=no,width=400')">x</a>`);
  world.window.open = (...args) => { opened.push(args); return null; };
  const event = new world.window.MouseEvent("click", { bubbles: true, cancelable: true });
  world.document.getElementById("URL1").dispatchEvent(event);
  assert.deepEqual(opened, [["http://example.com/?a=1&b='2'", "w\"in", "location=no,width=400"]]);
  assert.equal(event.defaultPrevented, true);
});

test("LoadURL leads the window to the stop address, naming the page's session", () => {
  const world = page("");
  const led = [];
  world.window.KX.Links.navigate = (url) => led.push(url);
  world.run("parent.LoadURL('/$/Stop/?url=example.com%2f%3fq%3da%26b');");
  world.run("var GAppID = 'AB12'; parent.LoadURL('/$/Stop/?url=example.com%2f');");
  assert.deepEqual(led, ["/$/Stop/?url=example.com%2f%3fq%3da%26b", "/$/Stop/?url=example.com%2f&KX_SessionID_=AB12"]);
});

// Issue 55: the session's id goes only to addresses of the page's own origin (the page is http://127.0.0.1:8080/app/).
test("LoadURL names the session only to the page's own origin", () => {
  const world = page("", "var GAppID = 'AB12';");
  const led = [];
  world.window.KX.Links.navigate = (url) => led.push(url);
  const rows = [
    ["/$/Stop/?url=x", true], ["x.html", true], ["http://127.0.0.1:8080/$/Start", true],
    ["http://example.com/x", false], ["https://127.0.0.1:8080/x", false], ["http://127.0.0.1:8081/x", false],
    ["//example.com/x", false], ["/\\example.com/x", false], ["javascript:alert(1)", false],
  ];
  for (const [url] of rows) world.window.LoadURL(url);
  const named = (url) => url + (url.includes("?") ? "&" : "?") + "KX_SessionID_=AB12";
  assert.deepEqual(led, rows.map(([url, own]) => (own ? named(url) : url)));
});
