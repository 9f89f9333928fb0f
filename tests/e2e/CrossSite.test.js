// Another origin's page in the visitor's chromium (issue 45). A small server of the test's own plays the attacker on
// another port of 127.0.0.1 (the same site as the demo) and as "localhost" (another site). Its pages post the main
// form's submit, send a no-cors callback, navigate to a submit with an action, and link to "/$/call" with the
// attacker's own session. Each request that would act is refused (403), the visitor's label keeps the visitor's
// text, and whoever follows the link stays out of the attacker's session.
"use strict";

const assert = require("node:assert/strict");
const http = require("node:http");
const { after, before, describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const FORGED = "forged by another site";

// The attacker's pages for the demo at victim (ends with "/"); link is the "/$/call" link of the fixation page.
function attackPage(path, victim, link) {
  const action = `KX_Action=BUTTON1&KX_FormName=MainForm&EDIT1=${encodeURIComponent(FORGED)}`;
  switch (path) {
    case "/form":
      return `<form method="post" action="${victim}$/"><input name="KX_Action" value="BUTTON1">` +
             `<input name="KX_FormName" value="MainForm"><input name="EDIT1" value="${FORGED}"></form>` +
             "<script>document.forms[0].submit();</script>";
    case "/fetch":
      return `<script>fetch("${victim}$/callback?callback=BUTTON2.DoOnAsyncClick", {method: "POST", ` +
             `mode: "no-cors", credentials: "include", body: new URLSearchParams("EDIT1=${FORGED}")})` +
             `.finally(() => { document.title = "sent"; });</script>`;
    case "/navigate":
      return `<script>window.location.href = "${victim}$/?${action}";</script>`;
    default:
      return `<a id="link" href="${link}">a nice page</a>`;
  }
}

describe("another origin's page in the visitor's chromium", () => {
  const suite = d.demoSuite({ timeout: 90000 });
  let attacker;
  let link = "";

  before(async () => {
    attacker = http.createServer((req, res) => {
      res.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
      res.end(`<!DOCTYPE html><html><body>${attackPage(new URL(req.url, "http://x").pathname, suite.demo.url, link)}` +
              "</body></html>");
    });
    await new Promise((resolve) => attacker.listen(0, "127.0.0.1", resolve));
  });

  after(() => new Promise((resolve) => (attacker ? attacker.close(resolve) : resolve())));

  const origins = () => [`http://127.0.0.1:${attacker.address().port}`, `http://localhost:${attacker.address().port}`];

  suite.flow("a form post, a no-cors callback and a link with an action leave the session untouched", async (tp) => {
    const victim = suite.demo.url;
    tp.allowStatus(403, new RegExp(`^${victim.replace(/[.*+?^${}()|[\]\\]/g, "\\$&")}`));
    await d.firstVisit(tp, victim);
    await tp.page.fill(d.MAIN.edit, "the visitor's own text");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "the visitor's own text");
    const { appID } = await d.sessionState(tp.page);

    const tab = await tp.context.newPage();
    const statuses = {};
    for (const origin of origins()) {
      for (const path of ["/form", "/fetch", "/navigate"]) {
        const answer = tab.waitForResponse((r) => r.url().startsWith(`${victim}$/`));
        await tab.goto(origin + path);
        statuses[origin + path] = (await answer).status();
      }
    }
    await tab.close();

    await tp.page.goto(`${victim}$/`);
    await tp.page.waitForSelector(d.MAIN.label);
    assert.equal(await d.textOf(tp.page, d.MAIN.label), "the visitor's own text", "the label kept the visitor's text");
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
    assert.deepEqual(statuses, Object.fromEntries(Object.keys(statuses).map((k) => [k, 403])), "each one refused");
    const cookie = (await tp.context.cookies()).find((c) => c.name === "KX_KXDemo");
    assert.equal(cookie.sameSite, "Lax");
  });

  suite.flow("the /$/call link of the attacker's session hands it to no one", async (tp) => {
    const victim = suite.demo.url;
    await d.firstVisit(tp, victim);
    const owner = await d.sessionState(tp.page);
    link = `${victim}$/call?${owner.appID}_${owner.trackID.toString(36)}`;

    for (const name of ["a new visitor", "a visitor with a session"]) {
      await h.withPage(suite.browser, `call link: ${name}`, async (vp) => {
        if (name !== "a new visitor") await d.firstVisit(vp, victim);
        await vp.page.goto(`${origins()[1]}/link`);
        await vp.page.click("#link");
        await vp.page.waitForSelector(d.MAIN.edit);
        await vp.page.waitForLoadState("load");
        const seen = await d.sessionState(vp.page);
        assert.notEqual(seen.appID, owner.appID, `${name} is not in the attacker's session`);
        const cookie = (await vp.context.cookies()).find((c) => c.name === "KX_KXDemo");
        assert.ok(!cookie.value.startsWith(owner.appID), `${name} has no cookie of the attacker's session`);
      });
    }
  });
});
