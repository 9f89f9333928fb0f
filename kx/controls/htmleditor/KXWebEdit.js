/*
 * The rich-text editor's browser half. Each editor on the page (HTML name N) has an iframe "NeditorDiv" in design
 * mode, a hidden text area "NeditorTextArea" with its source, and the hidden input "N_INPUT" named N that posts
 * its HTML. The page's template defines the N-prefixed functions, which call KXWebEdit with the name.
 *
 * The document shown in the frame comes from the server, where another user may have written it: it is sanitised
 * here with DOMPurify (an allow-list of HTML elements and attributes; no script, no event handler, no
 * javascript: address) before it becomes the frame's content, and shown as plain text when DOMPurify is missing.
 * Editing commands the browser refuses (paste from script, say) do nothing.
 */
var KXWebEdit = {
  editors: {}
};

KXWebEdit.frame = function (name) {
  return document.getElementById(name + "editorDiv");
};

KXWebEdit.document = function (name) {
  var frame = KXWebEdit.frame(name);
  try {
    return frame ? frame.contentDocument || (frame.contentWindow && frame.contentWindow.document) : null;
  } catch (e) {
    return null;
  }
};

/* The input that posts the editor's HTML. */
KXWebEdit.field = function (name) {
  return document.getElementById(name + "_INPUT");
};

/* html made safe to show: the allow-list of DOMPurify's HTML profile; null when DOMPurify is missing. */
KXWebEdit.sanitize = function (html) {
  var purifier = window.DOMPurify;
  if (!purifier || typeof purifier.sanitize !== "function" || purifier.isSupported === false) {
    return null;
  }
  return purifier.sanitize(String(html), { USE_PROFILES: { html: true } });
};

/* The frame's HTML as it is posted: line breaks removed, an empty paragraph counting as empty. */
KXWebEdit.getHtml = function (name) {
  var doc = KXWebEdit.document(name), html;
  if (!doc || !doc.body) {
    return "";
  }
  html = doc.body.innerHTML.replace(/[\r\n]+/g, "");
  if (/^\s*(<p>(&nbsp;|\s)*<\/p>|<br\s*\/?>)?\s*$/i.test(html)) {
    return "";
  }
  return html;
};

/* Shows html in the frame, sanitised. */
KXWebEdit.setHtml = function (name, html) {
  var doc = KXWebEdit.document(name), safe;
  if (!doc || !doc.body) {
    return;
  }
  safe = KXWebEdit.sanitize(html === null || html === undefined ? "" : html);
  if (safe === null) {
    doc.body.textContent = String(html);
  } else {
    doc.body.innerHTML = safe;
  }
  KXWebEdit.sync(name);
};

/* Copies the frame's HTML into the posted field and the source text area. */
KXWebEdit.sync = function (name) {
  var field = KXWebEdit.field(name), source = document.getElementById(name + "editorTextArea"), html;
  if (!KXWebEdit.editors[name]) {
    return;
  }
  html = KXWebEdit.getHtml(name);
  if (field) {
    field.value = html;
  }
  if (source && !KXWebEdit.editors[name].showingSource) {
    source.value = html;
  }
};

KXWebEdit.syncAll = function () {
  var name;
  for (name in KXWebEdit.editors) {
    if (KXWebEdit.editors.hasOwnProperty(name)) {
      KXWebEdit.sync(name);
    }
  }
};

/* The style of the frame's body from the editor's settings. */
KXWebEdit.setFont = function (name) {
  var doc = KXWebEdit.document(name), options = (KXWebEdit.editors[name] || {}).options || {};
  if (!doc || !doc.body) {
    return;
  }
  doc.body.style.fontFamily = options.fontName || "";
  doc.body.style.fontSize = options.fontSize ? options.fontSize + "pt" : "";
  doc.body.style.color = options.fontColor || "";
  doc.body.style.backgroundColor = options.background || "";
  doc.body.style.margin = "4px";
};

/*
 * Starts editor name: the initial document is what the page's start-up code wrote into FindElem(name) (the
 * input named name); the frame shows it and, in design mode, takes the user's edits, each copied into the posted
 * field at once.
 */
KXWebEdit.initialize = function (name, options) {
  var doc = KXWebEdit.document(name), initial = typeof FindElem === "function" ? FindElem(name) : null, html;
  html = initial ? initial.value : "";
  KXWebEdit.editors[name] = { options: options || {}, showingSource: false, range: null };
  if (!doc) {
    return;
  }
  if (!doc.body) {
    doc.open();
    doc.write("<!DOCTYPE html><html><head></head><body></body></html>");
    doc.close();
  }
  KXWebEdit.setFont(name);
  KXWebEdit.setHtml(name, html);
  if (String(options && options.designMode).toLowerCase() === "on") {
    try {
      doc.designMode = "on";
    } catch (e) {
      doc.body.contentEditable = "true";
    }
  }
  KXWebEdit.listen(name, doc);
};

KXWebEdit.listen = function (name, doc) {
  var update = function () {
    KXWebEdit.sync(name);
  };
  var events = ["input", "keyup", "mouseup", "blur"], i;
  for (i = 0; i < events.length; i++) {
    doc.addEventListener(events[i], update, false);
  }
};

/* Runs an editing command on the frame's document; one the browser refuses or lacks does nothing. */
KXWebEdit.command = function (name, command, data) {
  var doc = KXWebEdit.document(name), frame = KXWebEdit.frame(name);
  if (!doc || typeof doc.execCommand !== "function") {
    return false;
  }
  if (command === "formatBlock" && data === "<body>") {
    data = "<p>";
  }
  try {
    if (frame && frame.contentWindow) {
      frame.contentWindow.focus();
    }
    if (command === "hiliteColor" || command === "foreColor") {
      doc.execCommand("styleWithCSS", false, true);
    }
    // A command without data gets the empty value: a browser takes null as the text "null" (a rule with id "null").
    doc.execCommand(command, false, data === undefined || data === null ? "" : data);
  } catch (e) {
    return false;
  }
  KXWebEdit.sync(name);
  return true;
};

/* An address the user typed for a link or an image: refused when it would run script. */
KXWebEdit.isSafeAddress = function (address) {
  var scheme = /^\s*([a-z][a-z0-9+.\-]*):/i.exec(address);
  return !scheme || /^(https?|mailto|ftp)$/i.test(scheme[1]);
};

/* A tool bar button: the commands that need an address ask for it first. */
KXWebEdit.toolBarCommand = function (name, command) {
  var question = { createlink: "Link address:", insertimage: "Image address:" }[String(command).toLowerCase()];
  var address;
  if (!question) {
    return KXWebEdit.command(name, command, null);
  }
  address = window.prompt(question, "http://");
  if (!address || !KXWebEdit.isSafeAddress(address)) {
    return false;
  }
  return KXWebEdit.command(name, command, address);
};

/* Shows the source text area in place of the frame, or takes its text back into the frame. */
KXWebEdit.showSource = function (name, show) {
  var source = document.getElementById(name + "editorTextArea"), frame = KXWebEdit.frame(name);
  var editor = KXWebEdit.editors[name];
  if (!source || !frame || !editor) {
    return;
  }
  if (show) {
    KXWebEdit.sync(name);
    editor.showingSource = true;
    source.style.display = "";
    frame.style.display = "none";
  } else {
    KXWebEdit.fromSource(name);
    source.style.display = "none";
    frame.style.display = "";
  }
};

KXWebEdit.fromSource = function (name) {
  var source = document.getElementById(name + "editorTextArea"), editor = KXWebEdit.editors[name];
  if (!source || !editor) {
    return;
  }
  editor.showingSource = false;
  KXWebEdit.setHtml(name, source.value);
};

KXWebEdit.clear = function (name) {
  KXWebEdit.setHtml(name, "");
};

KXWebEdit.ready = function (name) {
  KXWebEdit.sync(name);
};

/* Remembers the frame's selection, so that a command after a click elsewhere applies to it. */
KXWebEdit.storeCaret = function (name) {
  var doc = KXWebEdit.document(name), editor = KXWebEdit.editors[name], selection;
  if (!doc || !editor || typeof doc.getSelection !== "function") {
    return;
  }
  selection = doc.getSelection();
  editor.range = selection && selection.rangeCount > 0 ? selection.getRangeAt(0).cloneRange() : null;
};

/* The caret's offset in the text of the frame (0 without a selection). */
KXWebEdit.caretOffset = function (name) {
  var doc = KXWebEdit.document(name), selection, range;
  if (!doc || !doc.body || typeof doc.getSelection !== "function") {
    return 0;
  }
  selection = doc.getSelection();
  if (!selection || selection.rangeCount === 0) {
    return 0;
  }
  range = selection.getRangeAt(0).cloneRange();
  range.selectNodeContents(doc.body);
  range.setEnd(selection.getRangeAt(0).endContainer, selection.getRangeAt(0).endOffset);
  return range.toString().length;
};

/* Every submit and every callback carries the editors' current HTML: their fields are synced first. */
(function () {
  if (typeof KX === "undefined") {
    return;
  }
  var wrap = function (owner, method) {
    var original = owner && owner[method];
    if (typeof original !== "function") {
      return;
    }
    owner[method] = function () {
      KXWebEdit.syncAll();
      return original.apply(this, arguments);
    };
  };
  wrap(KX.Form, "collectValues");
  wrap(KX.Ajax, "buildRequest");
}());
