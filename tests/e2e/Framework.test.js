// The framework's own answers in a browser: the start page and its start check, the ping, and the compressed
// client scripts, which the browser must take gzipped and run without an error.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const TEST_MS = 60000;

describe("framework pages in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;

  flow("the start page runs its start check with the window's size and shows the answer", async (tp) => {
    const response = await tp.page.goto(suite.demo.url + "$/start");
    assert.equal(response.status(), 200);
    assert.match(response.headers()["content-type"], /^text\/html/);
    // The start page is a script that asks for the real first page; it is done once that answer replaced it.
    await tp.page.waitForFunction(h.pageHasContent);
    await tp.page.waitForLoadState("load");

    // Every request of the start (the start page's own, and a new session's start check) tells the window's size.
    const checks = tp.requests.filter((r) => /[?&]KX_AjaxID=/.test(r.url));
    assert.ok(checks.length >= 1, "a start check: " + JSON.stringify(tp.requests));
    for (const check of checks) {
      const query = new URL(check.url).searchParams;
      assert.equal(query.get("KX_width"), String(h.VIEWPORT.width), check.url);
      assert.equal(query.get("KX_height"), String(h.VIEWPORT.height), check.url);
      assert.match(query.get("KX_AjaxID"), /^\d+$/, check.url);
    }
    await tp.screenshot("after start check");
  });

  // Called while the browser still parses the start page, document.open() would be ignored (HTML's rule for a
  // document with an active parser) and docReplace() would write an answer that is a page into the start page's
  // body; the start page therefore asks after its load. The answer here is a page the browser makes up, as an
  // error page would be.
  flow("a start check answered with a page shows that page alone", async (tp) => {
    await tp.page.route((url) => url.pathname === "/" && url.searchParams.has("KX_AjaxID"), (route) => route.fulfill({
      contentType: "text/html; charset=utf-8",
      body: "<!DOCTYPE html><html><head><title>Answer page</title></head>" +
            "<body><p id=\"answer\">answer</p></body></html>",
    }));
    await tp.page.goto(suite.demo.url + "$/start");
    await tp.page.waitForSelector("#answer");
    await tp.page.waitForLoadState("load");
    const found = await tp.page.evaluate(() => ({
      title: document.title,
      titles: document.getElementsByTagName("title").length,
      scripts: document.scripts.length,
    }));
    assert.deepEqual(found, { title: "Answer page", titles: 1, scripts: 0 });
  });

  flow("/$/ping answers Pong", async (tp) => {
    const response = await tp.page.goto(suite.demo.url + "$/ping");
    assert.equal(response.status(), 200);
    assert.equal(await tp.page.evaluate(() => document.body.textContent), "Pong");
  });

  flow("the compressed client scripts arrive gzipped and run", async (tp) => {
    // A page of the demo's origin (answered by the browser itself) that loads the scripts as a form's page does.
    const scripts = ["KXLib.js", "KXBase.js", "KXGecko.js"];
    const pageURL = suite.demo.url + "e2e-scripts.html";
    await tp.page.route(pageURL, (route) => route.fulfill({
      contentType: "text/html; charset=utf-8",
      body: "<!DOCTYPE html><html><head><title>scripts</title>" +
            scripts.map((s) => `<script src="/$/js/${s}"></script>`).join("") +
            "</head><body><p>loaded</p></body></html>",
    }));
    const responses = [];
    tp.page.on("response", (r) => { if (r.url().includes("/$/js/")) responses.push(r); });
    await tp.page.goto(pageURL);
    await tp.page.waitForLoadState("load");

    assert.deepEqual(responses.map((r) => path.basename(new URL(r.url()).pathname)).sort(), [...scripts].sort());
    for (const response of responses) {
      const name = path.basename(new URL(response.url()).pathname);
      assert.equal(response.status(), 200, name);
      const headers = await response.allHeaders();
      assert.equal(headers["content-encoding"], "gzip", name);
      assert.match(headers["content-type"], /javascript/, name);
      // What the browser decoded is the script the build made.
      const body = await response.body();
      assert.ok(body.length > Number(headers["content-length"]), `${name} is smaller on the wire`);
      if (process.env.KX_BUILT_RESOURCES) {
        const built = fs.readFileSync(path.join(process.env.KX_BUILT_RESOURCES, "js", name));
        assert.ok(body.equals(built), `${name} decodes to the built file`);
      }
    }

    const loaded = await tp.page.evaluate(() => ({
      jquery: window.jQuery && jQuery.fn.jquery,
      mask: !!(window.jQuery && jQuery.fn.mask),
      kx: typeof KX,
      initKXCL: typeof KX.initKXCL,
      submit: typeof SubmitClickConfirm,
      keepAlive: typeof KX.Session.initKeepAlive,
    }));
    assert.deepEqual(loaded, { jquery: "1.8.2", mask: true, kx: "object", initKXCL: "function",
                               submit: "function", keepAlive: "function" });
  });
});
