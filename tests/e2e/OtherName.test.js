// The demo reached by a name that is no trustworthy origin, as on an intranet, a LAN address or a container's name:
// http://kx.test:PORT/, which chromium's resolver maps to 127.0.0.1. Over plain http by such a name the browser
// sends no fetch metadata, only Origin, so the application must know its own origin with its port. The page's
// submit, callback and upload work, and so does the session's own stop link; nothing is refused or logged as such.
// Such a browser sends neither Origin nor fetch metadata with a navigation: another site's page ("evil.test") that
// sends the visitor to a decorated submit, a start or a stop is told apart by the session id the page's own requests
// post; a start or stop refused so, typed or a plain link, leads on in one click. Its form posted to the stop address
// carries no Lax cookie: the answer sets none, and the visitor keeps the session.
"use strict";

const assert = require("node:assert/strict");
const http = require("node:http");
const { after, before, describe } = require("node:test");
const d = require("./demo");

const NAME = "kx.test";
const OTHER = "evil.test";

describe("the demo by a name that is no trustworthy origin", () => {
  const suite = d.demoSuite({ timeout: 90000,
                              browserArgs: [`--host-resolver-rules=MAP ${NAME} 127.0.0.1,MAP ${OTHER} 127.0.0.1`] });
  const url = () => suite.demo.url.replace("127.0.0.1", NAME);
  const noRefusals = () => assert.doesNotMatch(suite.demo.stderr(), /refused it/, "the demo's log");
  const stillOpen = "Your session is still open";
  // Another site: "/go?to=ADDRESS" sends the browser on to ADDRESS, "/post?to=ADDRESS" posts a form there.
  let other;
  before(async () => {
    other = http.createServer((req, res) => {
      const asked = new URL(req.url, "http://x");
      const to = JSON.stringify(asked.searchParams.get("to"));
      res.writeHead(200, { "Content-Type": "text/html" });
      res.end(asked.pathname === "/post"
        ? `<form method=post><input name=url value="example.com/"></form><script>` +
          `document.forms[0].action = ${to}; document.forms[0].submit();</script>`
        : `<script>location.href = ${to};</script>`);
    });
    await new Promise((resolve) => other.listen(0, "127.0.0.1", resolve));
  });
  after(() => new Promise((resolve) => (other ? other.close(resolve) : resolve())));

  suite.flow("a submit, a callback and an upload, each without fetch metadata", async (tp) => {
    await d.firstVisit(tp, url());
    await tp.page.fill(d.MAIN.edit, `typed at ${NAME}`);
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, `typed at ${NAME}`);

    await tp.page.fill(d.MAIN.edit, "sent by callback");
    const callback = tp.page.waitForRequest(/\/callback\?/);
    await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, "sent by callback");
    const headers = await (await callback).allHeaders();
    assert.equal(headers["sec-fetch-site"], undefined, "the browser sends no fetch metadata to this origin");
    assert.equal(headers.origin, url().slice(0, -1), "only its Origin, port and all");

    await d.openGalleryPage(tp, url(), "File uploader", "#UPLOADER1_button");
    await tp.page.setInputFiles("#UPLOADER1_INPUT", { name: "notes.txt", mimeType: "text/plain",
                                                      buffer: Buffer.from("five!") });
    await d.waitForText(tp.page, "#LABELFILES", "Received: notes.txt (5 bytes);");
    noRefusals();
  });

  suite.flow("the session's own stop link ends it", async (tp) => {
    await tp.context.route("https://example.com/**", (route) =>
      route.fulfill({ status: 200, contentType: "text/html", body: "<p id=left>left</p>" }));
    await d.openGalleryPage(tp, url(), "Tabs, menus and links", "#URLSTOP");
    const { appID } = await d.sessionState(tp.page);
    await tp.page.click("#URLSTOP");
    await tp.page.waitForSelector("#left");
    assert.equal(new URL(tp.page.url()).host, "example.com");

    await d.firstVisit(tp, url());
    assert.notEqual((await d.sessionState(tp.page)).appID, appID, "a new session: the stop ended the old one");
    noRefusals();
  });

  suite.flow("another site's page sends the visitor to decorated submits, a start and a stop, and posts forms to the " +
             "stop: nothing acts",
             async (tp) => {
    tp.allowStatus(403, /^http:\/\/kx\.test:/);
    await d.firstVisit(tp, url());
    await tp.page.fill(d.MAIN.edit, "the visitor's own text");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "the visitor's own text");
    const { appID } = await d.sessionState(tp.page);

    const tab = await tp.context.newPage();
    const action = "KX_Action=BUTTON1&KX_FormName=MainForm&EDIT1=forged";
    for (const target of [`$/call/$/resize?${action}`, `$/upload/$/resize?${action}`, "$/Start",
                          "$/Stop/?url=example.com/"]) {
      const answer = tab.waitForResponse((r) => r.url().startsWith(url()));
      await tab.goto(`http://${OTHER}:${other.address().port}/go?to=${encodeURIComponent(url() + target)}`);
      assert.equal((await answer).status(), 403, target);
      if (target.includes("St")) await tab.getByText(stillOpen).waitFor();
    }
    // Its form posted to the stop address carries no Lax cookie: the answer must set none.
    for (const target of ["$/Stop/", "$/stop/", "%24/Stop/", "$/Stop//", "$/Stop/?url=example.com/"]) {
      const answer = tab.waitForResponse((r) => r.url().startsWith(url()));
      await tab.goto(`http://${OTHER}:${other.address().port}/post?to=${encodeURIComponent(url() + target)}`);
      const response = await answer;
      assert.equal(response.request().method(), "POST", target);
      assert.equal(response.status(), 403, target);
      assert.equal(await response.headerValue("set-cookie"), null, target);
    }
    await tab.close();
    await tp.page.goto(`${url()}$/`);
    await tp.page.waitForSelector(d.MAIN.label);
    assert.equal(await d.textOf(tp.page, d.MAIN.label), "the visitor's own text");
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
  });

  suite.flow("a typed start and a plain stop link lead on in one click", async (tp) => {
    tp.allowStatus(403, /\/\$\/St(art|op\/)/);
    await tp.context.route("http://example.com/**", (route) =>
      route.fulfill({ status: 200, contentType: "text/html", body: "<p id=left>left</p>" }));
    await d.firstVisit(tp, url());
    const first = (await d.sessionState(tp.page)).appID;
    await tp.page.goto(`${url()}$/Start`);
    await tp.page.getByText(stillOpen).waitFor();
    await tp.page.click("button");
    await tp.page.waitForSelector(d.MAIN.edit);
    const second = (await d.sessionState(tp.page)).appID;
    assert.notEqual(second, first, "the restart began a new session");

    await tp.page.waitForLoadState("load");
    await tp.page.evaluate(() => document.body.insertAdjacentHTML(
      "beforeend", '<a id="plainstop" href="/$/Stop/?url=example.com/">log out</a>'));
    await tp.page.click("#plainstop");
    await tp.page.getByText(stillOpen).waitFor();
    await tp.page.click("button");
    await tp.page.waitForSelector("#left");
    await d.firstVisit(tp, url());
    assert.notEqual((await d.sessionState(tp.page)).appID, second, "the stop ended the session");
  });
});
