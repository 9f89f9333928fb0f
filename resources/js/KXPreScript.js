/*
 * KXPreScript.js: the framework's namespace, the page globals with their defaults, and the page lock.
 *
 * Loaded first of the framework's scripts, in the page head. The page's own inline script (emitted after the
 * framework files) overrides the defaults below: GURLBase, GAppID, GTrackID, GOnResizetimeout, KXAjaxErrorMode,
 * KXDEBUG, PreScript/PostScript/PreAsyncScript/PostAsyncScript and KX.implicitSubmit. The lock functions must
 * exist before BODY starts, since the page calls createKXLocker() and ActivateLock() at its top.
 */

/* The framework's namespace; the page writes KX.implicitSubmit into it. */
var KX = window.KX || {};
KX.Session = KX.Session || {};
KX.Utils = KX.Utils || {};
KX.implicitSubmit = false;

/* Reporting of failed callbacks: 0 none, 1 alert (the default; the page writes no line for it), 2 console. */
var KXAjaxErrorMode = 1;
/* Set to true by the page when the server runs with script debugging on. */
var KXDEBUG = false;

/* Session and page state written by the page (defaults for a page that has not set them yet). */
var GURLBase = "";        // the session's internal URL base, ends with "$/"
var GAppID = "";          // the session id, posted as KX_SessionID_
var GTrackID = 0;         // the track id in decimal; it travels in base 36 (KX.trackIdText)
var GOnResizetimeout = 1000;
var GActivateLock = false; // whether submits lock the page (set by Initialize)

/* A submit or resize request is under way; clicks meanwhile are ignored. Cleared by Body_OnBlur and by the
   documents the server answers a resize or submit frame with. */
var GSubmitting = false;
/* Clicks are accepted; false while a locked callback is under way. */
var ValidClick = true;

/* The page's progress indicator scripts exist when these are true (the page sets them). */
var PreScript = false, PostScript = false, PreAsyncScript = false, PostAsyncScript = false;

/* Writes a line to the browser's console when there is one. */
function logMessage(text) {
  if (typeof console !== "undefined" && console.log) {
    console.log(String(text));
  }
}

/* Logs only when the page runs with script debugging on. */
KX.debug = function (text) {
  if (KXDEBUG) {
    logMessage("KX: " + text);
  }
};

/* The track id as the server reads it from KX_TrackID_: lower-case base 36. */
KX.trackIdText = function (trackId) {
  var n = parseInt(trackId, 10);
  return isNaN(n) || n < 0 ? "0" : n.toString(36);
};

/*
 * The page lock: a transparent layer over the whole window that takes every click while a submit or a locked
 * callback is under way, with an optional "loading" image in its middle.
 */
KX.Lock = {
  element: null,
  active: false
};

/* Creates the lock layer (hidden). imageUrl may be empty: then the layer shows nothing. */
function createKXLocker(imageUrl) {
  var doc = document, layer, image;
  if (KX.Lock.element && KX.Lock.element.parentNode) {
    return;
  }
  layer = doc.createElement("div");
  layer.id = "KXLocker";
  layer.style.cssText = "position:fixed;left:0;top:0;width:100%;height:100%;z-index:49999;display:none;" +
      "cursor:wait;background-color:transparent;";
  if (imageUrl) {
    image = doc.createElement("img");
    image.src = imageUrl;
    image.alt = "";
    image.style.cssText = "position:absolute;left:50%;top:50%;margin-left:-16px;margin-top:-16px;";
    layer.appendChild(image);
  }
  (doc.body || doc.documentElement).appendChild(layer);
  KX.Lock.element = layer;
  if (KX.Lock.active) {
    layer.style.display = "block";
  }
}

/* Shows the lock layer; harmless when the page has none. */
function ActivateLock() {
  KX.Lock.active = true;
  if (KX.Lock.element) {
    KX.Lock.element.style.display = "block";
  }
}

/* Hides the lock layer. */
function ReleaseLock() {
  KX.Lock.active = false;
  if (KX.Lock.element) {
    KX.Lock.element.style.display = "none";
  }
}
