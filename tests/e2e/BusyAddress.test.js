// An address made busy by other sessions, in chromium: sessions of the browser's own address (127.0.0.1) each run
// the demo's two-second job at once, enough to take the host's threads down to its reserve, so the page's own
// requests are turned away for the moment. The page's scripts wait as the answer asks and try again: a callback
// still changes its label with no alert, a submit still shows the form with what was typed.
"use strict";

const assert = require("node:assert/strict");
const os = require("node:os");
const { describe } = require("node:test");
const d = require("./demo");

// More jobs than the host has threads beyond its reserve: one loop per processor and 64 relief threads.
const JOBS = os.cpus().length + 64;

describe("an address made busy by other sessions", () => {
  const suite = d.demoSuite({ timeout: 120000 });

  // Opens count sessions of 127.0.0.1 on "Long jobs"; returns a function that clicks each one's job at once and
  // resolves once a request of the address is turned away (the host is at its reserve).
  async function busyAddress(count) {
    process.env.PILE_URL = suite.demo.url;
    const pile = require("../../bench/session-pile.js");
    const sessions = [];
    for (let i = 0; i < count; i += 25) {
      const batch = [];
      for (let j = i; j < Math.min(count, i + 25); j++) batch.push(pile.openJobSession());
      sessions.push(...await Promise.all(batch));
    }
    const click = (shared, n) => {
      const state = { ...shared, cookies: new Map(shared.cookies), agent: false };
      const { path, body } = pile.callbackRequest(state, "BUTTONJOB.DoOnAsyncClick", n);
      return pile.request(state, "POST", path, body);
    };
    return async () => {
      const probe = sessions.pop();
      const jobs = sessions.map(click);
      let refused = false;
      for (let i = 0; i < 40 && !refused; i++) refused = (await click(probe, 1000 + i)).status === 503;
      assert.ok(refused, "the address's requests are turned away");
      return jobs;
    };
  }

  suite.flow("a callback and a submit wait and go through", async (tp) => {
    await d.firstVisit(tp, suite.demo.url);
    tp.allowStatus(503, /\/\$\/callback\?/);
    const busy = await busyAddress(2 * JOBS + 2);

    await tp.page.fill(d.MAIN.edit, "called back while busy");
    let jobs = await busy();
    await tp.page.click(d.MAIN.async);
    await d.waitForText(tp.page, d.MAIN.label, "called back while busy");
    assert.ok(tp.statuses.some((s) => s.status === 503), "the callback was turned away first");
    await Promise.all(jobs);

    await tp.page.fill(d.MAIN.edit, "submitted while busy");
    const posts = () => d.mainFrameNavigations(tp).filter((r) => r.method === "POST").length;
    const postsBefore = posts();
    jobs = await busy();
    await tp.page.click(d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "submitted while busy");
    await tp.page.waitForLoadState("load");
    assert.ok(posts() - postsBefore >= 2, "the submit was turned away first and posted again");
    assert.equal(await tp.page.inputValue(d.MAIN.edit), "submitted while busy");
    await Promise.all(jobs);
  }, 120000);
});
