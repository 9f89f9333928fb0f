// The demo behind HAProxy in chromium (docs/DEPLOYMENT.md): two instances, the balancer ending TLS with a test
// certificate and pinning the session to its instance by the session cookie. The first visit, a submit and a
// callback go through it over https; then the session's instance dies, the next click shows the invalid-session
// page, and its restart link starts a new session on the other instance, where the page works again. Skipped
// where haproxy is not installed.
"use strict";

const assert = require("node:assert/strict");
const { after, before, describe, test } = require("node:test");
const h = require("./harness");
const d = require("./demo");
const balancer = require("../deployment/balancer.cjs");

const COOKIE = "KX_KXDemo";

// The instance the balancer pinned the page's session to: the prefix it wrote into the session cookie.
async function pinnedInstance(tp) {
  const cookie = (await tp.context.cookies()).find((c) => c.name === COOKIE);
  assert.ok(cookie, "the session cookie is set");
  const match = /^(s\d)~/.exec(cookie.value);
  assert.ok(match, `the balancer's prefix in ${cookie.value}`);
  return match[1];
}

describe("the demo behind HAProxy in chromium", { skip: balancer.HAPROXY ? false : "haproxy is not installed" }, () => {
  const instances = [];
  let front;
  let browser;

  before(async () => {
    for (let i = 0; i < 2; i++) instances.push(await balancer.startInstance(process.env.KX_DEMO));
    front = await balancer.startBalancer({
      backends: instances.map((inst, i) => ({ name: `s${i + 1}`, port: inst.port })), cookieName: COOKIE, tls: true,
    });
    browser = await h.launchBrowser();
  });

  after(async () => {
    await h.closeBrowser(browser);
    if (front) await front.stop();
    for (const inst of instances) await inst.stop();
  });

  test("a flow over https through the balancer, and a new session when its instance dies", { timeout: 90000 },
       () => h.withPage(browser, "balancer", async (tp) => {
    assert.match(front.url, /^https:\/\/127\.0\.0\.1:\d+\/$/);
    const answeredBy = [];
    tp.page.on("response", (response) => answeredBy.push(response.headers()["x-kx-instance"]));

    await d.firstVisit(tp, front.url);
    await tp.page.fill(d.MAIN.edit, "through the balancer");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "through the balancer");
    await tp.page.fill(d.MAIN.edit, "by callback");
    await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, "by callback");
    const first = await pinnedInstance(tp);
    const { appID } = await d.sessionState(tp.page);
    assert.ok(answeredBy.length > 4);
    // The start page came before the cookie: every answer after it came from the pinned instance.
    assert.deepEqual([...new Set(answeredBy.slice(1))], [first], "the session stayed on its instance");
    await tp.screenshot("through the balancer");

    const victim = instances[Number(first.slice(1)) - 1];
    await victim.kill();
    const expired = await d.clickAndLoadPage(tp, d.MAIN.submit);
    tp.allowStatus(500, new RegExp(`^${expired.url.replace(/[.*+?^${}()|[\]\\]/g, "\\$&")}$`));
    assert.match(await tp.page.title(), /^KXDemo - Invalid session$/);
    assert.equal((await tp.page.textContent(".session")).trim(), appID, "the page names the lost session");
    await tp.screenshot("instance gone");

    await tp.page.getByRole("link", { name: "Restart the application", exact: true }).click();
    await tp.page.waitForSelector(d.MAIN.edit);
    await tp.page.waitForLoadState("load");
    const restarted = await d.sessionState(tp.page);
    assert.notEqual(restarted.appID, appID, "a new session");
    const second = await pinnedInstance(tp);
    assert.notEqual(second, first, "on the instance that lives");
    await tp.page.fill(d.MAIN.edit, "on the other instance");
    await d.clickAsyncAndWait(tp, d.MAIN.async, d.MAIN.label, "on the other instance");
    await tp.screenshot("restarted on the other instance");
  }, { ignoreHTTPSErrors: true }));
});
