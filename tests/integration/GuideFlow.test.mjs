// The guide's program (examples/guide/, docs/GUIDE.md) through sessions, as a browser drives it: a callback handler
// reads the edit the user changed, a submit renders the whole page, the per-session data module counts across both,
// forms are shown and released, validation writes into a label or ends in an alert (and an error line and a report
// file), a message form goes back with "Ok", the template form lays its controls out from its HTML file, the help
// desk filters, edits and deletes its tickets, a session keeps 10 MB of uploads until it ends, and the sessions' data
// forms share one SQLite connection per file.
//   KX_GUIDE_PORT=<port> KX_GUIDE_STDERR=<file> KX_GUIDE_PROGRAM=<guide> KX_GUIDE_PID=<its process id>
//   KX_GUIDE_TMPDIR=<its TMPDIR> node --test GuideFlow.test.mjs
// GuideProgramTest.sh starts the program and runs this file.
import test from "node:test";
import assert from "node:assert/strict";
import http from "node:http";
import fs from "node:fs";
import os from "node:os";
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

// A full submit: a click on button (param: which part of it, as a tree's item or a navigator's button) with the
// form's fields; the answer is the whole page.
async function submit(session, button, fields = {}, param = "") {
  const body = encode({ ...fields, KX_Action: button, KX_ActionParam: param, KX_SessionID_: session.id,
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
  // ... one warning line on the program's standard error (a user's mistake, no stack) ...
  const line = new RegExp(`warning session ${session.id} POST "/\\$/": EConvertError: 'abc' is not a valid integer value\n(?! {4}\\[)`);
  let stderr = "";
  for (let i = 0; i < 100 && !line.test(stderr); i++) {
    stderr = fs.readFileSync(process.env.KX_GUIDE_STDERR, "utf8");
    if (!line.test(stderr)) await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.match(stderr, line);
  // ... and no report file in ErrorLog/ beside the program: what a user or a client caused writes none unless the
  // author asks (SetReportClientCaused), so no client can fill the disk.
  const folder = path.join(path.dirname(process.env.KX_GUIDE_PROGRAM), "ErrorLog");
  const reports = (fs.existsSync(folder) ? fs.readdirSync(folder) : []).filter((name) => /@.*\.Log$/.test(name))
    .map((name) => fs.readFileSync(path.join(folder, name), "utf8"));
  assert.ok(!reports.some((text) => text.includes(session.id) && text.includes("is not a valid integer value")),
            `a report of session ${session.id} in ${folder}`);
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

// A callback of control's event (DoOnAsyncChange, DoOnAsyncUploadSuccess ...) with the fields given.
async function event(session, control, handler, fields = {}) {
  const url = `/$/callback?callback=${control}.${handler}&KX_AjaxID=${ajaxId++}&KX_TrackID_=${session.track}`;
  const reply = await request(session, "POST", url, encode({ ...fields, KX_SessionID_: session.id }));
  assert.equal(reply.status, 200, reply.body);
  return reply.body;
}

// Waits until the program's standard error matches line; returns it.
async function stderrMatching(line) {
  let stderr = "";
  for (let i = 0; i < 100 && !line.test(stderr); i++) {
    stderr = fs.readFileSync(process.env.KX_GUIDE_STDERR, "utf8");
    if (!line.test(stderr)) await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return stderr;
}

test("choices: a submit and a callback read the combo, the list, the check box and the radio buttons", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONCHOICES");
  assert.match(page, /<title>kx guide - choices<\/title>/);
  page = await submit(session, "BUTTONSHOW", { COLOR: "2", DAYS: "0,2", NEWSLETTER_CHECKBOX: "On",
                                               TEA_INPUT: "COFFEE", COFFEE_INPUT: "COFFEE", SIZE_INPUT: "1" });
  assert.match(page, />Colour: Blue; days: Monday, Wednesday; newsletter: yes; drink: coffee; size: Medium</);
  // The combo's change answers in a callback; the other controls keep what the submit posted.
  const answer = await event(session, "COLOR", "DoOnAsyncChange", { COLOR: "0" });
  assert.equal(updated(answer, "CHOSEN"),
               "Colour: Red; days: Monday, Wednesday; newsletter: yes; drink: coffee; size: Medium");
  page = await submit(session, "BUTTONBACK");
  assert.match(page, /<title>kx guide<\/title>/);
});

test("tasks: the grid shows the table, a refused save says why, a bad date is a warning, a save shows", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONTASKS");
  assert.match(page, /<title>kx guide - tasks<\/title>/);
  // The grid's rows; a BOOLEAN column (1 in SQLite) shows as True.
  assert.match(page, />Write the guide<[\s\S]*>True<[\s\S]*>2026-12-01</);
  assert.match(page, /<input [^>]*name="TITLE"[^>]*value="Write the guide"/);
  // A task without a title: the data refuses it, the label says why and the form keeps the edit.
  page = await submit(session, "BUTTONSAVE", { TITLE: "" });
  assert.match(page, />Not saved: [^<]*title[^<]*</);
  // A date that is no date: an alert, and one warning line without a stack on standard error.
  page = await submit(session, "BUTTONSAVE", { TITLE: "Write the guide", DUE: "2026-02-31" });
  assert.match(page, new RegExp(String.raw`window\.alert\("The following exception occured\\r\\n  DUE: ` +
                                String.raw`\\x272026-02-31\\x27 is not a valid date value for field \\x27due\\x27"\);`));
  const line = new RegExp(`^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d warning session ${session.id} POST "/\\$/": ` +
                          "EKXPostedValuesRefused: The following exception occured {4}DUE: " +
                          `'2026-02-31' is not a valid date value for field 'due'\\n(?! {4}\\[)`, "m");
  assert.match(await stderrMatching(line), line);
  // A good save: the grid shows it, the check box cleared is False, the priority the look-up's key.
  page = await submit(session, "BUTTONSAVE", { TITLE: "Write the guide again", DUE: "2026-12-24",
                                               DONE_CHECKBOX: "Off", PRIORITY: "0" });
  assert.match(page, />Saved\.</);
  assert.match(page, />Write the guide again<[\s\S]*>False<[\s\S]*>2026-12-24</);
  assert.match(page, /<option [^>]*selected[^>]*>Low</i);
  page = await submit(session, "BUTTONBACK");
  assert.match(page, /<title>kx guide<\/title>/);
});

// An upload of one file as the uploader's script posts it; the answer is its JSON text.
async function upload(session, fileName, content) {
  const boundary = "----kxguide";
  const part = (name, value, file) =>
    `--${boundary}\r\nContent-Disposition: form-data; name="${name}"` +
    (file ? `; filename="${file}"\r\nContent-Type: text/plain` : "") + `\r\n\r\n${value}\r\n`;
  const body = part("KX_ActionParam", "UPLOADER") + part("KXFileUploader", "true") + part("UPLOADER", "") +
    part("KX_SessionID_", session.id) + part("KX_TrackID_", session.track.toString(36)) +
    part("UPLOADER", content, fileName) + `--${boundary}--\r\n`;
  const reply = await new Promise((resolve, reject) => {
    const req = http.request({ host: "127.0.0.1", port, method: "POST", path: `/$/upload/${session.track}`,
                               headers: { "User-Agent": agent, Cookie: session.cookie,
                                          "Content-Type": `multipart/form-data; boundary=${boundary}` } }, (res) => {
      let text = "";
      res.on("data", (chunk) => (text += chunk));
      res.on("end", () => resolve({ status: res.statusCode, body: text }));
    });
    req.on("error", reject);
    req.end(body);
  });
  assert.equal(reply.status, 200, reply.body);
  return reply.body;
}

// The session's cache folder, where the guide keeps its uploads (<TMPDIR>/<the process's folder>/user/<session>);
// undefined once it is gone.
function sessionFolder(session) {
  const temp = process.env.KX_GUIDE_TMPDIR || os.tmpdir();
  return fs.readdirSync(temp).map((name) => path.join(temp, name, "user", session.id)).find(fs.existsSync);
}

test("upload: the file is kept in the session's folder, the success callback updates the page", async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONUPLOAD");
  assert.match(page, /<title>kx guide - upload<\/title>/);
  assert.match(page, />Up to 1 MB a file \(txt, png, jpg or pdf\) and 10 MB in all, deleted when the session ends\.</);
  assert.match(page, /Nothing uploaded yet\./);
  const reply = await upload(session, "notes.txt", "a note");
  assert.match(reply, /"success":\s*true/);
  assert.doesNotMatch(reply, /Kept:/, "the upload's own answer carries no controls");
  assert.equal(fs.readFileSync(path.join(sessionFolder(session), "notes.txt"), "utf8"), "a note");
  const answer = await event(session, "UPLOADER", "DoOnAsyncUploadSuccess", { FileName: "notes.txt" });
  assert.equal(updated(answer, "RECEIVED"), "Kept: notes.txt (0.0 of 10 MB)");
});

test("upload: a session keeps 10 MB at most; a file past it is refused with the reason, the earlier ones stay", async () => {
  const megabyte = "x".repeat(1024 * 1024);  // the uploader's largest file
  const [session, other] = [await openSession(), await openSession()];
  for (const s of [session, other]) await submit(s, "BUTTONUPLOAD");
  for (let i = 1; i <= 10; i++) assert.match(await upload(session, `part${i}.txt`, megabyte), /"success":\s*true/);
  // An eleventh file, however small, would pass the 10 MB: refused with the reason, nothing of it kept.
  const refused = await upload(session, "one-more.txt", "x");
  assert.match(JSON.parse(refused).error, /one-more\.txt was not kept: the files of a session may take 10 MB in all\./);
  const folder = sessionFolder(session);
  assert.deepEqual(fs.readdirSync(folder).sort(), Array.from({ length: 10 }, (_, i) => `part${i + 1}.txt`).sort());
  assert.ok(fs.readdirSync(folder).every((name) => fs.statSync(path.join(folder, name)).size === megabyte.length));
  // A file of a name kept already takes its place: what is kept stays within the limit.
  assert.match(await upload(session, "part1.txt", "smaller"), /"success":\s*true/);
  assert.equal(fs.readFileSync(path.join(folder, "part1.txt"), "utf8"), "smaller");
  const answer = await event(session, "UPLOADER", "DoOnAsyncUploadSuccess", { FileName: "part1.txt" });
  assert.match(updated(answer, "RECEIVED"), /^Kept: part1\.txt, part10\.txt, part2\.txt, .* \(9\.0 of 10 MB\)$/);
  // The limit is each session's own.
  assert.match(await upload(other, "mine.txt", megabyte), /"success":\s*true/);
});

test("upload: the session's folder goes when the session ends (log out)", async () => {
  const session = await openSession();
  await submit(session, "BUTTONUPLOAD");
  assert.match(await upload(session, "gone.txt", "soon gone"), /"success":\s*true/);
  const folder = sessionFolder(session);
  assert.ok(fs.existsSync(path.join(folder, "gone.txt")));
  await submit(session, "BUTTONBACK");
  assert.match(await submit(session, "BUTTONLOGOUT"), /window\.location\.replace\("\/bye\.html"\)/);
  assert.equal(fs.existsSync(folder), false, `${folder} outlived the session`);
});

// The text of a label in a page.
const label = (page, id) => new RegExp(`id="${id}">([^<]*)<`).exec(page)?.[1];

// The data grid's records in a page or in a callback update (of TBLGRID, its table): the texts of each row's cells,
// the indicator left out.
function gridRows(html) {
  const table = /<table id="TBLGRID"[\s\S]*?<\/table>/.exec(html)[0];
  return [...table.matchAll(/<tr id=[^>]*>([\s\S]*?)<\/tr>/g)]
    .map((row) => [...row[1].matchAll(/<FONT [^>]*>([^<]*)<\/FONT>/g)].map((cell) => cell[1]));
}

test("help desk: the tree filters the tickets, the history tab stops the timer, edits save, the window deletes",
     async () => {
  const session = await openSession();
  let page = await submit(session, "BUTTONDESK");
  assert.match(page, /<title>kx guide - help desk<\/title>/);
  assert.equal(label(page, "STATUS"), "Hardware: 0 ticket(s)");
  // A ticket inserted and posted under Printers (the tree's item i2) gets that category: Laptops (i3) does not show it.
  await submit(session, "TREE", {}, "i2");
  await submit(session, "NAVIGATOR", {}, "Insert");
  page = await submit(session, "NAVIGATOR", { SUBJECT: "Paper jam" }, "Post");
  assert.match(label(page, "OPEN"), /^0 open ticket\(s\) in every category/, "counted when the form was made");
  for (const [item, status, rows] of [["i3", "Laptops: 0 ticket(s)", []],
                                      ["i2", "Printers: 1 ticket(s)", [["Paper jam", "False"]]]]) {
    page = await submit(session, "TREE", {}, item);
    assert.equal(label(page, "STATUS"), status);
    assert.deepEqual(gridRows(page), rows);
  }
  // A change of tab calls back: the history page stops the timer and a tick then answers nothing; back on the
  // tickets it runs again and its tick counts the open tickets anew.
  for (const [tab, timer, open] of [[1, 'KX.setTimer("TIMER", false);', undefined],
                                    [0, 'KX.setTimer("TIMER", true, 5000, true);', "1 open ticket(s)"]]) {
    let answer = await event(session, "TABS", "DoOnAsyncChange", { page: tab });
    assert.match(answer, new RegExp(`<activeindex>${tab}</activeindex>`));
    assert.ok(answer.includes(`<literal><![CDATA[${timer}]]></literal>`), answer);
    answer = await event(session, "TIMER", "DoOnAsyncTimer");
    assert.equal(updated(answer, "OPEN")?.match(/^\d+ open ticket\(s\)/)[0], open);
  }
  // A subject typed while browsing, then Edit: the typed subject is saved, so Cancel leaves it as it is.
  await submit(session, "NAVIGATOR", { SUBJECT: "Paper jam in tray 2" }, "Edit");
  page = await submit(session, "NAVIGATOR", {}, "Cancel");
  assert.deepEqual(gridRows(page), [["Paper jam in tray 2", "False"]]);
  // Delete asks in the modal window first; its Keep keeps the ticket, its Delete removes it.
  page = await submit(session, "NAVIGATOR", {}, "Delete");
  assert.match(page, /new KXModalWindow\(\{"title": "Delete", [^)]*"contentElement": "QUESTION"/);
  assert.deepEqual(gridRows(page), [["Paper jam in tray 2", "False"]]);
  let answer = await event(session, "CONFIRM", "DoOnAsyncClick", { ButtonIndex: 1 });
  assert.equal(updated(answer, "TBLGRID"), undefined);
  await submit(session, "NAVIGATOR", {}, "Delete");
  answer = await event(session, "CONFIRM", "DoOnAsyncClick", { ButtonIndex: 0 });
  assert.deepEqual(gridRows(updated(answer, "TBLGRID")), []);
  assert.equal(updated(answer, "STATUS"), "Printers: 0 ticket(s)");
  assert.match(updated(answer, "HISTORY"),
               /<b>Deleted<\/b><\/FONT><\/td><td [^>]*><FONT [^>]*>Paper jam in tray 2<\/FONT><\/td><\/tr><\/table>/);
});

test("data: two sessions save into the tasks at once, each on its own record, and each then sees the other's", async () => {
  const sessions = [await openSession(), await openSession()];
  const titles = ["Task of the first", "Task of the second"];
  await Promise.all(sessions.map((session) => submit(session, "BUTTONTASKS")));
  const pages = await Promise.all(sessions.map(async (session, i) => {
    await submit(session, "NAVIGATOR", {}, "Insert");
    return submit(session, "BUTTONSAVE", { TITLE: titles[i] });
  }));
  for (const [i, session] of sessions.entries()) {
    assert.match(pages[i], />Saved\.</);
    assert.match(pages[i], new RegExp(`<input [^>]*name="TITLE"[^>]*value="${titles[i]}"`), "its own record");
    const grid = gridRows(await submit(session, "NAVIGATOR", {}, "Refresh")).map((row) => row[0]);
    assert.ok(titles.every((title) => grid.includes(title)), grid.join(" | "));
  }
});

// Each data form had a SQLite connection of its own: two descriptors (the file and its log) for as long as it lived.
test("data: twenty more sessions on the help desk or the tasks hold no more descriptors than one of each", async () => {
  const descriptors = () => fs.readdirSync(`/proc/${process.env.KX_GUIDE_PID}/fd`).length;
  const open = async (button, title) => {
    const session = await openSession();
    assert.match(await submit(session, button), new RegExp(`<title>kx guide - ${title}</title>`));
  };
  await open("BUTTONDESK", "help desk");
  await open("BUTTONTASKS", "tasks");
  const ofOne = descriptors();
  for (let i = 0; i < 10; i++) {
    await open("BUTTONDESK", "help desk");
    await open("BUTTONTASKS", "tasks");
  }
  assert.ok(descriptors() <= ofOne + 3, `${descriptors()} descriptors after 20 sessions, ${ofOne} before`);
});
