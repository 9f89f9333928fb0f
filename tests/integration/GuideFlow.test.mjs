// The guide's program (examples/guide/, docs/GUIDE.md) through sessions, as a browser drives it: a callback handler
// reads the edit the user changed, a submit renders the whole page, the per-session data module counts across both,
// forms are shown and released, validation writes into a label or ends in an alert (and an error line and a report
// file), a message form goes back with "Ok", and the template form lays its controls out from its HTML file.
//   KX_GUIDE_PORT=<port> KX_GUIDE_STDERR=<file> KX_GUIDE_PROGRAM=<guide> node --test GuideFlow.test.mjs
// GuideProgramTest.sh starts the program and runs this file.
import test from "node:test";
import assert from "node:assert/strict";
import http from "node:http";
import fs from "node:fs";
import path from "node:path";

const port = Number(process.env.KX_GUIDE_PORT);
const agent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

function request(session, method, url, body) {
  const headers = { "User-Agent": agent };
  if (session.cookie) headers.Cookie = session.cookie;
  if (body !== undefined) headers["Content-Type"] = "application/x-www-form-urlencoded";
  return new Promise((resolve, reject) => {
    const req = http.request({ host: "127.0.0.1", port, method, path: url, headers }, (res) => {
      let text = "";
      res.on("data", (chunk) => (text += chunk));
      res.on("end", () => {
        for (const line of res.headers["set-cookie"] || []) {
          if (line.startsWith("KX_")) session.cookie = line.split(";")[0];
        }
        // the track id the next request carries: a page's GTrackID, a callback answer's <trackid>
        const track = /GTrackID=(\d+);/.exec(text) || /<trackid>(\d+)<\/trackid>/.exec(text);
        if (track) session.track = Number(track[1]);
        resolve({ status: res.statusCode, body: text });
      });
    });
    req.on("error", reject);
    req.end(body);
  });
}

// A new session on the main form, as a browser opens it.
async function openSession() {
  const session = { cookie: "", track: 1 };
  session.id = /KX_SessionID_=([^&"]+)/.exec((await request(session, "GET", "/")).body)[1];
  const fields = `KX_width=1024&KX_height=768&KX_SessionID_=${session.id}&KX_TrackID_=1`;
  await request(session, "GET", `/$/StartCheck?KX_AjaxID=1&${fields}`);
  await request(session, "POST", "/", fields);
  const page = await request(session, "GET", "/$/");
  assert.match(page.body, /<title>kx guide<\/title>/);
  return session;
}

const encode = (fields) => Object.entries(fields).map(([k, v]) => `${k}=${encodeURIComponent(v)}`).join("&");

// A full submit: a click on button with the form's fields; the answer is the whole page.
async function submit(session, button, fields = {}) {
  const body = encode({ ...fields, KX_Action: button, KX_ActionParam: "", KX_SessionID_: session.id,
                        KX_TrackID_: session.track.toString(36) });
  const reply = await request(session, "POST", "/$/", body);
  assert.equal(reply.status, 200, reply.body);
  return reply.body;
}

// A callback: the button's asynchronous click with the fields the user changed; the answer is the update document.
let ajaxId = 100;
async function callback(session, button, changed = {}) {
  const url = `/$/callback?callback=${button}.DoOnAsyncClick&KX_AjaxID=${ajaxId++}&KX_TrackID_=${session.track}`;
  const reply = await request(session, "POST", url, encode({ ...changed, KX_SessionID_: session.id }));
  assert.equal(reply.status, 200, reply.body);
  assert.match(reply.body, /^<\?xml .*<response>/s);
  return reply.body;
}

// The HTML text of a control in a callback update; undefined when the update does not name it.
function updated(answer, id) {
  const match = new RegExp(`<control id="${id}" [^>]*>\\s*<innerhtml><!\\[CDATA\\[(.*?)\\]\\]>`, "s").exec(answer);
  return match ? match[1] : undefined;
}

test("a callback handler reads the edit the user changed; the data module counts callbacks and submits", async () => {
  const session = await openSession();
  let answer = await callback(session, "BUTTONCALLBACK", { NAME: "Ada" });
  assert.equal(updated(answer, "GREETING"), "Hello, Ada (callback)");
  assert.equal(updated(answer, "COUNT"), "1 greeting(s) in this session");
  assert.equal(updated(answer, "NAME"), undefined, "the browser shows the edit's text already");
  // The edit, not changed since, is not posted: on the server it still holds "Ada", so the greeting is the same
  // and, unchanged, is not sent again.
  answer = await callback(session, "BUTTONCALLBACK");
  assert.equal(updated(answer, "GREETING"), undefined);
  assert.equal(updated(answer, "COUNT"), "2 greeting(s) in this session");
  // A submit renders the whole page, with the edit's new text.
  const page = await submit(session, "BUTTONSUBMIT", { NAME: "Bob" });
  assert.match(page, /<html/i);
  assert.match(page, />Hello, Bob \(submit\)</);
  assert.match(page, />3 greeting\(s\) in this session</);
  // Another session has a data module of its own.
  const other = await openSession();
  answer = await callback(other, "BUTTONCALLBACK", { NAME: "Cy" });
  assert.equal(updated(answer, "COUNT"), "1 greeting(s) in this session");
});

test("sign-up: the server's checks write into the label, a non-number ends in an alert, a save goes back", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONSIGNUP");
  assert.match(page, /<title>kx guide - sign up<\/title>/);
  // Required: the page checks both edits before "Save" submits, naming them by their friendly names; "Back" skips it.
  assert.match(page, /NAMEKXCL\.value\.length==0/);
  assert.match(page, /AGEKXCL\.value\.length==0/);
  assert.match(page, /window\.alert\("Your name is a required field\."\);/);
  assert.match(page, /window\.alert\("Your age is a required field\."\);/);
  assert.match(page, /SubmitClickConfirm\('BUTTONSAVE','', true, ''\)/);
  assert.match(page, /SubmitClickConfirm\('BUTTONBACK','', false, ''\)/);
  // A request made by hand passes the browser's Required check; the server checks again.
  page = await submit(session, "BUTTONSAVE", { NAME: " ", AGE: "30" });
  assert.match(page, />The name needs two characters or more\.</);
  page = await submit(session, "BUTTONSAVE", { NAME: "Ada", AGE: "300" });
  assert.match(page, />The age lies between 1 and 150\.</);
  // The page comes back with what the user typed still in the edits.
  assert.match(page, /<input [^>]*name="NAME"[^>]*value="Ada"/);
  assert.match(page, /<input [^>]*name="AGE"[^>]*value="300"/);
  // StrToInt's exception: the same form again, with an alert of its message ...
  page = await submit(session, "BUTTONSAVE", { NAME: "Ada", AGE: "abc" });
  assert.match(page, /<title>kx guide - sign up<\/title>/);
  assert.match(page, /window\.alert\("\\x27abc\\x27 is not a valid integer value"\);/);
  // ... one line on the program's standard error ...
  const line = new RegExp(`error session ${session.id} POST /\\$/: EConvertError: 'abc' is not a valid integer value`);
  let stderr = "";
  for (let i = 0; i < 100 && !line.test(stderr); i++) {
    stderr = fs.readFileSync(process.env.KX_GUIDE_STDERR, "utf8");
    if (!line.test(stderr)) await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.match(stderr, line);
  // ... and a report file in ErrorLog/ beside the program, naming the session.
  const folder = path.join(path.dirname(process.env.KX_GUIDE_PROGRAM), "ErrorLog");
  const reports = fs.readdirSync(folder).filter((name) => /@.*\.Log$/.test(name))
    .map((name) => fs.readFileSync(path.join(folder, name), "utf8"));
  assert.ok(reports.some((text) => text.includes(session.id) && text.includes("is not a valid integer value")),
            `no report of session ${session.id} in ${folder}`);
  // A good save stores the visitor in the session and releases the form: the main form shows it.
  page = await submit(session, "BUTTONSAVE", { NAME: " Ada ", AGE: "36" });
  assert.match(page, /<title>kx guide<\/title>/);
  assert.match(page, />Signed up: Ada, 36</);
});

test("message boxes: an alert over the page, a message form whose Ok goes back", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONMESSAGES");
  assert.match(page, /<title>kx guide - message boxes<\/title>/);
  page = await submit(session, "BUTTONALERT");
  assert.match(page, /window\.alert\("A message shown as \\x22Alert\\x22\."\);/);
  page = await submit(session, "BUTTONSAME");
  assert.match(page, /A message shown as &quot;Same window&quot;\./);
  assert.match(page, /butnOk/i);
  page = await submit(session, "butnOk");
  assert.match(page, /<title>kx guide - message boxes<\/title>/);
  page = await submit(session, "BUTTONBACK");
  assert.match(page, /<title>kx guide<\/title>/);
});

test("the template form: its HTML file lays it out, a callback adds a note kept by the session", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONTEMPLATE");
  assert.match(page, /This page is Templates\/GuideTemplateForm\.html/);
  assert.match(page, /<h1>.*Notes of an unnamed visitor.*<\/h1>/s);
  const answer = await callback(session, "BUTTONADD", { NOTE: "<b>first</b>" });
  assert.equal(updated(answer, "NOTES"), "&lt;b&gt;first&lt;/b&gt;<br>");
  page = await submit(session, "BUTTONBACK");
  assert.match(page, /<title>kx guide<\/title>/);
  page = await submit(session, "BUTTONTEMPLATE");
  assert.match(page, /&lt;b&gt;first&lt;\/b&gt;/, "the notes live in the data module, not in the released form");
});
