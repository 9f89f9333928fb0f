/*
 * KXExplorer.js: what Internet Explorer needs beside the framework's scripts.
 *
 * Its quirks mode ignores the body's "margin: 0" style and takes the margins from the body's own attributes;
 * its console exists only while the developer tools are open.
 */
KX.Utils.fixIEMargins = function () {
  var body = document.body;
  if (!body) {
    return;
  }
  body.style.margin = "0";
  body.topMargin = 0;
  body.leftMargin = 0;
  body.rightMargin = 0;
  body.bottomMargin = 0;
};

if (typeof window.console === "undefined") {
  window.console = { log: function () {} };
}
