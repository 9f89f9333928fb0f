// The demo reached by a name that is no trustworthy origin, as on an intranet, a LAN address or a container's name:
// http://kx.test:PORT/, which chromium's resolver maps to 127.0.0.1. Over plain http by such a name the browser
// sends no fetch metadata, only Origin, so the application must know its own origin with its port. The page's
// submit, callback and upload work, and so does the session's own stop link; nothing is refused or logged as such.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const d = require("./demo");

const NAME = "kx.test";

describe("the demo by a name that is no trustworthy origin", () => {
  const suite = d.demoSuite({ timeout: 90000, browserArgs: [`--host-resolver-rules=MAP ${NAME} 127.0.0.1`] });
  const url = () => suite.demo.url.replace("127.0.0.1", NAME);
  const noRefusals = () => assert.doesNotMatch(suite.demo.stderr(), /refused it/, "the demo's log");

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
});
