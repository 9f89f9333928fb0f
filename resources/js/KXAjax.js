/*
 * KXAjax.js: asynchronous callbacks, the application of the server's callback document, and the session's
 * keep-alive.
 *
 * A callback is a POST to GURLBase + "callback". Its query holds "callback" (the callback's name), "KX_AjaxID"
 * (time stamp and request number) and "KX_TrackID_" (base 36); its body holds the sender's input fields when
 * the sender posts its value on asynchronous events, the value of every other control the user changed since the
 * page was made or a callback last posted it (so a handler reads what the page shows), the parameters its caller
 * gives, "KX_SessionID_" and, when the page has them, "KX_FormID_" and "KX_FormName" (the form the page shows: a
 * page left behind by another tab of the session is sent to the session's form). Callbacks go one at a time, in
 * order, so that each carries the track id the answer to the previous one set.
 *
 * The answer is the XML document
 *   <response><update/><execute/><rewrite/><submit/><trackid/></response>
 * applied in this order: the controls of "update", the post form's new action ("submit"), the new track id
 * (decimal), then either the page of "rewrite" replaces the document, or the scripts of "execute" run in
 * order; then the controls are laid out for the window's size. Texts of control properties are set as text;
 * only "innerhtml" is markup, by the document's contract.
 */

KX.Ajax = {
  queue: [],
  busy: false,
  stopped: false,   // the page was replaced: nothing more is sent
  counter: 0,
  /* The suffixes of the names of a control's input fields besides its HTML name. */
  FIELD_SUFFIXES: ["_CHECKBOX", "_INPUT", "_input", "_VALUE", "_data"]
};

/*
 * Asks the server to run the callback `name`. sender: the control's client object (or null); its input fields
 * are posted when its submitOnAsync is set. lock: the page is locked until the answer is applied. params: an
 * object of further fields. Every callback is queued and sent in order, so no click, key or change is lost while
 * an answer is awaited; only a continuous event (a mouse move, resize or scroll) that follows the same one of the
 * same sender at the end of the queue replaces it, so that a stream of them sends only the last.
 */
KX.Ajax.callback = function (name, sender, lock, params) {
  var entry = { name: String(name), sender: sender || null, lock: !!lock, params: params || {} }, last;
  if (KX.Ajax.stopped) {
    return;
  }
  if (KX.Page && KX.Page.unloaded) {
    KX.Ajax.beacon(entry);
    return;
  }
  if (GSubmitting) {
    KX.debug("callback " + entry.name + " dropped: a submit is under way");
    return;
  }
  last = KX.Ajax.queue.length > 0 ? KX.Ajax.queue[KX.Ajax.queue.length - 1] : null;
  if (last && last.name === entry.name && last.sender === entry.sender && KX.Ajax.isContinuous(entry.name)) {
    entry.lock = entry.lock || last.lock;
    KX.Ajax.queue[KX.Ajax.queue.length - 1] = entry;
    return;
  }
  KX.Ajax.queue.push(entry);
  KX.Ajax.next();
};

/* Whether the callback answers a continuous event, by its name's event: NAME.DoOnAsyncMouseMove and any
   callback whose event ends in "Resize" or "Scroll". */
KX.Ajax.isContinuous = function (name) {
  return /\.DoOnAsync(MouseMove|\w*Resize|\w*Scroll)$/.test(name);
};

/* Calls a callback once more (a server notifier's request). */
function ajaxNotify(name) {
  KX.Ajax.callback(name, null, false, {});
}

KX.Ajax.encode = function (pairs) {
  var parts = [], i;
  for (i = 0; i < pairs.length; i++) {
    parts.push(encodeURIComponent(pairs[i][0]) + "=" + encodeURIComponent(pairs[i][1]));
  }
  return parts.join("&");
};

/* The sender's input fields: its HTML name and the names with the fixed suffixes, as its elements post them. */
KX.Ajax.senderFields = function (sender) {
  var fields = [], names = [sender.kxName], form = KX.Form.get(), i, state;
  for (i = 0; i < KX.Ajax.FIELD_SUFFIXES.length; i++) {
    names.push(sender.kxName + KX.Ajax.FIELD_SUFFIXES[i]);
  }
  for (i = 0; i < names.length; i++) {
    state = KX.Form.elementValues(names[i], form);
    if (state.found && !state.disabled) {
      fields.push([names[i], state.values.join(",")]);
    }
  }
  return fields;
};

/* The URL and body of a callback. */
KX.Ajax.buildRequest = function (entry) {
  var fields = [], posted = {}, changed, key, i, formId = KX.Form.field("KX_FormID_", false),
      formName = KX.Form.field("KX_FormName", false);
  KX.Ajax.counter += 1;
  if (entry.sender && entry.sender.submitOnAsync) {
    fields = KX.Ajax.senderFields(entry.sender);
  }
  for (i = 0; i < fields.length; i++) {
    posted[fields[i][0]] = true;
    KX.Form.lastPosted[fields[i][0]] = fields[i][1];
  }
  changed = KX.Form.changedValues();
  for (i = 0; i < changed.length; i++) {
    if (!posted[changed[i][0]]) {
      fields.push(changed[i]);
    }
  }
  for (key in entry.params) {
    if (entry.params.hasOwnProperty(key)) {
      fields.push([key, String(entry.params[key])]);
    }
  }
  fields.push(["KX_SessionID_", GAppID]);
  if (formId && formId.value) {
    fields.push(["KX_FormID_", formId.value]);
  }
  if (formName && formName.value) {
    fields.push(["KX_FormName", formName.value]);
  }
  return {
    url: GURLBase + "callback?" + KX.Ajax.encode([
      ["callback", entry.name],
      ["KX_AjaxID", new Date().getTime() + "_" + KX.Ajax.counter],
      ["KX_TrackID_", KX.trackIdText(GTrackID)]
    ]),
    body: KX.Ajax.encode(fields)
  };
};

/* Sends the next callback when none is under way. */
KX.Ajax.next = function () {
  var entry, request, xhr;
  if (KX.Ajax.busy || KX.Ajax.stopped || KX.Ajax.queue.length === 0) {
    return;
  }
  entry = KX.Ajax.queue.shift();
  KX.Ajax.busy = true;
  if (entry.lock) {
    ValidClick = false;
    ActivateLock();
  }
  if (PreAsyncScript && typeof PreAsyncProgressScript === "function") {
    PreAsyncProgressScript();
  }
  KX.Ajax.send(entry, KX.Ajax.buildRequest(entry), 0);
};

/* Sends a callback's request as attempt number attempt (0 first); a "try again" answer of the server (503 with
   Retry-After, KX.Retry) sends the same request again after the wait, KX.Retry.LIMIT times at most. The last 503
   hands on the cause the server names in "X-KX-Retry-Cause", a word of KX.Retry.CAUSES. */
KX.Ajax.send = function (entry, request, attempt) {
  var xhr = KX.Browser.newRequest();
  xhr.open("POST", request.url, true);
  xhr.setRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=UTF-8");
  xhr.onreadystatechange = function () {
    var delay;
    if (xhr.readyState === 4) {
      xhr.onreadystatechange = null;
      delay = xhr.status === 503 ? KX.Retry.delay(xhr.getResponseHeader("Retry-After")) : -1;
      if (delay >= 0 && attempt < KX.Retry.LIMIT && !KX.Ajax.stopped) {
        window.setTimeout(function () {
          KX.Ajax.send(entry, request, attempt + 1);
        }, delay);
        return;
      }
      KX.Ajax.finish(entry, xhr.status, xhr.responseText,
                     xhr.status === 503 ? xhr.getResponseHeader("X-KX-Retry-Cause") : null);
    }
  };
  xhr.send(request.body);
};

/* A callback sent while the page goes away: nobody waits for its answer. */
KX.Ajax.beacon = function (entry) {
  var request;
  if (!window.navigator || !window.navigator.sendBeacon || !window.Blob) {
    return;
  }
  request = KX.Ajax.buildRequest(entry);
  window.navigator.sendBeacon(request.url, new window.Blob([request.body],
      { type: "application/x-www-form-urlencoded" }));
};

/* Whether a text is an HTML page (the server answers with its error page when the callback failed there). */
KX.Ajax.isHTMLPage = function (text) {
  return /^\s*(<!doctype\s+html|<html)/i.test(String(text || ""));
};

/* Applies the answer of a callback, or reports why there is none. cause: the word a 503 names its cause by. */
KX.Ajax.finish = function (entry, status, text, cause) {
  try {
    if (status === 200 && KX.Ajax.applyText(text)) {
      return;
    }
    if (status === 503 && !KX.Ajax.isHTMLPage(text)) {
      // Turned away for the moment: the visitor reads the cause in the page's words, as for a submit; the handler's
      // name and the status are for the developer's log only.
      KX.debug("callback " + entry.name + " turned away (HTTP status 503, cause " + cause + ")");
      KX.Ajax.reportError("The callback could not be sent: " + KX.Retry.causeText(cause));
      return;
    }
    if (status === 200 || !KX.Ajax.isHTMLPage(text)) {
      KX.Ajax.reportError(status === 200 ? "The answer to " + entry.name + " is not a callback document."
          : "The callback " + entry.name + " failed (HTTP status " + status + ")." + KX.Ajax.plainReason(text));
      return;
    }
    // an error page (an expired session, an exception): the server means it to be seen
    KX.Ajax.stopped = true;
    KX.Browser.replaceDocument(text);
  } finally {
    if (entry.lock) {
      ReleaseLock();
      ValidClick = true;
    }
    if (PostAsyncScript && typeof PostAsyncProgressScript === "function") {
      PostAsyncProgressScript();
    }
    KX.Ajax.busy = false;
    KX.Ajax.next();
  }
};

/* The server's own plain text of a refusal ("403 - ..."), after a blank; empty for any other text. */
KX.Ajax.plainReason = function (text) {
  var match = /^\d{3} - [^<>\r\n]{1,200}$/.exec(String(text || ""));
  return match ? " " + match[0] : "";
};

/* Applies a callback answer given as text; false when it is not a response document. */
KX.Ajax.applyText = function (text) {
  var doc = KX.Browser.parseXML(text);
  if (!doc || doc.documentElement.nodeName !== "response") {
    if (KX.Ajax.isHTMLPage(text)) {
      KX.Ajax.stopped = true;
      KX.Browser.replaceDocument(text);
      return true;
    }
    return false;
  }
  KX.Ajax.applyResponse(doc.documentElement);
  return true;
};

KX.Ajax.reportError = function (message) {
  KX.debug(message);
  if (KXAjaxErrorMode === 0) {
    return;
  }
  if (KXAjaxErrorMode === 2) {
    logMessage(message);
  } else {
    window.alert(message);
  }
};

/* The text content of an XML node (text and CDATA). */
KX.Ajax.textOf = function (node) {
  if (!node) {
    return "";
  }
  return node.textContent !== undefined ? node.textContent : (node.text || "");
};

/* The child elements of a node named name (all when name is empty). */
KX.Ajax.childElements = function (node, name) {
  var result = [], child;
  for (child = node ? node.firstChild : null; child; child = child.nextSibling) {
    if (child.nodeType === 1 && (!name || child.nodeName.toLowerCase() === name)) {
      result.push(child);
    }
  }
  return result;
};

KX.Ajax.applyResponse = function (root) {
  var first = function (name) {
    return KX.Ajax.childElements(root, name)[0] || null;
  };
  var action = KX.Ajax.textOf(first("submit")).replace(/^\s+|\s+$/g, "");
  var track = KX.Ajax.textOf(first("trackid")).replace(/^\s+|\s+$/g, "");
  var page = KX.Ajax.textOf(first("rewrite"));
  var scripts = KX.Ajax.childElements(first("execute"), "literal"), i, form;

  KX.Update.apply(first("update"));
  form = KX.Form.get();
  if (action && form) {
    form.action = action;
  }
  if (/^[0-9]+$/.test(track)) {
    GTrackID = parseInt(track, 10);
    KX.Form.setField("KX_TrackID_", KX.trackIdText(GTrackID));
  }
  if (page) {
    KX.Ajax.stopped = true;
    KX.Browser.replaceDocument(page);
    return;
  }
  for (i = 0; i < scripts.length; i++) {
    KX.Ajax.run(KX.Ajax.textOf(scripts[i]));
  }
  KX.CL.relayout();
};

/* Runs a script of the answer in the page's global scope; a failing script does not stop the others. */
KX.Ajax.run = function (code) {
  if (!/\S/.test(code)) {
    return;
  }
  try {
    window.eval(code);
  } catch (err) {
    KX.Ajax.reportError("A script of the callback answer failed: " + (err && err.message ? err.message : err));
  }
};

/* ---------------------------------------------------------------------------------------------------------
 * Applying "update": one "control" element per control (id = HTML name, type = its kind), each child a
 * property. KX.Update.types[type] may take a whole element (a control's own script registers it); else each
 * child goes to KX.Update.properties by its lower-case name.
 */
KX.Update = { types: {} };

KX.Update.apply = function (update) {
  var controls = KX.Ajax.childElements(update, "control"), i;
  for (i = 0; i < controls.length; i++) {
    KX.Update.applyControl(controls[i]);
  }
};

KX.Update.applyControl = function (control) {
  var id = control.getAttribute("id") || "", type = (control.getAttribute("type") || "").toUpperCase();
  var element, custom, children, i, name, handler;
  if (type === "KXFORM") {
    children = KX.Ajax.childElements(control, "hiddenfield");
    for (i = 0; i < children.length; i++) {
      KX.Form.setField(children[i].getAttribute("id") || "", KX.Ajax.textOf(children[i]));
    }
    return;
  }
  element = id ? document.getElementById(id) : null;
  if (!element) {
    KX.debug("update of " + id + ": no such element");
    return;
  }
  custom = KX.Update.types[type];
  if (custom && custom(element, control) === true) {
    return;
  }
  children = KX.Ajax.childElements(control, "");
  for (i = 0; i < children.length; i++) {
    name = children[i].nodeName.toLowerCase();
    handler = KX.Update.properties.hasOwnProperty(name) ? KX.Update.properties[name] : null;
    if (handler) {
      handler(element, children[i], id);
    } else {
      KX.debug("update of " + id + ": property " + name + " not applied");
    }
  }
};

/* A URL the page may load: anything but script URLs. */
KX.Update.isSafeURL = function (url) {
  return !/^\s*(javascript|vbscript):/i.test(url);
};

/* A URL a link or a frame may open: a data URL there is a page of its own making, so it is refused as well. */
KX.Update.isNavigableURL = function (url) {
  return KX.Update.isSafeURL(url) && !/^\s*data:/i.test(url);
};

KX.Update.bool = function (node) {
  return KX.Ajax.textOf(node).replace(/^\s+|\s+$/g, "").toLowerCase() === "true";
};

KX.Update.plain = function (node) {
  return KX.Text.fromHTML(KX.Ajax.textOf(node));
};

/* Sets the declarations of a "style" element; an empty value removes the declaration. The position and size of
   a client object are the server's layout: they become its reference, from which the layout after the answer
   places it for the window's size. */
KX.Update.applyStyle = function (element, node) {
  var attributes = KX.Ajax.childElements(node, "attribute"), i, name, value, pixels;
  var obj = window[element.id + "KXCL"] === element && element.kxName ? element : null;
  for (i = 0; i < attributes.length; i++) {
    name = (attributes[i].getAttribute("name") || "").replace(/^\s+|\s+$/g, "").toLowerCase();
    if (!/^-?[a-z][a-z0-9-]*$/.test(name)) {
      continue;
    }
    value = KX.Ajax.textOf(attributes[i]).replace(/^\s+|\s+$/g, "");
    if (value === "") {
      element.style.removeProperty(name);
    } else {
      element.style.setProperty(name, value, "");
    }
    pixels = parseFloat(value);
    if (obj && !isNaN(pixels) && (name === "left" || name === "top" || name === "width" || name === "height")) {
      obj.Rect[name] = pixels;
      obj.kxCurrent[name] = pixels;
    }
  }
};

/* The check box or radio input of a control: the element itself, else NAME_CHECKBOX or NAME_INPUT. */
KX.Update.checkInput = function (element, id) {
  if (element.tagName === "INPUT") {
    return element;
  }
  return document.getElementById(id + "_CHECKBOX") || document.getElementById(id + "_INPUT");
};

KX.Update.properties = {
  css: function (element, node) {
    element.className = KX.Update.plain(node);
  },
  supportsinput: function (element, node, id) {
    var obj = window[id + "KXCL"];
    if (obj) {
      obj.submitOnAsync = KX.Update.bool(node);
    }
  },
  enabled: function (element, node, id) {
    setEnabled(id, KX.Update.bool(node));
  },
  hint: function (element, node) {
    element.title = KX.Update.plain(node);
  },
  style: KX.Update.applyStyle,
  innerhtml: function (element, node) {
    element.innerHTML = KX.Ajax.textOf(node);
  },
  caption: function (element, node) {
    if (element.tagName === "INPUT") {
      element.value = KX.Update.plain(node);
    } else {
      element.textContent = KX.Update.plain(node);
    }
  },
  text: function (element, node) {
    if (element.tagName === "INPUT" || element.tagName === "TEXTAREA") {
      element.value = KX.Update.plain(node);
    } else {
      element.textContent = KX.Update.plain(node);
    }
  },
  readonly: function (element, node) {
    element.readOnly = KX.Update.bool(node);
  },
  /* 0 means no limit. */
  maxlength: function (element, node) {
    var n = parseInt(KX.Ajax.textOf(node), 10);
    if (n > 0) {
      element.maxLength = n;
    } else {
      element.removeAttribute("maxlength");
    }
  },
  checked: function (element, node, id) {
    var input = KX.Update.checkInput(element, id);
    if (input) {
      input.checked = KX.Update.bool(node);
    }
  },
  value: function (element, node, id) {
    var input = KX.Update.checkInput(element, id);
    if (input) {
      input.value = KX.Update.plain(node);
    }
  },
  src: function (element, node) {
    var url = KX.Update.plain(node);
    if (KX.Update.isNavigableURL(url)) {
      element.src = url;
    }
  },
  href: function (element, node) {
    var url = KX.Update.plain(node);
    if (KX.Update.isNavigableURL(url)) {
      element.setAttribute("href", url);
    }
  },
  target: function (element, node) {
    element.target = KX.Update.plain(node);
  },
  /* A link's click code (script by the document's contract). */
  onclick: function (element, node) {
    var code = KX.Update.plain(node);
    if (code) {
      element.setAttribute("onclick", code);
    } else {
      element.removeAttribute("onclick");
    }
  },
  select_type: function (element, node) {
    if (element.tagName === "SELECT") {
      element.multiple = KX.Ajax.textOf(node) === "select-multiple";
    }
  },
  /* The options of a list: "item" elements with "value" and "selected", the caption as their text. */
  items: function (element, node) {
    var items = KX.Ajax.childElements(node, "item"), i, option;
    if (element.tagName !== "SELECT") {
      return;
    }
    element.options.length = 0;
    for (i = 0; i < items.length; i++) {
      option = document.createElement("option");
      option.value = items[i].getAttribute("value") || "";
      option.text = KX.Update.plain(items[i]);
      element.appendChild(option);
      option.selected = items[i].getAttribute("selected") === "true";
    }
  }
};

/* ---------------------------------------------------------------------------------------------------------
 * Keep-alive: a request to GURLBase + "KeepAlive" every ms milliseconds marks the session as used; 0 stops it.
 */
KX.Session.keepAliveTimer = null;

KX.Session.initKeepAlive = function (ms) {
  var interval = parseInt(ms, 10);
  if (KX.Session.keepAliveTimer) {
    window.clearInterval(KX.Session.keepAliveTimer);
    KX.Session.keepAliveTimer = null;
  }
  if (interval > 0) {
    KX.Session.keepAliveTimer = window.setInterval(KX.Session.keepAlive, interval);
  }
};

KX.Session.keepAlive = function () {
  var xhr = KX.Browser.newRequest();
  xhr.open("GET", GURLBase + "KeepAlive?" + KX.Ajax.encode([
    ["KX_AjaxID", String(new Date().getTime())],
    ["KX_SessionID_", GAppID]
  ]), true);
  xhr.send(null);
};
