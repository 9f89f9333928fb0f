// Callbacks: what a callback request carries, and how the answer document changes the page.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page, tick } = require("./harness.js");

const BODY = `
  <form onsubmit="return FormDefaultSubmit();">
    <input type="text" id="EDIT1" name="EDIT1" value="typed &amp; sent" style="left: 10px; top: 20px; width: 100px; height: 20px;">
    <span id="CHECK1"><input type="checkbox" id="CHECK1_CHECKBOX" name="CHECK1_CHECKBOX" checked></span>
    <button id="BUTTON1" name="BUTTON1" type="button">Go</button>
    <select id="LIST1" name="LIST1"><option value="0">old</option></select>
  </form>
  <span id="LABEL1">old</span>
  <textarea id="MEMO1" name="MEMO1"></textarea>
  <a id="LINK1" href="#">link</a>
  <form method="POST" name="SubmitForm" action="/app/$/">
    <input type="hidden" name="EDIT1"><input type="hidden" name="CHECK1_CHECKBOX">
    <input type="hidden" name="KX_FormID_" value="F42">
    <input type="hidden" id="HIDDEN_Secret" name="Secret" value="old">
  </form>`;

const GLOBALS = `var GURLBase="/app/$/"; var GAppID="SESSIONID0123456789abc"; var GTrackID=35;
  function Validate() { return true; }
  function FormDefaultSubmit() { return false; }
  function InitKXCLObjects() {
    KX.initKXCL(KXCLForm,"EDIT1",true);
    KX.initKXCL(KXCLForm,"CHECK1",true);
    KX.initKXCL(KXCLForm,"BUTTON1",false);
    KX.initKXCL(KXCLForm,"LABEL1",false);
    KX.initKXCL(KXCLForm,"GONE1",false);
  }
  InitRects(1024, 768); InitKXCLObjects();`;

function response({ update = "", execute = "", rewrite = "", submit = "/app/$/", trackid = "36" } = {}) {
  return '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><response>' +
      `<update>${update}</update><execute>${execute}</execute><rewrite>${rewrite}</rewrite>` +
      `<submit>${submit}</submit><trackid>${trackid}</trackid></response>`;
}

test("a control without an element is null, one with an element is that element", () => {
  const world = page(BODY, GLOBALS);
  const w = world.window;
  assert.equal(w.GONE1KXCL, null);
  assert.equal(w.EDIT1KXCL, world.document.getElementById("EDIT1"));
  assert.equal(w.EDIT1KXCL.value, "typed & sent", "page code reads the control's value through its object");
  assert.deepEqual([w.EDIT1KXCL.Rect.left, w.EDIT1KXCL.Rect.top, w.EDIT1KXCL.Rect.width, w.EDIT1KXCL.Rect.height],
                   [10, 20, 100, 20]);
});

test("a default handler calls back with the track id in base 36 and the sender's fields", () => {
  const world = page(BODY, GLOBALS);
  world.run('EDIT1KXCL.HookDefaultHandlers("OnChange:Lock;OnKeyUp");');
  world.document.getElementById("EDIT1").dispatchEvent(new world.window.Event("change"));
  assert.equal(world.requests.length, 1);
  const request = world.requests[0];
  assert.equal(request.method, "POST");
  assert.ok(request.url.startsWith("/app/$/callback?"), request.url);
  const query = request.query();
  assert.equal(query.callback, "EDIT1.DoOnAsyncChange");
  assert.equal(query.KX_TrackID_, "z");
  assert.match(query.KX_AjaxID, /^[0-9]+_[0-9]+$/);
  const form = request.form();
  assert.equal(form.EDIT1, "typed & sent");
  assert.equal(form.KX_SessionID_, "SESSIONID0123456789abc");
  assert.equal(form.KX_FormID_, "F42");
  assert.equal(form.CHECK1_CHECKBOX, undefined, "only the sender's fields");
  assert.equal(world.window.KX.Lock.active, true, "Lock: the page waits for the answer");
  assert.equal(world.window.ValidClick, false);

  request.respond(200, response());
  assert.equal(world.window.KX.Lock.active, false);
  assert.equal(world.window.ValidClick, true);
  assert.equal(world.window.GTrackID, 36);
});

test("a sender that does not submit on async events posts no value; a check box posts its _CHECKBOX field", () => {
  const world = page(BODY, GLOBALS);
  world.run('BUTTON1KXCL.HookDefaultHandlers("OnClick"); CHECK1KXCL.HookDefaultHandlers("OnClick");');
  world.document.getElementById("BUTTON1").click();
  const first = world.requests[0];
  assert.equal(first.query().callback, "BUTTON1.DoOnAsyncClick");
  assert.deepEqual(Object.keys(first.form()).sort(), ["KX_FormID_", "KX_SessionID_"]);
  assert.equal(world.window.KX.Lock.active, false);

  world.document.getElementById("CHECK1").click();
  assert.equal(world.requests.length, 1, "one callback at a time");
  first.respond(200, response({ trackid: "36" }));
  const second = world.requests[1];
  assert.equal(second.query().callback, "CHECK1.DoOnAsyncClick");
  assert.equal(second.query().KX_TrackID_, "10", "the next callback carries the track id of the last answer");
  assert.equal(second.form().CHECK1_CHECKBOX, "on");
});

test("a callback carries the controls the user changed since the page was made or last posted them", () => {
  const world = page(BODY, GLOBALS);
  const d = world.document;
  world.run('BUTTON1KXCL.HookDefaultHandlers("OnClick");');
  const click = () => {
    d.getElementById("BUTTON1").click();
    const request = world.requests[world.requests.length - 1];
    request.respond(200, response());
    return request.form();
  };
  const untouched = click();
  assert.equal(untouched.EDIT1, undefined, "nothing changed yet");

  d.getElementById("EDIT1").value = "typed now";
  d.getElementById("CHECK1_CHECKBOX").checked = false;
  const changed = click();
  assert.equal(changed.EDIT1, "typed now", "the handler reads what the page shows");
  assert.equal(changed.CHECK1_CHECKBOX, "", "an unchecked box posts an empty value");

  assert.equal(click().EDIT1, undefined, "a posted value is not sent again while it stays");
  d.getElementById("EDIT1").value = "typed & sent";
  assert.equal(click().EDIT1, "typed & sent", "changing back is a change");

  d.getElementById("EDIT1").value = "while disabled";
  d.getElementById("EDIT1").disabled = true;
  assert.equal(click().EDIT1, undefined, "a disabled control posts nothing");
});

test("a hooked handler that returns false stops the hooks after it and the browser's action", () => {
  const world = page(BODY, GLOBALS);
  world.run(`var calls = [];
    function BUTTON1_onclick(event) { calls.push(this.id); return false; }
    BUTTON1KXCL.HookEvent("click", BUTTON1_onclick);
    BUTTON1KXCL.HookDefaultHandlers("OnClick");`);
  const event = new world.window.MouseEvent("click", { cancelable: true, bubbles: true });
  world.document.getElementById("BUTTON1").dispatchEvent(event);
  assert.deepEqual(Array.from(world.window.calls), ["BUTTON1"], "this is the control's element");
  assert.equal(event.defaultPrevented, true);
  assert.equal(world.requests.length, 0);
});

test("initialising a control again replaces its hooks instead of adding to them", () => {
  const world = page(BODY, GLOBALS);
  world.run('EDIT1KXCL.HookDefaultHandlers("OnChange"); InitKXCLObjects(); EDIT1KXCL.HookDefaultHandlers("OnChange");');
  world.document.getElementById("EDIT1").dispatchEvent(new world.window.Event("change"));
  assert.equal(world.requests.length, 1);
});

test("the answer updates controls, with text set as text and innerhtml as markup", () => {
  const world = page(BODY, GLOBALS);
  world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, false, {});
  world.requests[0].respond(200, response({
    update:
      '<control id="LABEL1" type="KXLABEL"><innerHTML><![CDATA[<b>bold</b> &amp; more]]></innerHTML>' +
        '<css>LABEL1CSS</css><supportsinput>false</supportsinput><hint>&amp;lt;b&amp;gt;tip&amp;amp;</hint>' +
        '<style><attribute name="color">red</attribute><attribute name="display"></attribute></style></control>' +
      '<control id="BUTTON1" type="KXBUTTON"><caption>&amp;lt;img src=x onerror=alert(1)&amp;gt;</caption>' +
        '<enabled>false</enabled></control>' +
      '<control id="EDIT1" type="KXEDIT"><text>two&lt;br&gt;lines &amp;amp; more</text><readonly>true</readonly>' +
        '<maxlength>0</maxlength><supportsinput>false</supportsinput>' +
        '<style><attribute name="left">30px</attribute><attribute name="width">150px</attribute></style></control>' +
      '<control id="MEMO1" type="KXMEMO"><text>a&#10;b &amp;amp; c</text></control>' +
      '<control id="CHECK1" type="KXCHECKBOX"><checked>false</checked></control>' +
      '<control id="LIST1" type="KXLISTBOX"><select_type>select-multiple</select_type><items>' +
        '<item selected="true" value="-1">(none)</item><item value="3">a &amp;lt; b</item>' +
        '<item selected="true" value="4">c</item></items></control>' +
      '<control id="LINK1" type="KXURL"><href>javascript:alert(1)</href><target>_blank</target></control>' +
      '<control id="MainForm" type="KXFORM"><hiddenfield id="Secret"><![CDATA[new]]]]><![CDATA[>value]]></hiddenfield></control>' +
      '<control id="NOSUCH" type="KXLABEL"><innerhtml>x</innerhtml></control>'
  }));
  const d = world.document;
  const label = d.getElementById("LABEL1");
  assert.equal(label.innerHTML, "<b>bold</b> &amp; more");
  assert.equal(label.className, "LABEL1CSS");
  assert.equal(label.title, "<b>tip&");
  assert.equal(label.style.color, "red");
  const button = d.getElementById("BUTTON1");
  assert.equal(button.textContent, "<img src=x onerror=alert(1)>", "a caption never becomes markup");
  assert.equal(button.getElementsByTagName("img").length, 0);
  assert.equal(button.disabled, true);
  const edit = d.getElementById("EDIT1");
  assert.equal(edit.value, "twolines & more", "a one-line input drops the line break, as browsers do");
  assert.equal(d.getElementById("MEMO1").value, "a\nb & c");
  assert.equal(edit.readOnly, true);
  assert.equal(edit.hasAttribute("maxlength"), false, "0 means no limit");
  assert.equal(world.window.EDIT1KXCL.submitOnAsync, false);
  assert.equal(world.window.EDIT1KXCL.Rect.left, 30, "a moved control takes its new place as its reference");
  assert.equal(world.window.EDIT1KXCL.Rect.width, 150);
  assert.equal(d.getElementById("CHECK1_CHECKBOX").checked, false);
  const list = d.getElementById("LIST1");
  assert.equal(list.multiple, true);
  assert.deepEqual(Array.from(list.options).map((o) => [o.value, o.text, o.selected]),
                   [["-1", "(none)", true], ["3", "a < b", false], ["4", "c", true]]);
  const link = d.getElementById("LINK1");
  assert.equal(link.getAttribute("href"), "#", "a script URL is refused");
  assert.equal(link.target, "_blank");
  assert.equal(d.getElementsByName("Secret")[0].value, "new]]>value");
});

test("a script or data address never reaches a link or a frame; another one does", () => {
  const cases = [["javascript:alert(1)", false], [" VBScript:MsgBox(1)", false],
                 ["DATA:text/html,&lt;script&gt;alert(1)&lt;/script&gt;", false], ["page.html", true]];
  for (const [url, loaded] of cases) {
    const world = page(BODY + '<iframe id="FRAME1" src="old.html"></iframe>', GLOBALS);
    world.run(`KX.Ajax.applyText(${JSON.stringify("<response><update>" +
      `<control id="LINK1" type="KXURL"><href>${url}</href></control>` +
      `<control id="FRAME1" type="KXURLWINDOW"><src>${url}</src></control></update></response>`)});`);
    const d = world.document;
    assert.equal(d.getElementById("LINK1").getAttribute("href"), loaded ? "page.html" : "#", url);
    assert.match(d.getElementById("FRAME1").src, loaded ? /\/page\.html$/ : /\/old\.html$/, url);
  }
});

test("the answer sets the post form's action and track id before its scripts run, in order", () => {
  const world = page(BODY, GLOBALS);
  world.run("var seen = [];");
  world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, false, {});
  world.requests[0].respond(200, response({
    update: '<control id="LABEL1" type="KXLABEL"><innerhtml>new</innerhtml></control>',
    execute: "<literal><![CDATA[seen.push(document.getElementById('LABEL1').innerHTML, GTrackID," +
             " document.forms.SubmitForm.elements.KX_TrackID_.value);]]></literal>" +
             "<literal><![CDATA[throw new Error('boom');]]></literal>" +
             "<literal>seen.push(document.forms.SubmitForm.getAttribute('action'));</literal>",
    submit: "/app/other/$/", trackid: "71"
  }));
  assert.deepEqual(Array.from(world.window.seen), ["new", 71, "1z", "/app/other/$/"]);
  assert.equal(world.alerts.length, 1, "a failing script is reported and the next one still runs");
  assert.match(world.alerts[0], /boom/);
});

test("a rewrite replaces the page and skips the scripts", () => {
  const world = page(BODY, GLOBALS);
  world.run("var ran = false;");
  world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, false, {});
  world.requests[0].respond(200, response({ rewrite: "<![CDATA[<!DOCTYPE html><html>start</html>]]>",
                                           execute: "<literal>ran = true;</literal>" }));
  assert.deepEqual(world.replaced, ["<!DOCTYPE html><html>start</html>"]);
  assert.equal(world.window.ran, false);
  world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, false, {});
  assert.equal(world.requests.length, 1, "nothing is sent from a replaced page");
});

test("failed callbacks are reported as the page's error mode says, and an error page is shown", () => {
  for (const [mode, alerts] of [[0, 0], [1, 1], [2, 0]]) {
    const world = page(BODY, GLOBALS + `KXAjaxErrorMode = ${mode};`);
    world.window.KX.Ajax.callback("A.B", null, true, {});
    world.requests[0].respond(200, "<response><update></update>"); // cut short
    assert.equal(world.alerts.length, alerts, `mode ${mode}`);
    assert.equal(world.window.KX.Lock.active, false, "the lock is released whatever happened");
    assert.equal(world.document.getElementById("LABEL1").textContent, "old");
  }
  const expired = page(BODY, GLOBALS);
  expired.window.KX.Ajax.callback("A.B", null, false, {});
  expired.requests[0].respond(500, "<!DOCTYPE html><html><body>Your session has expired</body></html>");
  assert.equal(expired.replaced.length, 1);
  assert.equal(expired.alerts.length, 0);
});

// Every click, key and change waiting behind an answer is sent (a click replaced the waiting one); only a
// continuous event right behind the same one of the same sender replaces it.
test("waiting callbacks are all sent in order; only repeated continuous events merge", () => {
  const cases = [
    { calls: ["BUTTON1.DoOnAsyncClick", "BUTTON1.DoOnAsyncClick", "BUTTON1.DoOnAsyncClick"],
      sent: ["BUTTON1.DoOnAsyncClick#1", "BUTTON1.DoOnAsyncClick#2", "BUTTON1.DoOnAsyncClick#3"] },
    { calls: ["EDIT1.DoOnAsyncKeyUp", "EDIT1.DoOnAsyncKeyUp", "EDIT1.DoOnAsyncChange", "EDIT1.DoOnAsyncChange"],
      sent: ["EDIT1.DoOnAsyncKeyUp#1", "EDIT1.DoOnAsyncKeyUp#2", "EDIT1.DoOnAsyncChange#3",
             "EDIT1.DoOnAsyncChange#4"] },
    { calls: ["EDIT1.DoOnAsyncMouseMove", "EDIT1.DoOnAsyncMouseMove", "EDIT1.DoOnAsyncMouseMove"],
      sent: ["EDIT1.DoOnAsyncMouseMove#1", "EDIT1.DoOnAsyncMouseMove#3"] },
    { calls: ["EDIT1.DoOnAsyncMouseMove", "EDIT1.DoOnAsyncClick", "EDIT1.DoOnAsyncMouseMove"],
      sent: ["EDIT1.DoOnAsyncMouseMove#1", "EDIT1.DoOnAsyncClick#2", "EDIT1.DoOnAsyncMouseMove#3"] },
    { calls: ["A.First", "EDIT1.DoOnAsyncMouseMove", "EDIT1.DoOnAsyncMouseMove", "EDIT1.DoOnAsyncResize",
              "EDIT1.DoOnAsyncResize", "EDIT1.DoOnAsyncScroll", "EDIT1.DoOnAsyncScroll"],
      sent: ["A.First#1", "EDIT1.DoOnAsyncMouseMove#3", "EDIT1.DoOnAsyncResize#5", "EDIT1.DoOnAsyncScroll#7"] },
  ];
  for (const { calls, sent } of cases) {
    const world = page(BODY, GLOBALS);
    const w = world.window;
    calls.forEach((name, i) => w.KX.Ajax.callback(name, w.EDIT1KXCL, false, { n: String(i + 1) }));
    for (let i = 0; i < world.requests.length; i++) {
      world.requests[i].respond(200, response());
    }
    assert.deepEqual(world.requests.map((r) => `${r.query().callback}#${r.form().n}`), sent, calls.join(" "));
  }
  // Another sender's mouse move is its own callback.
  const world = page(BODY, GLOBALS);
  const w = world.window;
  w.KX.Ajax.callback("A.First", null, false, {});
  w.KX.Ajax.callback("X.DoOnAsyncMouseMove", w.EDIT1KXCL, false, {});
  w.KX.Ajax.callback("X.DoOnAsyncMouseMove", w.BUTTON1KXCL, false, {});
  for (let i = 0; i < world.requests.length; i++) world.requests[i].respond(200, response());
  assert.equal(world.requests.length, 3);
});

test("keep-alive pings the session every interval and stops at 0", () => {
  const world = page(BODY, GLOBALS);
  const w = world.window;
  w.KX.Session.initKeepAlive(150000);
  assert.notEqual(w.KX.Session.keepAliveTimer, null);
  w.KX.Session.keepAlive();
  assert.equal(world.requests[0].method, "GET");
  assert.ok(world.requests[0].url.startsWith("/app/$/KeepAlive?"), world.requests[0].url);
  assert.equal(world.requests[0].query().KX_SessionID_, "SESSIONID0123456789abc");
  w.KX.Session.initKeepAlive("0");
  assert.equal(w.KX.Session.keepAliveTimer, null);
});

// The server's "try again" answer (503 with Retry-After) sends the same callback again after the wait, three times
// at most; then, or for a 503 that asks for no wait, the failure is reported in the page's own words.
test("a callback turned away for the moment is sent again, and reported with its cause only when it stays so", async () => {
  const busy = "503 - Too many requests from your address. Please try again later.";
  for (const [refusals, retryAfter, sent, alerted] of [[1, "0", 2, false], [3, "0", 4, false], [4, "0", 4, true],
                                                         [1, null, 1, true]]) {
    const world = page(BODY, GLOBALS);
    world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, true, {});
    for (let i = 0; i < refusals && i < world.requests.length; i++) {
      world.requests[i].respond(503, busy, { "X-KX-Retry-Cause": "address",
                                             ...(retryAfter === null ? {} : { "Retry-After": retryAfter }) });
      await tick(world.window);
    }
    const label = `${refusals} refusals, Retry-After ${retryAfter}`;
    assert.equal(world.requests.length, sent, label);
    assert.ok(world.requests.every((r) => r.url === world.requests[0].url && r.body === world.requests[0].body));
    if (!alerted) world.requests[sent - 1].respond(200, response({ update: '<control id="LABEL1" type="KXLABEL">' +
                                                                  "<caption>new</caption></control>" }));
    assert.deepEqual(world.alerts, alerted ? ["The callback could not be sent: too many requests come from your " +
                                              "address."] : [], label);
    assert.equal(world.document.getElementById("LABEL1").textContent, alerted ? "old" : "new", label);
    assert.equal(world.window.KX.Lock.active, false, label);
  }
});

// Issue 5: a callback still turned away tells the visitor the cause in the page's words, as a submit does, and never
// the handler's name, the status or the server's text; a cause the page does not know is "the server is busy".
// Other failures keep their report.
test("a callback that stays turned away is reported by its cause in the page's words", () => {
  const busy = "503 - The session is busy. Please try again later.";
  const sent = (cause) => `The callback could not be sent: ${cause}`;
  const rows = [
    [503, { "X-KX-Retry-Cause": "session" }, sent("the session is busy.")],
    [503, { "X-KX-Retry-Cause": "address" }, sent("too many requests come from your address.")],
    [503, {}, sent("the server is busy.")],
    [503, { "X-KX-Retry-Cause": "constructor" }, sent("the server is busy.")],
    [503, { "X-KX-Retry-Cause": "<b>forged</b>" }, sent("the server is busy.")],
    [403, { "X-KX-Retry-Cause": "session" }, "The callback BUTTON1.DoOnAsyncClick failed (HTTP status 403). 403 - No."],
  ];
  for (const [status, headers, alert] of rows) {
    const world = page(BODY, GLOBALS);
    world.window.KX.Ajax.callback("BUTTON1.DoOnAsyncClick", null, true, {});
    world.requests[0].respond(status, status === 503 ? busy : "403 - No.", headers);
    assert.deepEqual(world.alerts, [alert], `${status} ${JSON.stringify(headers)}`);
    assert.equal(world.window.KX.Lock.active, false);
  }
});
