// examples/hello in a browser: a name typed into the edit, the button pressed, the greeting shown, with no script
// error on the way. The program comes from KX_HELLO: ctest gives this build's hello, scripts/check-install.sh each
// hello it built (against an installed kx, and with kx built without node); without it the suite is skipped.
"use strict";

const { before, describe } = require("node:test");
const h = require("./harness");
const d = require("./demo");

const HELLO = process.env.KX_HELLO;
const TEST_MS = 60000;
// Hello's form: its edit, button and label have no names of their own, so their ids come from their class.
const FORM = { name: "#TKXEDIT1", greet: "#TKXBUTTON1", greeting: "#TKXLABEL1" };

describe("hello in chromium", { skip: !HELLO && "KX_HELLO names no hello program" }, () => {
  const suite = d.demoSuite({ timeout: TEST_MS, startDemo: false });
  before(async () => {
    suite.demo = await h.startDemo([], HELLO);
  });

  suite.flow("a typed name and a click on the button show the greeting", async (tp) => {
    await tp.page.goto(suite.demo.url);
    await tp.page.waitForSelector(FORM.name);
    await tp.page.waitForLoadState("load");
    await tp.page.fill(FORM.name, "Ada");
    await d.clickAndLoadPage(tp, FORM.greet);
    await d.waitForText(tp.page, FORM.greeting, "Hello, Ada");
  });
});
