// A page on another port of the demo's host writes cookies named "KX_Retry" (on the path of the application's pages
// and on "/"), as the server's try-again answer to a post once was: cookies ignore ports, so the demo's page can
// read them. The visitor clicks a submit once and the demo answers slowly; the demo still runs one post, and the
// page shows nothing of the other page's text.
"use strict";

const assert = require("node:assert/strict");
const http = require("node:http");
const { after, before, describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const WRITE = 'document.cookie = "KX_Retry=0:Forged%20text; Path=/$/"; ' +
              'document.cookie = "KX_Retry=0:Forged%20text; Path=/"; document.title = "written";';

describe("another port's try-again cookie", () => {
  const suite = d.demoSuite({ timeout: 60000 });
  let other;
  before(async () => {
    other = http.createServer((req, res) => {
      res.writeHead(200, { "Content-Type": "text/html" });
      res.end(`<!DOCTYPE html><html><body><script>${WRITE}</script></body></html>`);
    });
    await new Promise((resolve) => other.listen(0, "127.0.0.1", resolve));
  });
  after(() => new Promise((resolve) => (other ? other.close(resolve) : resolve())));

  suite.flow("a slow submit clicked once is posted once and shows no text of the other page", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const tab = await tp.context.newPage();
    await tab.goto(`http://127.0.0.1:${other.address().port}/`);
    await tab.waitForFunction(() => document.title === "written");
    await tab.close();
    assert.equal((await tp.context.cookies()).filter((c) => c.name === "KX_Retry").length, 2);

    // Each post reaches the demo at once; its answer comes 600 ms later.
    await tp.page.route((url) => url.href.startsWith(suite.demo.url), async (route) => {
      if (route.request().method() !== "POST") return route.continue();
      const response = await route.fetch();
      await h.delay(600);
      return route.fulfill({ response }).catch(() => {});  // a post the page replaced has nobody to answer
    });
    const posts = () => d.mainFrameNavigations(tp).filter((r) => r.method === "POST").length;
    const postsBefore = posts();
    const { trackID } = await d.sessionState(tp.page);
    await tp.page.fill(d.MAIN.edit, "clicked once");
    const post = await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "clicked once");
    assert.equal((await d.sessionState(tp.page)).trackID, trackID + 1, "the demo ran one post");
    assert.equal(posts() - postsBefore, 1, "the page posted once");
    await h.delay(300);
    assert.deepEqual(tp.dialogs, [], "no dialog");
    assert.match(new URLSearchParams(post.postData).get("KX_Retry"), /^[0-9a-f]{32}$/, "the post is watched");
  });
});
