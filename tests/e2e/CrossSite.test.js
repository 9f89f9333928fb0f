// Another origin's page in the visitor's chromium (issue 45). A small server of the test's own plays the attacker on
// another port of 127.0.0.1 (the same site as the demo) and as "localhost" (another site). Its pages post the main
// form's submit, send a no-cors callback, navigate to a submit with an action, redirect to one, lead to "/$/Stop/",
// load "/$/Start" as an image, and link to "/$/call" with the attacker's own session; the visitor also types an
// address with an action. Each request that would act is refused (403), the visitor's session lives on with the
// visitor's text in its label, and whoever follows the link stays out of the attacker's session.
"use strict";

const assert = require("node:assert/strict");
const http = require("node:http");
const { after, before, describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const FORGED = "forged by another site";

const ACTION = `KX_Action=BUTTON1&KX_FormName=MainForm&EDIT1=${encodeURIComponent(FORGED)}`;

// The attacker's pages for the demo at victim (ends with "/"); link is the "/$/call" link of the fixation page.
// "/redirect" (answered by the server itself) sends the browser on to a submit with an action.
function attackPage(path, victim, link) {
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
      return `<script>window.location.href = "${victim}$/?${ACTION}";</script>`;
    case "/start":
      return `<img src="${victim}$/Start">`;
    case "/stop":
      return `<script>window.location.href = "${victim}$/Stop/?url=example.org";</script>`;
    case "/frame":
      return `<iframe id="frame" src="${victim}$/" width="600" height="400"></iframe>`;
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
      if (req.url === "/redirect") {
        res.writeHead(302, { Location: `${suite.demo.url}$/?${ACTION}` });
        return res.end();
      }
      res.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
      res.end(`<!DOCTYPE html><html><body>${attackPage(new URL(req.url, "http://x").pathname, suite.demo.url, link)}` +
              "</body></html>");
    });
    await new Promise((resolve) => attacker.listen(0, "127.0.0.1", resolve));
  });

  after(() => new Promise((resolve) => (attacker ? attacker.close(resolve) : resolve())));

  const origins = () => [`http://127.0.0.1:${attacker.address().port}`, `http://localhost:${attacker.address().port}`];

  suite.flow("posts, callbacks, actions typed or redirected, starts and stops of another site leave the session be",
             async (tp) => {
    const victim = suite.demo.url;
    tp.allowStatus(403, new RegExp(`^${victim.replace(/[.*+?^${}()|[\]\\]/g, "\\$&")}`));
    await d.firstVisit(tp, victim);
    await tp.page.fill(d.MAIN.edit, "the visitor's own text");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "the visitor's own text");
    const { appID } = await d.sessionState(tp.page);

    const tab = await tp.context.newPage();
    const statuses = {};
    // The first answer of the demo after address is opened in tab, or why none came (an image's answer may be
    // blocked). A request aborted for a newer navigation is no answer yet.
    const visit = async (name, address) => {
      const ours = (request) => request.url().startsWith(`${victim}$/`);
      let onResponse, onFailed;
      const settled = new Promise((resolve) => {
        onResponse = (response) => ours(response) && resolve(response.status());
        onFailed = (request) => ours(request) && request.failure().errorText !== "net::ERR_ABORTED" &&
                                resolve(`no answer: ${request.failure().errorText}`);
      });
      tab.on("response", onResponse);
      tab.on("requestfailed", onFailed);
      await tab.goto(address);
      statuses[name] = await h.withTimeout(settled, h.ACTION_MS, name);
      tab.off("response", onResponse);
      tab.off("requestfailed", onFailed);
    };
    for (const origin of origins()) {
      // The 302 is opened as a link from a mail program would be; the image to "/$/Start" only from the same site,
      // as another site's image carries no cookie (SameSite) and so names no session to end.
      const paths = ["/form", "/fetch", "/navigate", "/redirect", "/stop", ...(origin === origins()[0] ? ["/start"] : [])];
      for (const path of paths) {
        await visit(origin + path, origin + path);
        // The stop's button would end the session on another host's page: the page names that host.
        if (path === "/stop") assert.match(await tab.textContent("p:has(button)"), /It leads to example\.org\.$/);
      }
    }
    await visit("a typed address with an action", `${victim}$/?${ACTION}`);
    await tab.close();
    assert.deepEqual(statuses, Object.fromEntries(Object.keys(statuses).map((k) => [k, 403])), "each one refused");

    await tp.page.goto(`${victim}$/`);
    await tp.page.waitForSelector(d.MAIN.label);
    assert.equal(await d.textOf(tp.page, d.MAIN.label), "the visitor's own text", "the label kept the visitor's text");
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
    const cookie = (await tp.context.cookies()).find((c) => c.name === "KX_KXDemo");
    assert.equal(cookie.sameSite, "Lax");
    assert.equal(cookie.httpOnly, true, "no page script, of another port of this host neither, reads the cookie");
  });

  // Issue 55: a page of another port of this host gets the Lax cookie into its frame; the frame must not show the
  // session (nor take a click in it). The application's own page still frames it.
  suite.flow("another origin's frame shows no session; the application's own frame does", async (tp) => {
    const victim = suite.demo.url;
    await d.firstVisit(tp, victim);
    await tp.page.fill(d.MAIN.edit, "the visitor's own text");
    await d.clickAndLoadPage(tp, d.MAIN.submit);
    await d.waitForText(tp.page, d.MAIN.label, "the visitor's own text");

    const tab = await tp.context.newPage();
    for (const origin of origins()) {
      await tab.goto(`${origin}/frame`);
      const frame = await (await tab.$("#frame")).contentFrame();
      assert.equal(await frame.$(d.MAIN.label), null, `${origin} shows no page of the application in its frame`);
    }
    await tab.close();
    // The browser reports each refused frame as a failed request and a console error.
    const blocked = tp.errors.filter((e) => e === `request failed: GET ${victim}$/ net::ERR_BLOCKED_BY_RESPONSE`);
    assert.equal(blocked.length, origins().length, `the browser refused each frame: ${tp.errors.join("; ")}`);
    const refused = /Content Security Policy directive: "frame-ancestors/;
    tp.errors = tp.errors.filter((e) => !blocked.includes(e) && !refused.test(e));

    await tp.page.evaluate((src) => {
      const frame = document.createElement("iframe");
      frame.id = "own";
      frame.src = src;
      document.body.appendChild(frame);
    }, `${victim}$/`);
    const own = await (await tp.page.waitForSelector("#own")).contentFrame();
    await d.waitForText(own, d.MAIN.label, "the visitor's own text");
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
