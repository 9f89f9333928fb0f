// The server stops answering (its process is stopped) while a submit is on its way, past the page's wait. The page
// says the post may still be done and takes no second post of it; once the server goes on, the form has run once.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const WAIT_MS = 1000;

describe("a submit the server answers only after the page's wait", () => {
  const suite = d.demoSuite({ timeout: 60000 });

  suite.flow("a second click posts nothing, and the form runs once when the server goes on", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    const { trackID } = await d.sessionState(tp.page);
    const posts = () => d.mainFrameNavigations(tp).filter((r) => r.method === "POST").length;
    const postsBefore = posts();
    await tp.page.fill(d.MAIN.edit, "past the wait");
    // The devtools protocol runs no script in a page that showed a dialog while its post is pending, so the page
    // clicks a second time on its own timer, after the message.
    await tp.page.evaluate(([id, wait]) => {
      window.KX.Retry.WAIT = wait;
      window.setTimeout(() => document.getElementById(id).click(), wait + 1000);
    }, [d.MAIN.submit.slice(1), WAIT_MS]);
    // The page's question of what became of its post fails as one to a stopped server would; its answer, which the
    // server gives in whatever order it takes the requests once it goes on, is no part of this flow.
    await tp.page.route(/\/\$\/PostStatus\?/, (route) => route.abort("aborted"));
    process.kill(suite.demo.pid, "SIGSTOP");
    try {
      await tp.page.locator(d.MAIN.submit).click({ noWaitAfter: true });
      const told = await tp.takeDialog();
      assert.match(told?.message ?? "", /^The server has not answered yet\. What you sent may still be done/);
      await h.delay(WAIT_MS + 1000);
      assert.equal(posts() - postsBefore, 1, "the second click posted nothing");
    } finally {
      process.kill(suite.demo.pid, "SIGCONT");
    }
    await d.waitForText(tp.page, d.MAIN.label, "past the wait");
    await tp.page.waitForLoadState("load");
    assert.equal((await d.sessionState(tp.page)).trackID, trackID + 1, "the form ran once");
    assert.equal(posts() - postsBefore, 1);
  });
});
