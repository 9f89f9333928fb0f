// The guide program's "Log out" (examples/guide/MainForm.cpp) in chromium: the session ends, the browser lands on the
// goodbye page of the content folder (wwwroot/bye.html, served without a session), no session cookie is left, and
// the old session's cookie, given back to the browser, no longer reaches its form. The program comes from KX_GUIDE
// (ctest sets it) and runs where it was built, with its wwwroot/ beside it.
"use strict";

const assert = require("node:assert/strict");
const { before, describe } = require("node:test");
const d = require("./demo");
const h = require("./harness");

const TEST_MS = 60000;
const COOKIE = "KX_Guide";

describe("the guide program's log-out", { skip: !process.env.KX_GUIDE && "KX_GUIDE names no guide program" }, () => {
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });
  before(async () => {
    suite.demo = await h.startDemo([], process.env.KX_GUIDE);
  });

  suite.flow("Log out ends the session and shows the goodbye page without a new one", async (tp) => {
    const { page, context } = tp;
    await page.goto(suite.demo.url);
    await page.waitForSelector("#BUTTONLOGOUT");
    await page.waitForLoadState("load");
    assert.equal(await page.inputValue("#BUTTONLOGOUT"), "Log out");
    assert.deepEqual(await d.overlappingControls(page), [], "the button covers no other control");
    const session = (await context.cookies()).find((cookie) => cookie.name === COOKIE);
    assert.ok(session, "the session's cookie is set");

    const [bye] = await Promise.all([page.waitForResponse((response) => /\/bye\.html$/.test(response.url())),
                                     page.click("#BUTTONLOGOUT")]);
    await page.waitForURL(`${suite.demo.url}bye.html`);
    assert.equal(bye.status(), 200);
    assert.equal(await bye.headerValue("set-cookie"), null, "the goodbye page sets no cookie");
    assert.equal(await d.textOf(page, "p"), "You have logged out.");
    assert.deepEqual((await context.cookies()).filter((cookie) => cookie.name === COOKIE), [],
                     "no session cookie is left");

    // The old session is gone: its cookie brings the invalid-session page, not the session's form.
    await context.addCookies([session]);
    tp.allowStatus(500, /\/\$\/$/);
    const answer = await page.goto(`${suite.demo.url}$/`);
    assert.equal(answer.status(), 500);
    assert.match(await page.textContent("body"), /Session ID is invalid\./);
    assert.equal(await page.locator("#BUTTONLOGOUT").count(), 0);
  });
});
