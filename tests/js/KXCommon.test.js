// Full submits: the values copied into SubmitForm, the framework's fields, and when a click does not submit.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { page, tick, CookieJar } = require("./harness.js");

const FORM = `
  <form onsubmit="return FormDefaultSubmit();">
    <input type="text" id="EDIT1" name="EDIT1">
    <textarea id="MEMO1" name="MEMO1"></textarea>
    <select id="LIST1" name="LIST1" multiple><option value="0">a</option><option value="1">b</option>
      <option value="2">c</option></select>
    <select id="COMBO1" name="COMBO1"><option value="x">x</option><option value="y">y</option></select>
    <span id="CHECK1"><input type="checkbox" id="CHECK1_CHECKBOX" name="CHECK1_CHECKBOX"></span>
    <input type="radio" name="GROUP" id="R1_INPUT" value="R1"><input type="radio" name="GROUP" id="R2_INPUT" value="R2">
    <input type="text" id="OFF1" name="OFF1" value="kept" disabled>
    <button id="BUTTON1" name="BUTTON1" type="submit">Go</button>
  </form>
  <form method="POST" name="SubmitForm" action="/app/$/">
    <input type="hidden" name="EDIT1"><input type="hidden" name="MEMO1"><input type="hidden" name="LIST1">
    <input type="hidden" name="COMBO1"><input type="hidden" name="CHECK1_CHECKBOX"><input type="hidden" name="GROUP">
    <input type="hidden" name="OFF1"><input type="hidden" name="SCRIPTED" value="set by a script">
    <input type="hidden" name="KX_FormName" value="MainForm"><input type="hidden" name="KX_FormClass" value="TMainForm">
    <input type="hidden" id="HIDDEN_Token" name="Token" value="t&amp;1">
  </form>`;

const GLOBALS = `var GURLBase="/app/$/"; var GAppID="Ab~-0123456789abcdefgh"; var GTrackID=1;
  function Validate() { return window.kxValid !== false; }
  function FormDefaultSubmit() { return false; }`;

// cookieJar: the browser's cookies, shared by tabs (a jar of the page's own by default).
function submitPage(cookieJar) {
  const world = page(FORM, GLOBALS, undefined, cookieJar);
  world.run("InitRects(1024, 768); InitKXCLObjects = function(){}; GActivateLock = true;");
  return world;
}

test("a submit posts every control's value as the browser would post it", () => {
  const world = submitPage();
  const d = world.document;
  d.getElementById("EDIT1").value = "Tom & Jerry\u00e9\ud83d\ude00";
  d.getElementById("MEMO1").value = "line 1\nline 2";
  d.getElementById("LIST1").options[0].selected = true;
  d.getElementById("LIST1").options[2].selected = true;
  d.getElementById("COMBO1").value = "y";
  d.getElementById("R2_INPUT").checked = true;
  world.run("SubmitClickConfirm('BUTTON1', 'a\\'b', false, '')");

  assert.equal(world.posts.length, 1);
  const post = world.posts[0];
  assert.equal(post.get("EDIT1"), "Tom & Jerry\u00e9\ud83d\ude00");
  assert.equal(post.get("MEMO1"), "line 1\nline 2");
  assert.equal(post.get("LIST1"), "0,2", "a multiple selection is joined as the server joins repeated fields");
  assert.equal(post.get("COMBO1"), "y");
  assert.equal(post.get("CHECK1_CHECKBOX"), "", "an unchecked box posts an empty value");
  assert.equal(post.get("GROUP"), "R2");
  assert.equal(post.get("OFF1"), undefined, "a disabled control's value is not posted");
  assert.equal(post.get("SCRIPTED"), "set by a script", "a field without an element keeps its value");
  assert.equal(post.get("Token"), "t&1", "declared hidden fields are left alone");
  assert.equal(post.get("KX_FormName"), "MainForm");
  assert.equal(post.get("KX_Action"), "BUTTON1");
  assert.equal(post.get("KX_ActionParam"), "a'b");
  assert.equal(post.get("KX_SessionID_"), "Ab~-0123456789abcdefgh");
  assert.equal(post.get("KX_width"), "1024");
  assert.equal(post.get("KX_height"), "768");
  assert.equal(world.window.KX.Lock.active, true);
});

test("a checked box posts its value, and a control's own elements are never taken from SubmitForm", () => {
  const world = submitPage();
  world.document.getElementById("CHECK1_CHECKBOX").checked = true;
  world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
  assert.equal(world.posts[0].get("CHECK1_CHECKBOX"), "on");
});

test("the track id is posted in lower-case base 36", () => {
  for (const [decimal, posted] of [[1, "1"], [9, "9"], [10, "a"], [35, "z"], [36, "10"], [1295, "zz"],
                                   [1296, "100"]]) {
    const world = submitPage();
    world.run(`GTrackID = ${decimal}; SubmitClickConfirm('BUTTON1', '', false, '')`);
    assert.equal(world.posts[0].get("KX_TrackID_"), posted, `track ${decimal}`);
  }
});

test("a click does not submit while a submit is under way, when declined, or when validation fails", () => {
  const world = submitPage();
  const w = world.window;
  assert.equal(w.SubmitClickConfirm("BUTTON1", "", false, ""), false, "always false: no default action");
  assert.equal(w.SubmitClickConfirm("BUTTON1", "", false, ""), false);
  assert.equal(world.posts.length, 1, "a second click while the first submit runs is ignored");

  const declined = submitPage();
  declined.confirmAnswer = false;
  declined.window.SubmitClickConfirm("BUTTON1", "", false, "Sure? \"yes\" & <no>");
  assert.deepEqual(declined.confirms, ["Sure? \"yes\" & <no>"]);
  assert.equal(declined.posts.length, 0);

  const invalid = submitPage();
  invalid.run("window.kxValid = false;");
  invalid.window.SubmitClickConfirm("BUTTON1", "", true, "");
  assert.equal(invalid.posts.length, 0);
  invalid.window.SubmitClickConfirm("BUTTON1", "", false, "");
  assert.equal(invalid.posts.length, 1, "validation runs only when asked for");

  const blurred = submitPage();
  blurred.window.SubmitClickConfirm("BUTTON1", "", false, "");
  blurred.run("function Body_OnBlur(){GSubmitting = false;} Body_OnBlur();");
  blurred.window.SubmitClickConfirm("BUTTON1", "", false, "");
  assert.equal(blurred.posts.length, 2, "leaving the window ends the wait");
});

test("the progress script runs before the post", () => {
  const world = submitPage();
  world.run("var order = []; PreScript = true; function PreProgressScript() { order.push('pre'); }");
  world.window.SubmitClickConfirm("BUTTON1", "", false, "");
  assert.deepEqual(Array.from(world.window.order), ["pre"]);
  assert.equal(world.posts.length, 1);
});

test("HTML text from the server decodes to plain text, tags included as text", () => {
  const { window } = page("");
  const cases = [
    ["Tom &amp; Jerry", "Tom & Jerry"],
    ["&lt;img src=x onerror=alert(1)&gt;", "<img src=x onerror=alert(1)>"],
    ["a<br>b<BR/>c", "a\nb\nc"],
    ["&quot;&#39;&apos;&nbsp;", "\"''\u00a0"],
    ["&#128512;&#x1F600;", "\ud83d\ude00\ud83d\ude00"],
    ["&#0;&#xD800;&#1114112;&#99999999999;", "\ufffd\ufffd\ufffd\ufffd"],
    ["&amp;lt; &unknown; & alone", "&lt; &unknown; & alone"],
    ["", ""]
  ];
  for (const [html, text] of cases) {
    assert.equal(window.KX.Text.fromHTML(html), text, html);
  }
});

test("FindElem prefers a named field to an element with that id", () => {
  const world = page('<span id="COMBO2"></span><input type="hidden" name="COMBO2" value="3">');
  assert.equal(world.window.FindElem("COMBO2").tagName, "INPUT");
  assert.equal(world.window.FindElem("nothing"), null);
});

test("the form's default submit of the page code finds the submit button in any browser", () => {
  const world = page(`<form id="WRAP" onsubmit="return FormDefaultSubmit();">
      <input type="text" id="EDIT1" name="EDIT1" value="x"><input type="submit" id="OK1" name="OK1" value="OK">
    </form>
    <form method="POST" name="SubmitForm" action="/app/$/"><input type="hidden" name="EDIT1"></form>`,
    `var GAppID="S"; var GTrackID=12; function Validate() { return true; }
     function FormDefaultSubmit()\r\n{ \r\n   var i;\r\n   for (i = 0; i < event.srcElement.all.length; i++) {\r\n` +
    `     if (event.srcElement.all[i].type == "submit") {\r\n       SubmitClickConfirm(event.srcElement.all[i].name, "default", true, "");\r\n` +
    `       return false;\r\n     }\r\n   }\r\n    SubmitClickConfirm("", "default", true, "");\r\n    return false;\r\n}
     InitRects(800, 600);`);
  const w = world.window;
  const submitted = new w.Event("submit", { cancelable: true });
  world.document.getElementById("WRAP").dispatchEvent(submitted);
  assert.equal(submitted.defaultPrevented, true);
  assert.equal(world.posts.length, 1);
  assert.equal(world.posts[0].get("KX_Action"), "OK1");
  assert.equal(world.posts[0].get("KX_ActionParam"), "default");
  assert.equal(world.posts[0].get("KX_TrackID_"), "c");
});

test("start-up gives SubmitForm the framework's fields, so a form posted by server script carries them", () => {
  const world = page('<form method="POST" name="SubmitForm" action="/app/$/"></form>',
                     'var GAppID="S1"; var GTrackID=100; InitRects(800, 600);');
  world.run("document.forms.SubmitForm.submit();");
  const post = world.posts[0];
  assert.equal(post.get("KX_SessionID_"), "S1");
  assert.equal(post.get("KX_TrackID_"), "2s");
  assert.equal(post.get("KX_Action"), "");
  assert.equal(post.get("KX_width"), "1024");
});

// A post the server turned away for the moment leaves the page (a 204) and the cookie named after the post's token:
// the form is posted again after the wait, three times at most; then the cause is reported and the page, with its
// values, takes clicks. A submit no script watches (one of a server's script) then asks for no 204.
test("a submit turned away for the moment is posted again, then reported with the form left in place", async () => {
  const world = submitPage();
  const d = world.document;
  d.getElementById("EDIT1").value = "typed";
  world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
  for (let turn = 1; turn <= 4; turn++) {
    const token = world.posts[turn - 1].get("KX_Retry");
    assert.match(token, /^[0-9a-f]{32}$/, `turn ${turn}: the post asks for the answer that leaves the page`);
    d.cookie = `KX_Retry_${token}=0:address; Path=/`;
    await wait(world, 150);
    assert.equal(world.posts.length, Math.min(turn + 1, 4), `turn ${turn}`);
    assert.equal(world.window.GSubmitting, turn < 4, `turn ${turn}`);
  }
  assert.equal(new Set(world.posts.map((post) => post.get("KX_Retry"))).size, 1,
               "every copy carries the submit's token");
  assert.equal(world.posts[3].get("EDIT1"), "typed");
  assert.deepEqual(world.alerts, ["The page could not be sent: too many requests come from your address. Your " +
                                  "entries are still here."]);
  assert.equal(d.cookie.includes("KX_Retry"), false, "the cookie is taken as it is read");
  assert.equal(world.window.KX.Lock.active, false);
  assert.equal(d.getElementById("EDIT1").value, "typed");
  world.run("document.forms.SubmitForm.submit();");
  assert.equal(world.posts[4].get("KX_Retry"), undefined);
});

function wait(world, ms) {
  return new Promise((resolve) => setTimeout(resolve, ms)).then(() => tick(world.window));
}

// Two tabs of one browser post at once (B first); each reads only the cookie of its own post's token. Another
// page of the host (another port or path) writes cookies of the old name or of a token of its own: no tab reads or
// shows them. One that reads the token and rewrites its cookie (cookies do not keep ports apart) still gets only the
// page's own words shown: the cause is a word the page knows, any other is "the server is busy".
test("a tab acts on the answer to its own post only", async () => {
  const sent = (cause) => `The page could not be sent: ${cause} Your entries are still here.`;
  const rows = [
    { cookie: () => "KX_Retry=0:Forged+text; Path=/app/", posts: [1, 1] },
    { cookie: () => "KX_Retry=0:Forged+text; Path=/", posts: [1, 1] },
    { cookie: () => "KX_Retry_0123456789abcdef0123456789abcdef=0:Forged+text; Path=/", posts: [1, 1] },
    { cookie: (a) => `KX_Retry_${a}=0:session; Path=/`, posts: [2, 1] },
    { cookie: (a, b) => `KX_Retry_${b}=0:session; Path=/`, posts: [1, 2] },
    { cookie: (a) => `KX_Retry_${a}=-1:session; Path=/`, posts: [1, 1], alert: sent("the session is busy.") },
    { cookie: (a) => `KX_Retry_${a}=-1:Forged+by+another+port; Path=/`, posts: [1, 1],
      alert: sent("the server is busy.") },
    { cookie: (a) => `KX_Retry_${a}=-1:constructor; Path=/`, posts: [1, 1], alert: sent("the server is busy.") },
  ];
  for (const row of rows) {
    const jar = new CookieJar();
    const tabs = [submitPage(jar), submitPage(jar)];
    tabs[1].run("SubmitClickConfirm('BUTTON1', '', false, '')");
    tabs[0].run("SubmitClickConfirm('BUTTON1', '', false, '')");
    const cookie = row.cookie(tabs[0].posts[0].get("KX_Retry"), tabs[1].posts[0].get("KX_Retry"));
    tabs[0].document.cookie = cookie;
    await wait(tabs[0], 250);
    assert.deepEqual(tabs.map((tab) => tab.posts.length), row.posts, cookie);
    assert.deepEqual(tabs.map((tab) => tab.alerts), [row.alert ? [row.alert] : [], []], cookie);
    assert.deepEqual(tabs.map((tab) => tab.window.GSubmitting), [!row.alert, true], `${cookie}: which still waits`);
  }
});

// A post that has no answer after KX.Retry.WAIT is still on its way, and the server may still run it: the page says
// so once and keeps its clicks locked, so a second click posts nothing. An answer that comes later is acted on.
test("a submit without an answer after the wait is said to be on its way, and a second click posts nothing", async () => {
  const world = submitPage();
  world.run("KX.Retry.WAIT = 300; KX.Retry.ASK = 100;");  // the server does not answer its question either
  world.document.getElementById("EDIT1").value = "typed";
  world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
  await wait(world, 150);
  assert.equal(world.window.KX.Lock.active, true, "still waiting");
  await until(world, () => world.alerts.length > 0, 3000);  // a loaded machine runs the page's timers late
  assert.deepEqual(world.alerts, ["The server has not answered yet. What you sent may still be done: the page " +
                                  "changes when the server answers."]);
  assert.equal(world.window.KX.Lock.active, true, "the browser still waits for the post");
  world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
  await wait(world, 300);
  assert.equal(world.posts.length, 1, "the second click posts nothing");
  assert.equal(world.alerts.length, 1, "said once");
  world.document.cookie = `KX_Retry_${world.posts[0].get("KX_Retry")}=-1:session; Path=/`;
  await wait(world, 150);
  assert.equal(world.alerts[1], "The page could not be sent: the session is busy. Your entries are still here.");
  assert.equal(world.document.getElementById("EDIT1").value, "typed");
  world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
  assert.equal(world.posts.length, 2, "turned away, the page takes clicks again");
});

// After the wait the page asks the server what became of its post, by its token, and acts on the word: waiting or
// running keeps the page locked and says which; done, or unknown (not read yet, lost), posts it again with its own
// token (a copy of a done post runs nothing and is answered with the form as it stands); a post the page withdrew, or
// whose session ended, gives the page back with the values; no word the page knows reads as no answer.
test("a submit without an answer after the wait asks the server what became of it", async () => {
  const locked = "The server has not answered yet. What you sent may still be done: the page changes when the " +
                 "server answers.";
  const back = (why) => `The page could not be sent: ${why} Your entries are still here.`;
  const rows = [
    { word: "running", alert: "The server is still working on what you sent: the page changes when it is done.",
      posts: 1, locked: true },
    { word: "waiting", alert: "What you sent waits for an earlier request of your session: the page changes when " +
      "it has run.", posts: 1, locked: true },
    { word: "done", posts: 2, locked: true },
    { word: "unknown", posts: 2, locked: true },
    { word: "abandoned", alert: back("the server did not receive it."), posts: 1, locked: false },
    { word: "ended", alert: back("its session has ended."), posts: 1, locked: false },
    { word: "constructor", alert: locked, posts: 1, locked: true },
    { status: 500, word: "unknown", alert: locked, posts: 1, locked: true },
    // The answer comes after the page said it had none: it is acted on all the same.
    { late: true, word: "unknown", alert: locked, posts: 2, locked: true },
  ];
  for (const row of rows) {
    const world = submitPage();
    world.run(`KX.Retry.WAIT = 200; KX.Retry.ASK = ${row.late ? 50 : 10000};`);
    world.document.getElementById("EDIT1").value = "typed";
    world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
    await wait(world, 300);
    const token = world.posts[0].get("KX_Retry");
    assert.equal(world.requests.length, 1, row.word);
    const asked = world.requests[0];
    assert.equal(asked.method, "GET");
    assert.equal(asked.url.split("&")[0], `/app/$/PostStatus?KX_Retry=${token}`);
    assert.equal(asked.query().KX_SessionID_, "Ab~-0123456789abcdefgh", "it names its session");
    if (row.late) {
      assert.deepEqual(world.alerts, [row.alert]);
      await wait(world, 300);
      assert.equal(world.requests.length, 1, "a server that has not answered is not asked again");
    }
    asked.respond(row.status ?? 200, `<?xml version="1.0"?><post>${row.word}</post>`);
    await tick(world.window);
    assert.deepEqual(world.alerts, [row.alert, row.then].filter(Boolean), row.word);
    assert.equal(world.posts.length, row.posts, row.word);
    if (row.posts === 2) assert.equal(world.posts[1].get("KX_Retry"), token, "posted again with its own token");
    assert.equal(world.window.KX.Lock.active, row.locked, row.word);
    assert.equal(world.document.getElementById("EDIT1").value, "typed");
    world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
    assert.equal(world.posts.length, row.posts + (row.locked ? 0 : 1), `${row.word}: a click after the answer`);
  }
});

// The submit a callback's answer starts when the session's form changed is watched as a click's submit is.
test("the form-change submit is posted again when it is turned away", async () => {
  const world = submitPage();
  const script = fs.readFileSync(path.join(__dirname, "..", "..", "resources", "templates", "FormChange.js"), "utf8");
  world.run("document.SubmitForm = document.forms.SubmitForm;");  // a browser names the form on its document
  world.run(script.replace("{%URLBASE%}", "/app/$/"));
  const token = world.posts[0].get("KX_Retry");
  assert.match(String(token), /^[0-9a-f]{32}$/);
  assert.equal(world.posts[0].action, "http://127.0.0.1:8080/app/$/");
  world.document.cookie = `KX_Retry_${token}=0:session; Path=/`;
  await wait(world, 150);
  assert.equal(world.posts.length, 2);
  assert.equal(world.posts[1].get("KX_Retry"), token, "tried again as a copy of the same submit");
});

// Resolves once cond() holds, polling the page; false after ms without.
async function until(world, cond, ms = 1000) {
  for (const end = Date.now() + ms; !cond(); await wait(world, 20)) {
    if (Date.now() > end) return false;
  }
  return true;
}

// A submit's page after its wait, step by step. Each step is what the server does: answers the page's next question
// (ask: its word; withdraws: whether that question withdraws the post, KX_GiveUp=1), leaves it unanswered (hold),
// answers the oldest unanswered one once the page watches another copy (late: its word), or turns the last copy away
// (cookie: its value); posts: the copies sent by then, every one with the submit's token. The page never says a post
// was not sent while a copy may still arrive, nor when the server ran it.
test("a submit's page asks at every wait and acts on each answer about the copy it watches", async () => {
  const states = { running: "The server is still working on what you sent: the page changes when it is done.",
                   waiting: "What you sent waits for an earlier request of your session: the page changes when it " +
                            "has run." };
  const back = (why) => `The page could not be sent: ${why} Your entries are still here.`;
  const unknownToTheLimit = [{ ask: "unknown", posts: 2 }, { ask: "unknown", posts: 3 }, { ask: "unknown", posts: 4 }];
  const turnedAway = (posts) => ({ cookie: "0:session", posts });
  const rows = [
    { name: "running, then waiting: asked again at every wait",
      steps: [{ ask: "running", posts: 1 }, { ask: "waiting", posts: 1 }, { ask: "done", posts: 2 }],
      alerts: [states.running, states.waiting], locked: true },
    { name: "unknown: sent again with its token, then withdrawn at the limit",
      steps: [...unknownToTheLimit, { ask: "abandoned", withdraws: true, posts: 4 }],
      alerts: [back("the server did not receive it.")], locked: false },
    { name: "a withdrawal answered with what the server knows is acted on",
      steps: [...unknownToTheLimit, { ask: "running", withdraws: true, posts: 4 },
              { ask: "done", withdraws: true, posts: 5 }],
      alerts: [states.running], locked: true },
    { name: "a copy of a done post turned away is tried again, and the page says it was done",
      steps: [{ ask: "done", posts: 2 }, turnedAway(3), turnedAway(4), turnedAway(4)],
      alerts: ["What you sent has been done, but the page that shows it could not be fetched: the session is busy. " +
               "Reload the page to see it."], locked: true },
    { name: "turned away while an earlier copy may still arrive, it is withdrawn before the page says so",
      steps: [{ ask: "unknown", posts: 2 }, turnedAway(3), turnedAway(4), turnedAway(4),
              { ask: "abandoned", withdraws: true, posts: 4 }],
      alerts: [back("the session is busy.")], locked: false },
    { name: "a late answer about a copy the page no longer watches changes nothing",
      steps: [{ hold: true, posts: 1 }, turnedAway(2), { late: "unknown", posts: 2 }, { ask: "running", posts: 2 }],
      alerts: [states.running], locked: true },
  ];
  for (const row of rows) {
    const world = submitPage();
    world.run("KX.Retry.WAIT = 100; KX.Retry.ASK = 10000;");
    world.run("SubmitClickConfirm('BUTTON1', '', false, '')");
    const token = world.posts[0].get("KX_Retry");
    const held = [];
    let asked = 0;
    for (const [i, step] of row.steps.entries()) {
      const where = `${row.name}, step ${i + 1}`;
      if (step.cookie) {
        world.document.cookie = `KX_Retry_${token}=${step.cookie}; Path=/`;
        await until(world, () => world.posts.length >= step.posts, 300);
      } else if (step.late) {
        held.shift().respond(200, `<post>${step.late}</post>`);
      } else {
        assert.ok(await until(world, () => world.requests.length > asked), `${where}: asked`);
        const question = world.requests[asked++];
        assert.equal(question.query().KX_GiveUp, step.withdraws ? "1" : undefined, `${where}: withdraws`);
        if (step.hold) held.push(question);
        else question.respond(200, `<post>${step.ask}</post>`);
      }
      await wait(world, 50);
      assert.equal(world.posts.length, step.posts, where);
    }
    assert.deepEqual(world.posts.filter((post) => post.get("KX_Retry") !== token), [], `${row.name}: one token`);
    assert.deepEqual(world.alerts, row.alerts, row.name);
    assert.equal(world.window.KX.Lock.active, row.locked, row.name);
  }
});
