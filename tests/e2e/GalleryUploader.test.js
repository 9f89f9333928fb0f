// The gallery's file uploader page in chromium: one file picked and one dropped are sent with the session's upload
// requests, saved by the server and listed with their sizes; a file over the size limit is refused in the browser
// and never sent.
"use strict";

const assert = require("node:assert/strict");
const { describe } = require("node:test");
const d = require("./demo");

const TEST_MS = 60000;
const CAPTION = "File uploader";
const FILES = "#LABELFILES";

describe("the gallery's file uploader in chromium", () => {
  const suite = d.demoSuite({ timeout: TEST_MS });
  const flow = suite.flow;
  const openPage = (tp) => d.openGalleryPage(tp, suite.demo.url, CAPTION, "#UPLOADER1_button");

  const uploads = (tp) => tp.requests.filter((r) => r.url.includes("/upload/"));
  const listLine = (tp, n) => tp.page.locator("#UPLOADER1_list li").nth(n);

  flow("a picked and a dropped file arrive and are listed, a too large one is refused", async (tp) => {
    await openPage(tp);
    assert.equal(await d.textOf(tp.page, FILES), "Nothing received yet.");
    assert.equal(await d.textOf(tp.page, "#UPLOADER1_button"), "Upload a file");

    await tp.page.setInputFiles("#UPLOADER1_INPUT", { name: "picked <b>.txt", mimeType: "text/plain",
                                                      buffer: Buffer.from("picked text") });
    await d.waitForText(tp.page, FILES, "Received: picked <b>.txt (11 bytes);");
    assert.ok(await listLine(tp, 0).evaluate((li) => li.className.includes("upload-success")));
    assert.equal(await listLine(tp, 0).locator(".uploader1-upload-file").textContent(), "picked <b>.txt");

    const dropped = await tp.page.evaluateHandle(() => {
      const transfer = new DataTransfer();
      transfer.items.add(new File(["dropped bytes!"], "dropped.png", { type: "image/png" }));
      return transfer;
    });
    await tp.page.dispatchEvent("body", "dragenter", { dataTransfer: dropped });
    assert.ok(await tp.page.locator("#UPLOADER1_drop_area").isVisible(), "the drop area shows while dragging");
    await tp.page.dispatchEvent("#UPLOADER1_drop_area", "drop", { dataTransfer: dropped });
    await d.waitForText(tp.page, FILES, "Received: picked <b>.txt (11 bytes); dropped.png (14 bytes);");
    await tp.screenshot("two files received");

    const sent = uploads(tp).length;
    await tp.page.setInputFiles("#UPLOADER1_INPUT", { name: "big.txt", mimeType: "text/plain",
                                                      buffer: Buffer.alloc(200 * 1024, 65) });
    await tp.page.waitForSelector("#UPLOADER1_list li:nth-child(3).uploader1-upload-fail");
    assert.equal(await listLine(tp, 2).locator(".uploader1-upload-size").textContent(),
                 "big.txt is too large, maximum file size is 100.0 kB.");
    assert.equal(uploads(tp).length, sent, "the refused file was not sent");
    // Each row holds its whole text: none runs over the next one or out of its box.
    const rows = await tp.page.$$eval("#UPLOADER1_list li", (items) => items.map((li) => {
      const box = li.getBoundingClientRect();
      const range = document.createRange();
      range.selectNodeContents(li);
      const text = range.getBoundingClientRect();
      return { top: box.top, bottom: box.bottom, inside: text.top >= box.top - 0.5 && text.bottom <= box.bottom + 0.5 };
    }));
    assert.deepEqual(rows.map((row) => row.inside), [true, true, true]);
    for (let i = 1; i < rows.length; ++i) assert.ok(rows[i].top >= rows[i - 1].bottom - 0.5, `row ${i} below row ${i - 1}`);
    assert.equal(await d.textOf(tp.page, FILES), "Received: picked <b>.txt (11 bytes); dropped.png (14 bytes);");
    await tp.screenshot("too large refused");
  });
});
