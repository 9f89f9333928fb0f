// The server stops reading (its process is stopped) while several pages of their own sessions post at once, past the
// pages' wait (shortened here): each page asks what became of its post, hears nothing, and says so. The server goes
// on and reads the questions and the posts in whatever order; one page's post is still on its way when its question
// is answered (held back until then), so the server does not know it yet. Every post runs once, and no page says it
// was not sent.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const WAIT_MS = 1000;
const ASK_MS = 300;

describe("posts queued in a stopped server", () => {
  const suite = d.demoSuite({ timeout: 60000 });

  suite.flow("each runs once when the server goes on, and no page says it was not sent", async (tp) => {
    const contexts = [];
    const rows = [{ text: "held on its way", hold: true }, { text: "queued one" }, { text: "queued two" }];
    try {
      for (const [i, row] of rows.entries()) {
        if (i === 0) {
          row.page = tp.page;
        } else {
          contexts.push(await suite.browser.newContext({ viewport: h.VIEWPORT }));
          row.page = await contexts.at(-1).newPage();
        }
        row.page.context().setDefaultTimeout(h.ACTION_MS);
        // What the page says goes to its console (KXAjaxErrorMode 2), not to alerts: the devtools protocol runs no
        // script in a page that showed a dialog while its post was pending.
        row.said = [];
        row.page.on("console", (message) => row.said.push(message.text()));
        await d.firstVisit({ page: row.page }, suite.demo.url);
        row.track = (await d.sessionState(row.page)).trackID;
        await row.page.fill(d.MAIN.edit, row.text);
        await row.page.evaluate(([wait, ask]) => {
          window.KX.Retry.WAIT = wait;
          window.KX.Retry.ASK = ask;
          window.KXAjaxErrorMode = 2;
        }, [WAIT_MS, ASK_MS]);
        if (row.hold) {
          // The post goes on only once the page's question has its answer.
          const answered = row.page.waitForResponse(/\/\$\/PostStatus\?/, { timeout: 30000 });
          await row.page.route(/\/\$\/$/, async (route) => {
            if (route.request().method() === "POST") await answered.catch(() => {});
            await route.continue().catch(() => {});  // a post the page replaced has nobody to take it
          });
        }
      }
      process.kill(suite.demo.pid, "SIGSTOP");
      try {
        for (const row of rows) await row.page.locator(d.MAIN.submit).click({ noWaitAfter: true });
        await h.delay(WAIT_MS + ASK_MS + 700);
      } finally {
        process.kill(suite.demo.pid, "SIGCONT");
      }
      for (const row of rows) {
        await d.waitForText(row.page, d.MAIN.label, row.text);
        await row.page.waitForLoadState("load");
      }
      await h.delay(500);  // time for a second run to show, were there one
      for (const row of rows) {
        assert.equal((await d.sessionState(row.page)).trackID, row.track + 1, `${row.text}: the form ran once`);
        assert.match(row.said[0] ?? "", /^The server has not answered yet\./, `${row.text}: silence was said`);
        assert.deepEqual(row.said.filter((text) => /not (be )?sent|receive/.test(text)), [], row.text);
      }
    } finally {
      for (const context of contexts) await context.close().catch(() => {});
    }
  });
});
