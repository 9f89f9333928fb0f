/*
 * KXBrowser.js: what differs between browsers, behind one small interface: window size, events, XML parsing,
 * windows and frames. The other framework files use only these helpers for such things.
 */

KX.Browser = {};

/* The inner size of the window: innerWidth/innerHeight, else the document element's, else the body's client
   size; 0 for what cannot be measured. */
KX.Browser.windowSize = function (win) {
  var w = win || window, doc = w.document, de = doc.documentElement, body = doc.body;
  var width = 0, height = 0;
  if (typeof w.innerWidth === "number") {
    width = w.innerWidth;
    height = w.innerHeight;
  } else if (de && de.clientWidth) {
    width = de.clientWidth;
    height = de.clientHeight;
  } else if (body) {
    width = body.clientWidth;
    height = body.clientHeight;
  }
  return { width: width || 0, height: height || 0 };
};

KX.Browser.addEvent = function (element, type, handler) {
  if (element.addEventListener) {
    element.addEventListener(type, handler, false);
  } else if (element.attachEvent) {
    element.attachEvent("on" + type, handler);
  }
};

KX.Browser.removeEvent = function (element, type, handler) {
  if (element.removeEventListener) {
    element.removeEventListener(type, handler, false);
  } else if (element.detachEvent) {
    element.detachEvent("on" + type, handler);
  }
};

/* The event of a handler call: the argument, else the window's current event. */
KX.Browser.event = function (e) {
  return e || window.event || null;
};

KX.Browser.eventTarget = function (e) {
  e = KX.Browser.event(e);
  return e ? (e.target || e.srcElement || null) : null;
};

/* Cancels the browser's default action and stops the event. */
KX.Browser.cancelEvent = function (e) {
  e = KX.Browser.event(e);
  if (!e) {
    return;
  }
  if (e.preventDefault) {
    e.preventDefault();
  } else {
    e.returnValue = false;
  }
  if (e.stopPropagation) {
    e.stopPropagation();
  } else {
    e.cancelBubble = true;
  }
};

/* Parses an XML text; null when it is not well-formed. */
KX.Browser.parseXML = function (text) {
  var doc = null;
  try {
    if (window.DOMParser) {
      doc = new window.DOMParser().parseFromString(String(text), "text/xml");
    } else if (window.ActiveXObject) {
      doc = new window.ActiveXObject("Microsoft.XMLDOM");
      doc.async = false;
      if (!doc.loadXML(String(text))) {
        doc = null;
      }
    }
  } catch (err) {
    doc = null;
  }
  if (!doc || !doc.documentElement || doc.getElementsByTagName("parsererror").length > 0) {
    return null;
  }
  return doc;
};

/* A new XMLHttpRequest. */
KX.Browser.newRequest = function () {
  if (window.XMLHttpRequest) {
    return new window.XMLHttpRequest();
  }
  return new window.ActiveXObject("Microsoft.XMLHTTP");
};

/* Replaces the whole document with an HTML text (a page the server sent in place of an answer). */
KX.Browser.replaceDocument = function (html) {
  var doc = window.document;
  doc.open("text/html", "replace");
  doc.write(html);
  doc.close();
};

/* The topmost window reachable through parent frames (a parent of another origin ends the walk). */
function topmost() {
  var w = window, parent;
  for (;;) {
    try {
      parent = w.parent;
      if (!parent || parent === w || !parent.document) {
        return w;
      }
    } catch (err) {
      return w;
    }
    w = parent;
  }
}

/* Tells the user when a window the page just opened was blocked by the browser; true when it was. */
function isWndBlocked(win, message) {
  var blocked = !win;
  try {
    blocked = blocked || win.closed || typeof win.closed === "undefined";
  } catch (err) {
    blocked = true;
  }
  if (blocked && message) {
    window.alert(String(message));
  }
  return blocked;
}
