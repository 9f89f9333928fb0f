/*
 * KXCommon.js: the page as a whole: text from the server, element look-up, the post form "SubmitForm" and the
 * values copied into it, full submits, window size and resize, page start-up and shut-down.
 *
 * Controls sit in FORM (or DIV) wrappers of their own; the server puts one empty hidden input per input field
 * of a control into "SubmitForm". Before every post the value of each such field is copied from the control's
 * own element of the same name (KX.Form.collectValues).
 */

/* ---------------------------------------------------------------------------------------------------------
 * Text. Property texts in the callback document are HTML text (the server escaped them for HTML and turned line
 * breaks into "<br>"); KX.Text.fromHTML gives back the plain text, which is then set as text, never as markup.
 */
KX.Text = {};

KX.Text.NAMED_ENTITIES = { amp: "&", lt: "<", gt: ">", quot: "\"", apos: "'", nbsp: "\u00A0" };

/* The character of a code point; U+FFFD for what is not a character (0, a surrogate, beyond U+10FFFF). */
KX.Text.fromCodePoint = function (code) {
  if (isNaN(code) || code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return "\uFFFD";
  }
  if (code <= 0xFFFF) {
    return String.fromCharCode(code);
  }
  code -= 0x10000;
  return String.fromCharCode(0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF));
};

/* Plain text of an HTML text: "<br>" becomes a line feed, character references are decoded; anything else,
   tags included, stays as it is (it is shown as text). An unknown named reference is left alone. */
KX.Text.fromHTML = function (html) {
  if (html === null || html === undefined) {
    return "";
  }
  return String(html)
      .replace(/<br\s*\/?>/gi, "\n")
      .replace(/&(#[xX][0-9A-Fa-f]+|#[0-9]+|[A-Za-z]+);/g, function (whole, ref) {
        if (ref.charAt(0) === "#") {
          var isHex = ref.charAt(1) === "x" || ref.charAt(1) === "X";
          var digits = ref.substring(isHex ? 2 : 1);
          // more than 7 digits is beyond any code point whatever they are
          return KX.Text.fromCodePoint(digits.length > 7 ? NaN : parseInt(digits, isHex ? 16 : 10));
        }
        var named = KX.Text.NAMED_ENTITIES[ref.toLowerCase()];
        return named === undefined ? whole : named;
      });
};

/* ---------------------------------------------------------------------------------------------------------
 * Elements.
 */

/* The element of an id. */
KX.$ = function (id) {
  return document.getElementById(id);
};

/* The input, select or textarea named x, else the element whose id is x (a control's hidden value field may
   carry only a NAME while another element of the control carries the id). */
function FindElem(x) {
  var named = document.getElementsByName(x), i, tag;
  for (i = 0; i < named.length; i++) {
    tag = named[i].tagName;
    if (tag === "INPUT" || tag === "SELECT" || tag === "TEXTAREA") {
      return named[i];
    }
  }
  return document.getElementById(x);
}

/* Enables or disables a control: its element and every input, select, textarea and button inside it. */
function setEnabled(name, enabled) {
  var element = KX.$(name) || FindElem(name), inner, i, j, tags = ["input", "select", "textarea", "button"];
  if (!element) {
    return;
  }
  if ("disabled" in element) {
    element.disabled = !enabled;
  }
  for (i = 0; i < tags.length; i++) {
    inner = element.getElementsByTagName(tags[i]);
    for (j = 0; j < inner.length; j++) {
      inner[j].disabled = !enabled;
    }
  }
}

/* ---------------------------------------------------------------------------------------------------------
 * Rectangles, anchors and alignments (the server's resize documents create these through the top window).
 */

/* A control's rectangle in pixels: left and top inside its parent, the width and height of its style. */
function Rect(left, top, width, height) {
  this.left = Number(left) || 0;
  this.top = Number(top) || 0;
  this.width = Number(width) || 0;
  this.height = Number(height) || 0;
}

function CopyRect(rect) {
  return new Rect(rect.left, rect.top, rect.width, rect.height);
}

/* The sides of its parent a control keeps its distance to (note the order: left, right, top, bottom). */
function CreateAnchors(left, right, top, bottom) {
  this.left = !!left;
  this.right = !!right;
  this.top = !!top;
  this.bottom = !!bottom;
}

var alNone = 0, alTop = 1, alBottom = 2, alLeft = 3, alRight = 4, alClient = 5;

/* ---------------------------------------------------------------------------------------------------------
 * The post form.
 */
KX.Form = {};

/* Fields the library adds to "SubmitForm" (posted with every submit besides the controls' values). */
KX.Form.OWN_FIELDS = ["KX_width", "KX_height", "KX_Action", "KX_ActionParam", "KX_SessionID_", "KX_TrackID_"];

KX.Form.get = function () {
  return document.forms.SubmitForm || document.getElementsByName("SubmitForm")[0] || null;
};

/* The input of "SubmitForm" with that name; with create, a hidden one is added when missing. */
KX.Form.field = function (name, create) {
  var form = KX.Form.get(), i, input;
  if (!form) {
    return null;
  }
  for (i = 0; i < form.elements.length; i++) {
    if (form.elements[i].name === name) {
      return form.elements[i];
    }
  }
  if (!create) {
    return null;
  }
  input = document.createElement("input");
  input.type = "hidden";
  input.name = name;
  form.appendChild(input);
  return input;
};

KX.Form.setField = function (name, value) {
  var input = KX.Form.field(name, true);
  if (input) {
    input.value = value === null || value === undefined ? "" : String(value);
  }
};

/* Writes the window size, session id and track id into the form's own fields (adding them when missing). */
KX.Form.updateOwnFields = function () {
  var size = KX.Browser.windowSize();
  KX.Form.setField("KX_width", size.width);
  KX.Form.setField("KX_height", size.height);
  KX.Form.setField("KX_SessionID_", GAppID);
  KX.Form.setField("KX_TrackID_", KX.trackIdText(GTrackID));
  if (!KX.Form.field("KX_Action", false)) {
    KX.Form.setField("KX_Action", "");
  }
  if (!KX.Form.field("KX_ActionParam", false)) {
    KX.Form.setField("KX_ActionParam", "");
  }
};

/* Whether a field of "SubmitForm" carries a control's value (and not one of the framework's fields or the
   form's declared hidden fields, whose inputs have the id "HIDDEN_" + name). */
KX.Form.isValueField = function (input) {
  var name = input.name, i;
  if (!name || name.indexOf("KX_") === 0 || (input.id && input.id.indexOf("HIDDEN_") === 0)) {
    return false;
  }
  for (i = 0; i < KX.Form.OWN_FIELDS.length; i++) {
    if (KX.Form.OWN_FIELDS[i] === name) {
      return false;
    }
  }
  return true;
};

/*
 * The values the page's own elements named `name` post, outside "SubmitForm", as the browser would post them:
 * { found, disabled, values }. A checked check box posts its value, an unchecked one nothing; a radio group its
 * checked button; a list every selected option; file inputs and buttons post nothing here. With asMade, the values
 * they had when the page was made (their default value, checked and selected states).
 */
KX.Form.elementValues = function (name, form, asMade) {
  var result = { found: false, disabled: true, values: [] };
  var elements = document.getElementsByName(name), i, j, el, tag, type;
  for (i = 0; i < elements.length; i++) {
    el = elements[i];
    tag = el.tagName;
    if ((tag !== "INPUT" && tag !== "SELECT" && tag !== "TEXTAREA") || el.form === form) {
      continue;
    }
    type = (el.type || "").toLowerCase();
    if (type === "file" || type === "button" || type === "submit" || type === "reset" || type === "image") {
      continue;
    }
    result.found = true;
    if (el.disabled) {
      continue;
    }
    result.disabled = false;
    if (type === "checkbox" || type === "radio") {
      if (asMade ? el.defaultChecked : el.checked) {
        result.values.push(el.value);
      }
    } else if (tag === "SELECT") {
      for (j = 0; j < el.options.length; j++) {
        if (asMade ? el.options[j].defaultSelected : el.options[j].selected) {
          result.values.push(el.options[j].value);
        }
      }
    } else {
      result.values.push(asMade ? el.defaultValue : el.value);
    }
  }
  return result;
};

/* The value each control field had when a callback last posted it (name -> text). */
KX.Form.lastPosted = {};

/*
 * The fields of the controls whose value the user changed since the page was made or since a callback last
 * posted it, as [name, value] pairs, remembered as posted: a callback carries them so that its handler reads
 * what the page shows. Fields of disabled elements are left out, as a submit leaves them out.
 */
KX.Form.changedValues = function () {
  var form = KX.Form.get(), fields = [], i, input, state, value, before;
  if (!form) {
    return fields;
  }
  for (i = 0; i < form.elements.length; i++) {
    input = form.elements[i];
    if (!KX.Form.isValueField(input)) {
      continue;
    }
    state = KX.Form.elementValues(input.name, form);
    if (!state.found || state.disabled) {
      continue;
    }
    value = state.values.join(",");
    before = KX.Form.lastPosted.hasOwnProperty(input.name) ? KX.Form.lastPosted[input.name]
                                                          : KX.Form.elementValues(input.name, form, true).values.join(",");
    if (value !== before) {
      fields.push([input.name, value]);
      KX.Form.lastPosted[input.name] = value;
    }
  }
  return fields;
};

/*
 * Copies the controls' values into the fields of "SubmitForm". Several values of one name (a multiple
 * selection) are joined with ",", as the server joins repeated fields. A field whose elements are all
 * disabled is disabled too, so it is not posted (as the browser does with a disabled control). A field
 * without any element of its name keeps the value a script gave it.
 */
KX.Form.collectValues = function () {
  var form = KX.Form.get(), i, input, state;
  if (!form) {
    return;
  }
  for (i = 0; i < form.elements.length; i++) {
    input = form.elements[i];
    if (!KX.Form.isValueField(input)) {
      continue;
    }
    state = KX.Form.elementValues(input.name, form);
    if (!state.found) {
      continue;
    }
    input.disabled = state.disabled;
    input.value = state.values.join(",");
  }
};

/* Posts the whole form: every control's value, the action component and its parameter. */
KX.Form.submit = function (action, actionParam) {
  var form = KX.Form.get();
  if (!form) {
    KX.debug("no SubmitForm on this page");
    return;
  }
  GSubmitting = true;
  KX.Form.collectValues();
  KX.Form.updateOwnFields();
  KX.Form.setField("KX_Action", action);
  KX.Form.setField("KX_ActionParam", actionParam);
  if (GActivateLock) {
    ActivateLock();
  }
  if (PreScript && typeof PreProgressScript === "function") {
    PreProgressScript();
  }
  KX.Form.post(form);
};

/* Posts the form. A browser that keeps cookies sends it as a submit of its own token (KX.Retry.send), which the
   server turns away with the answer that leaves the page in place, and which every copy of this submit carries. */
KX.Form.post = function (form) {
  if (window.navigator && window.navigator.cookieEnabled) {
    KX.Retry.send({ form: form, token: KX.Retry.newToken(), tries: 0, done: false, blind: false, spent: false });
  } else {
    form.submit();
  }
};

/* ---------------------------------------------------------------------------------------------------------
 * The server's "try again" answers. A request the server turns away for the moment (its session is busy, its
 * address has many requests in while the server is nearly full, or it would start a session while the server runs
 * short of open files) is answered 503 with "Retry-After", a plain text
 * that names the cause and the cause's word of CAUSES in "X-KX-Retry-Cause" (which a callback's page reports in its
 * own words, KX.Ajax.finish). A posted form that carries a token (KX_Retry) is answered 204 instead, which leaves the
 * page and the visitor's values in place, with the cookie KX_Retry_TOKEN ("SECONDS:CAUSE", a word of CAUSES).
 * Only the page that posted the token reads that cookie: a cookie of another page of this host (another port or
 * path), or of another tab, is never read, acted on or shown, and the page shows its own text for the cause, never
 * the cookie's. Either answer is sent again after that many seconds, LIMIT times at most; then the cause is reported
 * and the page takes clicks again.
 *
 * Every copy of one submit carries the submit's token: of the copies that reach the server, the first to take the
 * session runs the post, and every other runs nothing and is answered with the session's form as it stands. A post
 * that has had no answer within WAIT ms asks the server what became of it (GURLBase + "PostStatus", by its token),
 * and again every WAIT ms while it waits: one that waits or runs in the session keeps the page waiting, as a second
 * click would post the form a second time; one the session has done is sent again, for that answer; one the server
 * does not know (turned away with its cookie lost, lost on the way, or not read yet) is sent again, within the
 * LIMIT; one whose session ended gives the page back. Past the LIMIT the page withdraws the post (KX_GiveUp=1 on its
 * question), so that it never runs should it still arrive, and only then says it was not sent; a state the server
 * knows is acted on instead. The page never says that a post was not sent when the server may still run it. No
 * answer within ASK ms (a server that has stopped) is said once, and the page keeps waiting.
 */
KX.Retry = {
  LIMIT: 3, COOKIE: "KX_Retry_", WAIT: 120000, ASK: 10000, timer: null,
  CAUSES: { session: "the session is busy.", address: "too many requests come from your address.",
            server: "the server is busy." }
};

/* The wait in milliseconds that a Retry-After value (seconds) asks for, at most 30 s; -1 when it asks none. */
KX.Retry.delay = function (value) {
  var seconds = parseInt(value, 10);
  return isNaN(seconds) || seconds < 0 ? -1 : Math.min(seconds, 30) * 1000;
};

/* A post's token: 32 hexadecimal digits, from the browser's cryptographic generator where it has one. */
KX.Retry.newToken = function () {
  var crypto = window.crypto || window.msCrypto, bytes = null, text = "", i;
  if (crypto && crypto.getRandomValues && window.Uint8Array) {
    bytes = crypto.getRandomValues(new window.Uint8Array(16));
  }
  for (i = 0; i < 16; i++) {
    text += (256 + (bytes ? bytes[i] : Math.floor(Math.random() * 256))).toString(16).substring(1);
  }
  return text;
};

/* The answer to the post with token as { seconds, cause }, its cookie deleted as it is read; null when none came. */
KX.Retry.takeCookie = function (token) {
  var name = KX.Retry.COOKIE + token, parts = String(document.cookie || "").split(/;\s*/), i, value, colon;
  for (i = 0; i < parts.length; i++) {
    if (parts[i].indexOf(name + "=") !== 0) {
      continue;
    }
    value = parts[i].substring(name.length + 1);
    document.cookie = name + "=; Max-Age=0; Path=/; SameSite=Lax";
    colon = value.indexOf(":");
    return { seconds: value.substring(0, colon), cause: value.substring(colon + 1) };
  }
  return null;
};

/* The page's own words for a cause the server names (a post's cookie, a callback's header); the server is busy, for
   any other or none. */
KX.Retry.causeText = function (cause) {
  return KX.Retry.CAUSES.hasOwnProperty(cause) ? KX.Retry.CAUSES[cause] : "the server is busy.";
};

/* What the page says of its post by the server's word for it; the page stays locked for these. */
KX.Retry.STATES = {
  running: "The server is still working on what you sent: the page changes when it is done.",
  waiting: "What you sent waits for an earlier request of your session: the page changes when it has run."
};

/* Asks the server what became of the post with token, withdrawing it with giveUp: calls onWord with its word ("" for
   no word: a failed request), whenever it comes, and onSilence once no answer has come within ASK ms. */
KX.Retry.ask = function (token, giveUp, onWord, onSilence) {
  var xhr = KX.Browser.newRequest(), answered = false;
  // A withdrawal acts on the session: it names its session, as every request of the page that acts does.
  xhr.open("GET", GURLBase + "PostStatus?KX_Retry=" + token + (giveUp ? "&KX_GiveUp=1" : "") + "&KX_SessionID_=" +
           encodeURIComponent(GAppID) + "&KX_AjaxID=" + new Date().getTime(), true);
  xhr.onreadystatechange = function () {
    var match;
    if (xhr.readyState === 4) {
      answered = true;
      match = xhr.status === 200 ? /<post>([a-z]+)<\/post>/.exec(String(xhr.responseText || "")) : null;
      onWord(match ? match[1] : "");
    }
  };
  window.setTimeout(function () {
    if (!answered) {
      onSilence();
    }
  }, KX.Retry.ASK);
  xhr.send(null);
};

/* Sends one copy of a submit, post = { form, token, tries (copies sent), done (the server said it ran), blind (a copy
   sent while an earlier one may still arrive), spent (no try left), cause (of the last turn-away) }, and watches it.
   The browser takes the form's values as submit() is called, so the field goes again at once: a submit that no
   script watches never asks for the 204. */
KX.Retry.send = function (post) {
  var field = KX.Form.field("KX_Retry", true);
  field.value = post.token;
  post.tries += 1;
  KX.Retry.watchSubmit(post, false);
  post.form.submit();
  field.parentNode.removeChild(field);
};

/* The tries of post are spent: the page's next question withdraws it. */
KX.Retry.spent = function (post) {
  return post.spent || post.tries > KX.Retry.LIMIT;
};

/* While post is under way and the page stays: the cookie of its token means the server turned a copy away. Without
   an answer after WAIT ms (at once with askNow) the page asks the server (KX.Retry.ask) and acts on its word, also
   when it comes late. A server that does not answer is not asked again until it does. */
KX.Retry.watchSubmit = function (post, askNow) {
  var started = askNow ? 0 : new Date().getTime(), asking = false, said = "", watch, say = function (text) {
    if (text !== said) {
      said = text;
      KX.Ajax.reportError(text);
    }
  }, silent = "The server has not answered yet. What you sent may still be done: the page changes when the " +
              "server answers.";
  KX.Retry.stop();
  watch = KX.Retry.timer = window.setInterval(function () {
    var answer;
    if (KX.Page.unloaded) {
      KX.Retry.stop();
      return;
    }
    answer = KX.Retry.takeCookie(post.token);
    if (answer) {
      KX.Retry.stop();
      KX.Retry.turnedAway(post, answer);
      return;
    }
    if (asking || new Date().getTime() - started < KX.Retry.WAIT) {
      return;
    }
    asking = true;
    KX.Retry.ask(post.token, KX.Retry.spent(post), function (word) {
      if (KX.Page.unloaded || KX.Retry.timer !== watch) {
        return;  // the page has stopped watching this copy
      }
      asking = false;
      started = new Date().getTime();
      if (word === "done") {
        post.done = true;
        KX.Retry.send(post);  // it runs nothing; its answer is the session's form as it stands
      } else if (word === "unknown" && !KX.Retry.spent(post)) {
        post.blind = true;
        KX.Retry.send(post);
      } else if (word === "abandoned") {
        KX.Retry.giveUp("The page could not be sent: " +
                        (post.cause ? KX.Retry.causeText(post.cause) : "the server did not receive it."));
      } else if (word === "ended") {
        KX.Retry.giveUp("The page could not be sent: its session has ended.");
      } else {
        say(KX.Retry.STATES.hasOwnProperty(word) ? KX.Retry.STATES[word] : silent);
      }
    }, function () {
      say(silent);
    });
  }, 100);
};

/* A copy of post was turned away (answer: its cookie): sent again after the wait while tries are left. Then a post
   the server ran says so, and stays locked, as a click would run it again; one of which an earlier copy may still
   arrive is withdrawn before anything is said; any other gives the page back with the cause. */
KX.Retry.turnedAway = function (post, answer) {
  var delay = KX.Retry.delay(answer.seconds);
  if (!KX.Retry.spent(post) && delay >= 0) {
    window.setTimeout(function () {
      KX.Retry.send(post);
    }, delay);
  } else if (post.done) {
    KX.Ajax.reportError("What you sent has been done, but the page that shows it could not be fetched: " +
                        KX.Retry.causeText(answer.cause) + " Reload the page to see it.");
  } else if (post.blind) {
    post.spent = true;
    post.cause = answer.cause;
    KX.Retry.watchSubmit(post, true);
  } else {
    KX.Retry.giveUp("The page could not be sent: " + KX.Retry.causeText(answer.cause));
  }
};

/* Stops watching the submit under way. */
KX.Retry.stop = function () {
  window.clearInterval(KX.Retry.timer);
  KX.Retry.timer = null;
};

/* Stops waiting for the post: the page takes clicks again, with the visitor's values, and says why. */
KX.Retry.giveUp = function (text) {
  KX.Retry.stop();
  GSubmitting = false;
  ValidClick = true;
  ReleaseLock();
  if (PostScript && typeof PostProgressScript === "function") {
    PostProgressScript();
  }
  KX.Ajax.reportError(text + " Your entries are still here.");
};

/*
 * The click handler of every submitting control. Returns false always, so the browser's own action of the
 * element (following a link, submitting a wrapper form) never runs. Nothing happens while another submit is
 * under way, when the user declines the confirmation, or when validation fails.
 */
function SubmitClickConfirm(name, param, validate, confirmation) {
  if (GSubmitting || !ValidClick) {
    return false;
  }
  if (confirmation && !window.confirm(String(confirmation))) {
    return false;
  }
  if (validate && typeof Validate === "function" && !Validate()) {
    return false;
  }
  KX.Form.submit(name, param === undefined || param === null ? "" : param);
  return false;
}

/* A submit with validation and no confirmation. */
function SubmitClick(name, param) {
  return SubmitClickConfirm(name, param, true, "");
}

/* ---------------------------------------------------------------------------------------------------------
 * Window size and resize.
 */
KX.Resize = {
  timer: null,
  frameSize: null    // the size last sent to the server, when the server positions the controls
};

/* Records the size the server laid the form out at, starts the form's client object for it and gives
   "SubmitForm" the framework's fields (a script of the server may post the form itself). Called by the page
   before InitKXCLObjects (and again by a submit frame before it re-creates the client objects). */
function InitRects(width, height) {
  KX.CL.initForm(Number(width) || 0, Number(height) || 0);
  KX.Form.updateOwnFields();
}

/*
 * Follows the window's size. The form's fields KX_width/KX_height always hold it. When the page asks the server
 * to position the controls (GResizeURL), the new size is sent GOnResizetimeout ms after the last change, into
 * the hidden frame "onresize", whose answer repositions the controls; otherwise the controls are aligned and
 * anchored here.
 */
function Body_OnResize() {
  var size = KX.Browser.windowSize();
  KX.Form.setField("KX_width", size.width);
  KX.Form.setField("KX_height", size.height);
  if (typeof GResizeURL === "string" && GResizeURL && KX.$("onresize")) {
    if (KX.Resize.timer) {
      window.clearTimeout(KX.Resize.timer);
    }
    KX.Resize.timer = window.setTimeout(KX.Resize.requestPositions, GOnResizetimeout > 0 ? GOnResizetimeout : 1000);
  } else {
    KX.CL.resizeForm(size.width, size.height);
  }
}

KX.Resize.requestPositions = function () {
  var size = KX.Browser.windowSize(), frame = KX.$("onresize"), form = KX.CL.form();
  KX.Resize.timer = null;
  if (!frame || (form.kxRefWidth === size.width && form.kxRefHeight === size.height)) {
    return;
  }
  // the server lays the form out at this size; the positions it answers with belong to it
  form.kxRefWidth = size.width;
  form.kxRefHeight = size.height;
  GSubmitting = true;
  if (!frame.kxResizeHooked) {
    frame.kxResizeHooked = true;
    // the answer clears GSubmitting itself; an empty answer must not leave the page refusing clicks
    KX.Browser.addEvent(frame, "load", function () {
      GSubmitting = false;
    });
  }
  frame.src = GResizeURL + (GResizeURL.indexOf("?") < 0 ? "?" : "&") +
      "KX_width=" + size.width + "&KX_height=" + size.height;
};

/* ---------------------------------------------------------------------------------------------------------
 * Start-up and shut-down.
 */

/* Runs the controls' unload events when the page goes, and restores a page the browser brings back from its
   history cache (it was left locked by the submit that left it). */
function AttachBeforeUnload() {
  if (KX.Page.unloadAttached) {
    return;
  }
  KX.Page.unloadAttached = true;
  KX.Browser.addEvent(window, "pagehide", KX.Page.unload);
  KX.Browser.addEvent(window, "pageshow", function (e) {
    if (e && e.persisted) {
      KX.Page.restore();
    }
  });
}

KX.Page = { unloadAttached: false, unloaded: false };

KX.Page.unload = function () {
  if (KX.Page.unloaded) {
    return;
  }
  KX.Page.unloaded = true;
  KX.CL.fireAll("unload");
};

KX.Page.restore = function () {
  KX.Page.unloaded = false;
  GSubmitting = false;
  ValidClick = true;
  ReleaseLock();
  if (PostScript && typeof PostProgressScript === "function") {
    PostProgressScript();
  }
};

/* Body OnUnload: ends the keep-alive and lets go of the client objects. */
function ReleaseKXCL() {
  KX.Page.unload();
  KX.Session.initKeepAlive(0);
  KX.CL.releaseAll();
}

/* Browsers other than Internet Explorer honour the body's "margin: 0" style; KXExplorer.js replaces this. */
KX.Utils.fixIEMargins = function () {
};

/* Gives a control the focus once the page is shown. */
KX.Utils.setActiveControl = function (name) {
  var element = KX.$(name) || FindElem(name);
  if (!element || !element.focus) {
    return;
  }
  try {
    element.focus();
  } catch (err) {
    KX.debug("cannot focus " + name);   // hidden or disabled
  }
};
