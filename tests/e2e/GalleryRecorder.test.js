// The gallery's test-recorder page in chromium: recording switched on, a text with quotes and markup typed and a
// button pressed, and the test source the recording becomes shown in the page's memo.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const d = require("./demo");

const TEST_MS = 60000;
const PAGE = {
  record: "#BUTTONRECORD", stop: "#BUTTONSTOP", state: "#LABELSTATE", name: "#EDITNAME", greet: "#BUTTONGREET",
  greeting: "#LABELGREETING", source: "#MEMOSOURCE", back: "#BUTTONBACK",
};
// Quotes, a backslash and markup: the source must hold them as one C++ string literal.
const TYPED = "say \"hi\" \\ <b>&amp;</b>";
const TYPED_LITERAL = "\"say \\\"hi\\\" \\\\ <b>&amp;</b>\"";

describe("the test recorder's gallery page in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });

  suite.flow("typing and a click become the source of a test", async (tp) => {
    await d.openGalleryPage(tp, suite.demo.url, "Test recorder", PAGE.record);
    assert.equal(await d.textOf(tp.page, PAGE.state), "Not recording");

    await d.clickAndLoadPage(tp, PAGE.record);
    assert.equal(await d.textOf(tp.page, PAGE.state), "Recording");
    await tp.page.fill(PAGE.name, TYPED);
    await d.clickAndLoadPage(tp, PAGE.greet);
    assert.equal(await d.textOf(tp.page, PAGE.greeting), `Hello ${TYPED}`);
    await d.clickAndLoadPage(tp, PAGE.stop);
    assert.equal(await d.textOf(tp.page, PAGE.state), "Stopped");

    const source = (await tp.page.inputValue(PAGE.source)).replace(/\r\n/g, "\n");
    assert.match(source, /^TEST_F\(TGalleryRecording, Test\) \{$/m);
    assert.ok(source.includes("kx::InputInterface(kx::ActiveForm(*session, \"TGalleryRecorderForm\"), " +
                              `"EDITNAME").SetValue(${TYPED_LITERAL});`), source);
    const greet = source.indexOf("kx::TestFramework().SubmitForm(kx::ActiveForm(*session, " +
                                 "\"TGalleryRecorderForm\"), \"BUTTONGREET\");");
    assert.ok(greet > source.indexOf(TYPED_LITERAL), "the value is set before the button is pressed");
    assert.ok(!source.includes("BUTTONRECORD"), "the click that started the recording is not part of it");
    assert.ok(!source.includes("MEMOSOURCE"), "the read-only memo is not recorded");
    await tp.screenshot("recorded source");

    await d.clickAndLoadPage(tp, PAGE.back);
    await tp.page.waitForSelector(d.MAIN.edit);
  });
});
