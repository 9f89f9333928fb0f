// A submit answered 401 runs once the browser sends it again with the new credentials. The guide program (KX_GUIDE)
// runs from a folder of its own with a file of users beside it (#Auth.ini, read again at each check); chromium
// answers the server's 401 with the context's credentials. Ann's password changes between two submits: the second
// submit's first post gets the 401, and the browser's resend of that post, with the new password, runs it.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { after, before, describe, test } = require("node:test");
const d = require("./demo");
const h = require("./harness");

const TEST_MS = 60000;

describe("a submit answered 401", { skip: !process.env.KX_GUIDE && "KX_GUIDE names no guide program" }, () => {
  let folder;
  let program;
  let guide;
  let browser;
  const users = (password) => fs.writeFileSync(path.join(folder, "#Auth.ini"), `[ann]\nPassword=${password}\n`);
  before(async () => {
    // The program reads its users beside itself: a folder of this test's, so that the guide's other tests ask none.
    folder = fs.mkdtempSync(path.join(os.tmpdir(), "kx-auth-"));
    program = path.join(folder, "guide");
    try {
      fs.linkSync(process.env.KX_GUIDE, program);
    } catch {
      fs.copyFileSync(process.env.KX_GUIDE, program);
      fs.chmodSync(program, 0o755);
    }
    users("pw1");
    guide = await h.startDemo([], program);
    browser = await h.launchBrowser();
  });
  after(async () => {
    await h.closeBrowser(browser);
    if (guide) await d.stopDemo(guide);
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test("runs when the browser sends it with the new password", { timeout: TEST_MS }, () =>
    h.withPage(browser, "a submit answered 401 runs when sent with the new password", async (tp) => {
      const { page, context } = tp;
      await page.goto(guide.url);
      await page.waitForSelector("#NAME");
      await page.waitForLoadState("load");
      await page.fill("#NAME", "Ann");
      await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
      assert.equal(await d.textOf(page, "#GREETING"), "Hello, Ann (submit)");

      users("pw2");
      await context.setHTTPCredentials({ username: "ann", password: "pw2" });
      tp.allowStatus(401, /\/\$\/$/);
      await page.fill("#NAME", "Bob");
      await page.click("#BUTTONSUBMIT");
      await d.waitForText(page, "#GREETING", "Hello, Bob (submit)");
      assert.equal(await d.textOf(page, "#COUNT"), "2 greeting(s) in this session");
    }, { httpCredentials: { username: "ann", password: "pw1" } }));
});
