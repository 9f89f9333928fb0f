// A page whose session has ended, and a submit the browser sends again, in chromium. Two tabs of one guide session
// (KX_GUIDE): "Log out" in one ends the session and takes its cookie; the other tab's next submit or callback shows
// the invalid-session page, starts no session and leaves what was typed out of every address. Once the first tab
// started again, the old session's tabs are told the same by submit, callback and upload (the uploader's line), and
// the browser's new session runs none of it. On the demo, a reload that re-posts a submit's page runs nothing; the
// next click runs as before.
"use strict";

const assert = require("node:assert/strict");
const { before, describe } = require("node:test");
const d = require("./demo");
const h = require("./harness");

const TEST_MS = 60000;
const COOKIE = "KX_Guide";
const TYPED = "typed-secret-42";

const noGuide = !process.env.KX_GUIDE && "KX_GUIDE names no guide program";

describe("a tab whose session was ended in another tab", { skip: noGuide }, () => {
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });
  before(async () => {
    suite.demo = await h.startDemo([], process.env.KX_GUIDE);
  });

  // answer: the address of the request the click sends (the form's post, or the callback).
  const rows = [
    { how: "a submit", button: "#BUTTONSUBMIT", answer: /\/\$\/$/ },
    { how: "a callback", button: "#BUTTONCALLBACK", answer: /\/\$\/callback\?/ },
  ];
  for (const row of rows) {
    suite.flow(`${row.how} in the other tab shows the invalid-session page and starts no session`, async (tp) => {
      const { page, context } = tp;
      await page.goto(suite.demo.url);
      await page.waitForSelector("#BUTTONLOGOUT");
      const other = await context.newPage();
      tp.page = other;  // the test's last screenshot shows this tab
      await other.goto(`${suite.demo.url}$/`);
      await other.waitForSelector("#NAME");
      await other.waitForLoadState("load");
      const appID = await page.evaluate(() => window.GAppID);
      assert.equal(await other.evaluate(() => window.GAppID), appID, "both tabs show one session");

      await Promise.all([page.waitForURL(`${suite.demo.url}bye.html`), page.click("#BUTTONLOGOUT")]);
      assert.deepEqual((await context.cookies()).filter((c) => c.name === COOKIE), [], "the log-out took the cookie");

      tp.allowStatus(500, row.answer);
      await other.fill("#NAME", TYPED);
      await other.evaluate(() => { document.getElementById("NAME").kxTestMark = "marked"; });
      const [answer] = await Promise.all([other.waitForResponse((r) => row.answer.test(r.url())),
                                          other.click(row.button)]);
      // The answer's page replaces the form: a new document, or the callback's script writing it over this one.
      await other.waitForFunction(() => document.readyState === "complete" &&
                                        document.getElementById("NAME")?.kxTestMark !== "marked");
      assert.equal(answer.status(), 500);
      // It may delete the ended session's cookie, but gives it no value: no new session.
      assert.doesNotMatch(await answer.headerValue("set-cookie") ?? "", new RegExp(`(^|\n)${COOKIE}=[^;]`),
                          "no cookie is set");
      assert.match(await other.title(), / - Invalid session$/);
      const text = await other.textContent("body");
      assert.match(text, /Session was terminated\./);
      assert.match(text, /Restart the application/);
      assert.doesNotMatch(text, /Application error/);
      assert.equal((await other.textContent(".session")).trim(), appID, "the page names the ended session");
      assert.deepEqual((await context.cookies()).filter((c) => c.name === COOKIE), [], "no new session's cookie");

      const cdp = await context.newCDPSession(other);
      const { entries } = await cdp.send("Page.getNavigationHistory");
      const addresses = [other.url(), ...entries.map((e) => e.url), ...tp.requests.map((r) => r.url)];
      assert.deepEqual(addresses.filter((url) => url.includes(TYPED)), [], "no address carries what was typed");
    });
  }
});

describe("a tab of an ended session once the browser has a new one", { skip: noGuide }, () => {
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });
  before(async () => {
    suite.demo = await h.startDemo([], process.env.KX_GUIDE);
  });
  const STALE = "StaleTab";
  const ENDED = "Your session has ended. Restart the application to go on.";

  // Tab A logs out and starts again; tabs of the old session (the main form twice, the upload form) then submit,
  // call back and upload: each is told its session ended, and A's new session runs none of it.
  suite.flow("its submit, callback and upload are told the session ended; the new session goes on untouched",
             async (tp) => {
    const { page, context } = tp;
    const url = suite.demo.url;
    const open = async (tab, selector) => {
      await tab.goto(`${url}$/`);
      await tab.waitForSelector(selector);
      await tab.waitForLoadState("load");
    };
    await page.goto(url);
    await page.waitForSelector("#BUTTONLOGOUT");
    const upload = await context.newPage();
    await open(upload, "#BUTTONUPLOAD");
    await Promise.all([upload.waitForSelector("#UPLOADER_button"), upload.click("#BUTTONUPLOAD")]);
    await open(page, "#BUTTONBACK");  // the session's form is the upload form now: back to the main form
    await Promise.all([page.waitForSelector("#BUTTONLOGOUT"), page.click("#BUTTONBACK")]);
    const submitTab = await context.newPage();
    await open(submitTab, "#BUTTONSUBMIT");
    const callbackTab = await context.newPage();
    await open(callbackTab, "#BUTTONCALLBACK");
    const ended = await page.evaluate(() => window.GAppID);

    await Promise.all([page.waitForURL(`${url}bye.html`), page.click("#BUTTONLOGOUT")]);
    await Promise.all([page.waitForSelector("#BUTTONLOGOUT"), page.click("text=Start again")]);
    await page.waitForLoadState("load");
    const appID = await page.evaluate(() => window.GAppID);
    assert.notEqual(appID, ended, "a new session");
    const cookie = (await context.cookies()).find((c) => c.name === COOKIE);
    assert.ok(cookie?.value.startsWith(`${appID}_`), "the cookie names the new session");

    tp.allowStatus(500, /\/\$\/$/);
    tp.allowStatus(500, /\/\$\/callback\?/);
    const toldEnded = async (tab, button, address) => {
      tp.page = tab;  // the last screenshot shows the tab that was told
      await tab.fill("#NAME", STALE);
      const [answer] = await Promise.all([tab.waitForResponse((r) => address.test(r.url())), tab.click(button)]);
      // The answer's page replaces the form: a new document, or the callback's script writing it over this one.
      await tab.waitForFunction(() => document.title.endsWith(" - Invalid session") &&
                                       document.readyState === "complete");
      assert.equal(answer.status(), 500);
      assert.equal(await answer.headerValue("set-cookie"), null, "the cookie is left as it is");
      assert.match(await tab.title(), / - Invalid session$/);
      assert.match(await tab.textContent("body"), /Session was terminated\./);
      assert.equal((await tab.textContent(".session")).trim(), ended, "the page names its own session");
    };
    await toldEnded(submitTab, "#BUTTONSUBMIT", /\/\$\/$/);
    await toldEnded(callbackTab, "#BUTTONCALLBACK", /\/\$\/callback\?/);

    tp.page = upload;
    const [sent] = await Promise.all([
      upload.waitForResponse((r) => r.url().includes("/$/upload/")),
      upload.setInputFiles("#UPLOADER_INPUT", { name: "late.txt", mimeType: "text/plain", buffer: Buffer.from("x") }),
    ]);
    assert.equal(sent.status(), 200);
    assert.equal(await sent.headerValue("set-cookie"), null, "an upload sets no cookie");
    await upload.waitForSelector("#UPLOADER_list li.uploader-upload-fail");
    assert.equal(await d.textOf(upload, "#UPLOADER_list .uploader-upload-size"), ENDED);
    // Its next click is told so too, instead of showing the new session's form.
    const [back] = await Promise.all([upload.waitForResponse((r) => /\/\$\/$/.test(r.url())),
                                      upload.click("#BUTTONBACK")]);
    assert.equal(back.status(), 500);
    await upload.waitForFunction(() => document.title.endsWith(" - Invalid session"));

    assert.deepEqual((await context.cookies()).find((c) => c.name === COOKIE), cookie, "the cookie is unchanged");
    tp.page = page;
    await page.fill("#NAME", "A");
    await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
    assert.equal(await d.textOf(page, "#GREETING"), "Hello, A (submit)");
    assert.equal(await d.textOf(page, "#COUNT"), "1 greeting(s) in this session", "the stale tabs greeted nobody");
    assert.equal(await page.evaluate(() => window.GAppID), appID);
  });
});

describe("a submit the browser posts again", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });

  suite.flow("a reload that re-posts a submit runs nothing, and the next submit runs", async (tp) => {
    const { page } = tp;
    await d.firstVisit(tp, suite.demo.url);
    const { trackID } = await d.sessionState(page);
    await page.fill(d.MAIN.edit, "first");
    const first = await d.clickAndLoadPage(tp, d.MAIN.submit);
    assert.equal(first.method, "POST");

    const navigations = d.mainFrameNavigations(tp).length;
    const reloaded = await page.reload();
    await page.waitForSelector(d.MAIN.edit);
    const resent = d.mainFrameNavigations(tp).slice(navigations);
    assert.deepEqual(resent.map((r) => [r.method, r.postData]), [["POST", first.postData]], "the reload re-posted");
    assert.equal(reloaded.status(), 200);
    assert.equal(await d.textOf(page, d.MAIN.label), "first", "the reload's answer is the form as it stands");

    await page.fill(d.MAIN.edit, "second");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(page, d.MAIN.label, "second");
    assert.equal((await d.sessionState(page)).trackID, trackID + 2, "the form ran twice, not three times");
  });
});
