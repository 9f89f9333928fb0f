// The gallery page "Editor and media" in chromium: type into the HTML editor, make a word bold, add a list and a
// colour, submit, and see the HTML come back as text and re-rendered in the editor; the audio control loads the
// demo's chime; the script widget's plug-in runs; the plug-in objects and the applet render without a script error
// under frames that say what they are; the library's editor form opens, changes and saves the visitor's own copy of
// a page of the demo's site, which neither the site nor another visitor sees, and keeps its regions clear of the
// editing area at three window sizes; the Silverlight video stops with its error page, after which the session
// goes on.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const { describe } = require("node:test");
const d = require("./demo");
const h = require("./harness");

const TEST_MS = 60000;
const CAPTION = "Editor and media";
// The page of the site the editor form edits: the copy of the content folder beside the demo program.
const ABOUT_PAGE = path.join(path.dirname(process.env.KX_DEMO || "."), "wwwroot", "about.html");

describe("the gallery page of the editor and media", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;

  // This page, once its editor's frame is ready for typing.
  async function openPage(tp) {
    await d.openGalleryPage(tp, suite.demo.url, CAPTION, "#WEBEDIT1editorDiv");
    await tp.page.waitForFunction(() => {
      const frame = document.getElementById("WEBEDIT1editorDiv");
      return frame && frame.contentDocument && frame.contentDocument.designMode === "on";
    });
  }

  // Selects the first occurrence of word in the editor's frame.
  async function selectWord(tp, word) {
    await tp.page.evaluate((text) => {
      const doc = document.getElementById("WEBEDIT1editorDiv").contentDocument;
      const walker = doc.createTreeWalker(doc.body, NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        const at = node.data.indexOf(text);
        if (at < 0) continue;
        const range = doc.createRange();
        range.setStart(node, at);
        range.setEnd(node, at + text.length);
        const selection = doc.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
        return;
      }
      throw new Error(`no "${text}" in the editor`);
    }, word);
  }

  flow("a word made bold, a list and a colour come back after a submit and show again in the editor", async (tp) => {
    await openPage(tp);
    const body = tp.page.frameLocator("#WEBEDIT1editorDiv").locator("body");
    await body.click();
    await tp.page.keyboard.press("Control+End");
    await tp.page.keyboard.type(" Kestrel hovers.");
    await selectWord(tp, "Kestrel");
    await tp.page.click("#WEBEDIT1i1");  // bold
    await selectWord(tp, "hovers");
    await tp.page.selectOption("#WEBEDIT1fontColorList", "red");
    await tp.page.keyboard.press("Control+End");
    await body.press("End");
    await body.press("Enter");
    await tp.page.keyboard.type("first item");
    await tp.page.click("#WEBEDIT1i8");  // bulleted list
    await tp.page.click("#WEBEDIT1i17");  // horizontal rule
    const posted = await tp.page.evaluate(() => document.getElementById("WEBEDIT1_INPUT").value);
    assert.match(posted, /<b[^>]*>Kestrel<\/b>/, "the hidden field follows the frame");
    assert.match(posted, /<hr>/, "a plain rule");

    await d.clickAndLoadPage(tp, "#BUTTONSUBMIT");
    await tp.page.waitForSelector("#ECHO");
    const echo = await d.textOf(tp.page, "#ECHO");
    assert.match(echo, /<b[^>]*>Kestrel<\/b>/, "the echo shows the HTML as text");
    assert.match(echo, /<li>first item<\/li>/);
    assert.match(echo, /color/);
    assert.equal(await tp.page.locator("#ECHO b").count(), 0, "the echo is text, not markup");

    await tp.page.waitForFunction(() => {
      const doc = document.getElementById("WEBEDIT1editorDiv").contentDocument;
      return doc && doc.body && doc.body.querySelector("b") !== null;
    });
    const frame = tp.page.frameLocator("#WEBEDIT1editorDiv");
    assert.equal(await frame.locator("b").first().textContent(), "Kestrel", "the editor shows the bold word again");
    assert.equal(await frame.locator("li").first().textContent(), "first item");
    await tp.screenshot("after submit");
  });

  flow("the audio control loads the demo's chime and can play it", async (tp) => {
    const media = [];
    tp.page.on("response", (response) => {
      if (/chime\.wav/.test(response.url())) media.push(response.status());
    });
    await openPage(tp);
    const ready = await tp.page.waitForFunction(() => {
      const audio = document.getElementById("AUDIO1");
      return audio && audio.readyState >= 1 && audio.duration > 0 ? audio.duration : false;
    });
    const duration = await ready.jsonValue();
    assert.ok(duration > 0.5 && duration < 0.7, `the chime lasts 0.6 s (${duration})`);
    const audio = await tp.page.evaluate(() => {
      const element = document.getElementById("AUDIO1");
      return { controls: element.controls, type: element.querySelector("source").type,
               playable: element.canPlayType("audio/wav") !== "", error: element.error };
    });
    assert.deepEqual(audio, { controls: true, type: "audio/wav", playable: true, error: null });
    assert.ok(media.length >= 1 && media.every((status) => status === 200), `the chime's answers: ${media}`);
  });

  flow("the widget's plug-in runs and the plug-in objects render without an error", async (tp) => {
    await openPage(tp);
    await tp.page.waitForSelector('#WIDGETLABEL[data-kx-highlight="on"]');
    assert.match(await d.textOf(tp.page, "#LIGHT1"), /no longer run/, "the Silverlight notice");
    assert.equal(await tp.page.locator("#OBJECT1_ToBeReWritten").count(), 0, "the ActiveX object was written out");
    assert.equal(await tp.page.locator("#OBJECT1_div > object#OBJECT1").count(), 1);
    assert.equal(await tp.page.locator("#FLASH1 > embed#FLASH1_EMBED").count(), 1);
    assert.equal(await tp.page.locator("#MOVIE1 > embed#MOVIE1_EMBED").count(), 1);
    assert.equal(await tp.page.locator("object#VIDEO1").count(), 1);
    assert.equal(await tp.page.locator('applet#APPLET1[code="Clock.class"] > param[name="timezone"][value="UTC"]')
                   .count(), 1, "the applet with its parameter");

    // Each object lies hidden under a frame saying what it is, in place of the browser's own notice.
    const frames = await tp.page.evaluate(() => ["OBJECT1", "FLASH1", "MOVIE1", "VIDEO1", "APPLET1"].map((id) => {
      const note = document.getElementById(`${id}NOTE`).getBoundingClientRect();
      const box = (document.getElementById(`${id}_div`) || document.getElementById(id)).getBoundingClientRect();
      const object = document.getElementById(`${id}_EMBED`) || document.getElementById(id);
      return { id, hidden: getComputedStyle(object).visibility === "hidden",
               covered: note.left <= box.left && note.top <= box.top && note.right >= box.right &&
                        note.bottom >= box.bottom };
    }));
    for (const frame of frames) assert.deepEqual(frame, { id: frame.id, hidden: true, covered: true });
    assert.match(await d.textOf(tp.page, "#FLASH1NOTE"), /^Flash movie: no current browser plays Flash\.$/);
    assert.match(await d.textOf(tp.page, "#APPLET1NOTE"), /^Java applet: no current browser runs applets\.$/);
    await tp.screenshot("plug-ins");
    await tp.page.click("#BUTTONBACK");
    await tp.page.waitForSelector(d.MAIN.edit);
  });

  // The editor form on this page's About page, loaded; returns its frame.
  async function openEditorForm(tp) {
    await d.clickAndLoadPage(tp, "#BUTTONEDITPAGE");
    await tp.page.waitForSelector("#WEBEDITOReditorDiv");
    await tp.page.waitForFunction(() => {
      const doc = document.getElementById("WEBEDITOReditorDiv").contentDocument;
      return doc && doc.designMode === "on" && doc.querySelector("h1") !== null;
    });
    return tp.page.frameLocator("#WEBEDITOReditorDiv");
  }

  flow("the editor form opens the visitor's copy of a page of the site, saves a change into it and closes",
       async (tp) => {
    const original = fs.readFileSync(ABOUT_PAGE, "utf8");
    try {
      await openPage(tp);
      let frame = await openEditorForm(tp);
      assert.equal(await tp.page.inputValue("#DOCTITLEEDIT"), "About KXDemo", "the file's title");
      assert.equal(await frame.locator("h1").textContent(), "About KXDemo");
      await frame.locator("h1").click();
      await tp.page.keyboard.press("End");
      await tp.page.keyboard.type(" (edited)");
      await tp.page.fill("#DOCTITLEEDIT", "About the demo");
      await tp.screenshot("editor form");
      await d.clickAndLoadPage(tp, "#SAVEBUTTON");
      await d.clickAndLoadPage(tp, "#CANCELBUTTON");
      await tp.page.waitForSelector("#BUTTONEDITPAGE");
      assert.equal(await tp.page.title(), `KXDemo - ${CAPTION}`, "back on the gallery page");

      // The visitor finds the change again; the site's file and every other visitor do not.
      frame = await openEditorForm(tp);
      assert.equal(await frame.locator("h1").textContent(), "About KXDemo (edited)", "the change is in the copy");
      assert.equal(await tp.page.inputValue("#DOCTITLEEDIT"), "About the demo", "the new title is in the copy");
      assert.match(await frame.locator("li").first().textContent(), /^Forms hold server-side controls\.$/);
      assert.equal(fs.readFileSync(ABOUT_PAGE, "utf8"), original, "the site's page is as shipped");
      await h.withPage(suite.browser, "another visitor", async (other) => {
        const shared = await other.page.request.get(`${suite.demo.url}about.html`);
        assert.doesNotMatch(await shared.text(), /edited/, "the served page is as shipped");
        await openPage(other);
        const theirs = await openEditorForm(other);
        assert.equal(await theirs.locator("h1").textContent(), "About KXDemo", "their copy is as shipped");
      });
    } finally {
      fs.writeFileSync(ABOUT_PAGE, original);
    }
  });

  // Issue 4: the title region lay over the editing area, which ran 6 px past the window's right edge.
  for (const [width, height] of [[1280, 720], [1024, 768], [800, 600]]) {
    flow(`at ${width}x${height} the editor form's regions stay clear of the editing area, inside the window`,
         async (tp) => {
      await tp.page.setViewportSize({ width, height });
      await openPage(tp);
      await openEditorForm(tp);
      const boxes = await tp.page.evaluate(() => Object.fromEntries(
        ["IRBUTTONS", "IRDOCTITLE", "WEBEDITOReditorDiv"].map((id) => {
          const box = document.getElementById(id).getBoundingClientRect();
          return [id, { left: box.left, top: box.top, right: box.right, bottom: box.bottom }];
        })));
      const editing = boxes.WEBEDITOReditorDiv;
      for (const id of ["IRBUTTONS", "IRDOCTITLE"]) {
        const region = boxes[id];
        const apart = region.bottom <= editing.top || region.top >= editing.bottom ||
                      region.right <= editing.left || region.left >= editing.right;
        assert.ok(apart, `${id} ${JSON.stringify(region)} covers the editing area ${JSON.stringify(editing)}`);
      }
      assert.ok(editing.left >= 0 && editing.right <= width,
                `the editing area's edges ${editing.left}, ${editing.right}`);
      assert.ok(editing.bottom <= height, `the editing area's bottom ${editing.bottom}`);
    });
  }

  flow("the Silverlight video stops with the control's error, and the application restarts", async (tp) => {
    await openPage(tp);
    // The framework answers every exception page with 500.
    tp.allowStatus(500, /\/\$\/$/);
    await d.clickAndLoadPage(tp, "#BUTTONVIDEO");
    assert.equal(await tp.page.textContent("main .message"), "Silverlight error");
    await tp.screenshot("silverlight video error");
    await d.clickAndLoadPage(tp, "main .restart a");
    await tp.page.waitForSelector(d.MAIN.edit);
  });

  // Issue 57: every later page of the session (a reload, Back, the start address) was the same error page.
  flow("after the Silverlight video's error page the start address shows this page in the same session", async (tp) => {
    await openPage(tp);
    const { appID } = await d.sessionState(tp.page);
    const errorsBefore = suite.demo.stderr().split("Silverlight error").length;
    tp.allowStatus(500, /\/\$\/$/);
    await d.clickAndLoadPage(tp, "#BUTTONVIDEO");
    assert.equal(await tp.page.textContent("main .message"), "Silverlight error");
    await tp.page.goto(suite.demo.url);
    await tp.page.waitForSelector("#BUTTONVIDEO");
    assert.equal(await tp.page.title(), `KXDemo - ${CAPTION}`);
    assert.equal((await d.sessionState(tp.page)).appID, appID, "the same session");
    assert.equal(suite.demo.stderr().split("Silverlight error").length, errorsBefore + 1, "one error written");
  });
});
