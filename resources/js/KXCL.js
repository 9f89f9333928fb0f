/*
 * KXCL.js: the client objects of controls and their layout in the browser.
 *
 * The client object of a control is the global NAMEKXCL (NAME = the control's HTML name). It is the control's
 * root element itself, given the framework's members, so that page code reads NAMEKXCL.value or sets
 * NAMEKXCL.src directly; it is null when the control has no element on the page. KXCLForm is the form's
 * object, the parent of the top-level controls. Every object keeps its parent and children, the rectangle the
 * server laid it out at (Rect), its alignment and anchors, its event hooks and its client properties.
 *
 * Layout: when the window's size differs from the size the server laid the form out at, each control is moved
 * and sized from its Rect by the change of its parent's size, as its alignment and anchors say; its children
 * follow the change of its own size. Computing from Rect each time means that shrinking the window and growing
 * it back restores the server's layout exactly.
 */

KX.CL = {};

var KXCLForm = null;

/* The browser events of the default handlers, and the callback suffix each one calls ("OnClick" calls
   NAME + ".DoOnAsyncClick"). */
KX.CL.DEFAULT_HANDLERS = {
  onclick: ["click", "Click"],
  ondblclick: ["dblclick", "DoubleClick"],
  onchange: ["change", "Change"],
  onfocus: ["focus", "Enter"],
  onblur: ["blur", "Exit"],
  onkeydown: ["keydown", "KeyDown"],
  onkeyup: ["keyup", "KeyUp"],
  onkeypress: ["keypress", "KeyPress"],
  onmousedown: ["mousedown", "MouseDown"],
  onmousemove: ["mousemove", "MouseMove"],
  onmouseover: ["mouseover", "MouseOver"],
  onmouseout: ["mouseout", "MouseOut"],
  onmouseup: ["mouseup", "MouseUp"],
  onselect: ["select", "Select"],
  onload: ["load", "Load"],
  onunload: ["unload", "UnLoad"]
};

/* ---------------------------------------------------------------------------------------------------------
 * Objects.
 */

/* The form's object, made on first use. */
KX.CL.form = function () {
  if (!KXCLForm) {
    KX.CL.initForm(0, 0);
  }
  return KXCLForm;
};

/* A new form object for a form laid out at width x height (0 x 0: unknown, no layout in the browser). */
KX.CL.initForm = function (width, height) {
  KXCLForm = {
    kxName: "",
    kxIsForm: true,
    kxChildren: [],
    kxRefWidth: width,
    kxRefHeight: height
  };
  return KXCLForm;
};

/* The rectangle an element stands at: its style's left, top, width and height in pixels, or, for what the
   style does not say, where the browser put it. */
KX.CL.measure = function (element) {
  var style = element.style;
  function pixels(text, fallback) {
    var n = parseFloat(text);
    return isNaN(n) ? (fallback || 0) : n;
  }
  return new Rect(pixels(style.left, element.offsetLeft), pixels(style.top, element.offsetTop),
      pixels(style.width, element.offsetWidth), pixels(style.height, element.offsetHeight));
};

/*
 * Creates (or makes afresh) the client object of the control NAME under parent and publishes it as NAMEKXCL.
 * Called again for the same element (a callback re-sends a control's start-up code), it forgets the old hooks
 * and properties, which the code after it hooks anew, and keeps its children and its place in the layout (its
 * style may show where the browser moved it, not where the server put it).
 */
KX.initKXCL = function (parent, name, submitOnAsync) {
  var element = document.getElementById(name), key;
  if (!element) {
    window[name + "KXCL"] = null;
    return null;
  }
  parent = parent || KX.CL.form();
  if (element.kxName !== name) {
    for (key in KX.CL.members) {
      if (KX.CL.members.hasOwnProperty(key)) {
        element[key] = KX.CL.members[key];
      }
    }
    element.kxListeners = {};
    element.kxChildren = [];
    element.Rect = KX.CL.measure(element);
    element.kxCurrent = CopyRect(element.Rect);
  }
  element.kxName = name;
  element.kxParent = parent;
  element.submitOnAsync = !!submitOnAsync;
  element.kxHooks = {};
  element.kxProps = {};
  element.kxLoadPending = false;
  element.kxFocusColorHooked = false;
  element.kxImplicitSubmitHooked = false;
  element.Align = alNone;
  element.Anchors = new CreateAnchors(true, false, true, false);
  element.BorderWidthPixels = 0;
  /* Runs the blur hooks; page code sets it to null for a moment to focus a control without them. */
  element.onBlur = function (e) {
    return KX.CL.dispatch(element, "blur", e);
  };
  KX.CL.adopt(parent, element);
  window[name + "KXCL"] = element;
  return element;
};

/* Makes child one of parent's children, in place of an older object of the same name. */
KX.CL.adopt = function (parent, child) {
  var children = parent.kxChildren, i;
  for (i = 0; i < children.length; i++) {
    if (children[i].kxName === child.kxName) {
      children[i] = child;
      return;
    }
  }
  children.push(child);
};

/* The children whose elements are still in the document (a callback may have replaced some). */
KX.CL.liveChildren = function (parent) {
  var live = [], i, child, root = document.documentElement;
  for (i = 0; i < parent.kxChildren.length; i++) {
    child = parent.kxChildren[i];
    if (child && child.parentNode && (!root.contains || root.contains(child))) {
      live.push(child);
    }
  }
  parent.kxChildren = live;
  return live;
};

/* Calls fn for every object under parent, parents before their children. */
KX.CL.forEach = function (parent, fn) {
  var children = KX.CL.liveChildren(parent), i;
  for (i = 0; i < children.length; i++) {
    fn(children[i]);
    KX.CL.forEach(children[i], fn);
  }
};

/* Runs the hooks of an event on every object (the page's unload). */
KX.CL.fireAll = function (type) {
  if (KXCLForm) {
    KX.CL.forEach(KXCLForm, function (obj) {
      KX.CL.dispatch(obj, type, null);
    });
  }
};

/* Lets go of every object: the NAMEKXCL globals become null. */
KX.CL.releaseAll = function () {
  if (KXCLForm) {
    KX.CL.forEach(KXCLForm, function (obj) {
      obj.kxHooks = {};
      if (window[obj.kxName + "KXCL"] === obj) {
        window[obj.kxName + "KXCL"] = null;
      }
    });
    KXCLForm.kxChildren = [];
  }
};

/* ---------------------------------------------------------------------------------------------------------
 * Events. One browser listener per element and event runs the object's current hooks in order; a hook that
 * returns false cancels the browser's action and the hooks after it.
 */

KX.CL.dispatch = function (obj, type, e) {
  var hooks = obj.kxHooks && obj.kxHooks[type], i;
  if (!hooks) {
    return true;
  }
  hooks = hooks.slice(0);   // a hook may hook or re-create the object
  for (i = 0; i < hooks.length; i++) {
    if (hooks[i].call(obj, e) === false) {
      if (e) {
        if (e.preventDefault) {
          e.preventDefault();
        } else {
          e.returnValue = false;
        }
      }
      return false;
    }
  }
  return true;
};

KX.CL.listen = function (obj, type) {
  if (type === "unload" || obj.kxListeners[type]) {
    return;   // unload hooks run from the page's pagehide
  }
  obj.kxListeners[type] = true;
  if (type === "blur") {
    KX.Browser.addEvent(obj, "blur", function (e) {
      if (typeof obj.onBlur === "function") {
        return obj.onBlur(e);
      }
      return true;
    });
    return;
  }
  KX.Browser.addEvent(obj, type, function (e) {
    return KX.CL.dispatch(obj, type, e);
  });
};

/* Adds a hook. The hooks of "load" also run once right after start-up unless the element is an image still
   loading or a frame: start-up runs when the page has loaded, after the elements' own load events. */
KX.CL.hook = function (obj, type, fn) {
  var tag;
  type = String(type).toLowerCase().replace(/^on/, "");
  if (typeof fn !== "function") {
    return;
  }
  if (!obj.kxHooks[type]) {
    obj.kxHooks[type] = [];
  }
  obj.kxHooks[type].push(fn);
  KX.CL.listen(obj, type);
  if (type === "load" && !obj.kxLoadPending) {
    tag = obj.tagName;
    if (tag !== "IFRAME" && tag !== "FRAME" && (tag !== "IMG" || obj.complete)) {
      obj.kxLoadPending = true;
      window.setTimeout(function () {
        obj.kxLoadPending = false;
        KX.CL.dispatch(obj, "load", null);
      }, 0);
    }
  }
};

/* Parses a default-handler list "OnClick:Lock;OnChange;...": [{ event, data: [...] }] (names as written). */
KX.CL.parseDefaultHandlers = function (text) {
  var entries = String(text || "").split(";"), result = [], i, entry, colon, data;
  for (i = 0; i < entries.length; i++) {
    entry = entries[i].replace(/^\s+|\s+$/g, "");
    if (!entry) {
      continue;
    }
    colon = entry.indexOf(":");
    data = colon < 0 ? [] : entry.substring(colon + 1).split(",");
    result.push({ event: colon < 0 ? entry : entry.substring(0, colon), data: data });
  }
  return result;
};

/* ---------------------------------------------------------------------------------------------------------
 * Layout.
 */

/* Where a control goes when its parent's size changed by dx, dy since the server's layout (from its Rect, by
   its alignment, else its anchors). Sizes never go below 0. */
KX.CL.rectFor = function (obj, dx, dy) {
  var r = CopyRect(obj.Rect), a = obj.Anchors || new CreateAnchors(true, false, true, false);
  switch (obj.Align) {
    case alTop:
      r.width += dx;
      break;
    case alBottom:
      r.top += dy;
      r.width += dx;
      break;
    case alLeft:
      r.height += dy;
      break;
    case alRight:
      r.left += dx;
      r.height += dy;
      break;
    case alClient:
      r.width += dx;
      r.height += dy;
      break;
    default:
      if (a.left && a.right) {
        r.width += dx;
      } else if (a.right) {
        r.left += dx;
      } else if (!a.left) {
        r.left += Math.round(dx / 2);   // neither side: the control keeps its place relative to the middle
      }
      if (a.top && a.bottom) {
        r.height += dy;
      } else if (a.bottom) {
        r.top += dy;
      } else if (!a.top) {
        r.top += Math.round(dy / 2);
      }
  }
  r.width = Math.max(0, r.width);
  r.height = Math.max(0, r.height);
  return r;
};

/* Puts an object at a rectangle (writing only what changed) and lays its children out for its new size. */
KX.CL.place = function (obj, rect) {
  var style = obj.style, current = obj.kxCurrent || obj.Rect;
  if (rect.left !== current.left) {
    style.left = rect.left + "px";
  }
  if (rect.top !== current.top) {
    style.top = rect.top + "px";
  }
  if (rect.width !== current.width) {
    style.width = rect.width + "px";
  }
  if (rect.height !== current.height) {
    style.height = rect.height + "px";
  }
  obj.kxCurrent = CopyRect(rect);
  KX.CL.layoutChildren(obj, rect.width - obj.Rect.width, rect.height - obj.Rect.height);
};

KX.CL.layoutChildren = function (parent, dx, dy) {
  var children = KX.CL.liveChildren(parent), i;
  for (i = 0; i < children.length; i++) {
    KX.CL.place(children[i], KX.CL.rectFor(children[i], dx, dy));
  }
};

/* Lays the form out for the window's size again (after a callback changed controls), unless the server
   positions the controls. */
KX.CL.relayout = function () {
  var size;
  if (typeof GResizeURL === "string" && GResizeURL) {
    return;
  }
  size = KX.Browser.windowSize();
  KX.CL.resizeForm(size.width, size.height);
};

/* Lays the form out for a window of width x height. */
KX.CL.resizeForm = function (width, height) {
  var form = KX.CL.form();
  if (!form.kxRefWidth || !form.kxRefHeight) {
    return;   // the server's size is unknown
  }
  KX.CL.layoutChildren(form, width - form.kxRefWidth, height - form.kxRefHeight);
};

/* ---------------------------------------------------------------------------------------------------------
 * The members every client object gets.
 */
KX.CL.members = {
  /* alNone ... alClient; called without an argument for an alignment the browser does not follow. */
  SetAlign: function (align) {
    this.Align = typeof align === "number" ? align : alNone;
  },

  SetAnchors: function (anchors) {
    this.Anchors = anchors || new CreateAnchors(true, false, true, false);
  },

  /* Runs fn (with this = the object) on a browser event, named in lower case without "on". */
  HookEvent: function (type, fn) {
    KX.CL.hook(this, type, fn);
  },

  /* Hooks the framework's asynchronous callbacks: "OnClick:Lock;OnChange" calls NAME.DoOnAsyncClick (locking
     the page until the answer is applied) on a click and NAME.DoOnAsyncChange on a change. */
  HookDefaultHandlers: function (list) {
    var obj = this, entries = KX.CL.parseDefaultHandlers(list), i, j, handler, lock;
    for (i = 0; i < entries.length; i++) {
      handler = KX.CL.DEFAULT_HANDLERS[entries[i].event.toLowerCase()];
      if (!handler) {
        KX.debug("unknown default handler " + entries[i].event + " of " + obj.kxName);
        continue;
      }
      lock = false;
      for (j = 0; j < entries[i].data.length; j++) {
        lock = lock || entries[i].data[j] === "Lock";
      }
      KX.CL.hook(obj, handler[0], KX.CL.asyncHandler(obj, handler[1], lock));
    }
  },

  /* Client properties of the control (a JSON object); see KX.CL.applyProps. */
  SetProps: function (props) {
    var key;
    for (key in props) {
      if (props.hasOwnProperty(key)) {
        this.kxProps[key] = props[key];
      }
    }
    KX.CL.applyProps(this);
  },

  /* Moves and sizes the control (the server's positions after a resize). */
  SetRect: function (rect) {
    KX.CL.place(this, CopyRect(rect));
  }
};

/* The hook of a default handler: the callback with the control's fields (when it submits on async events). */
KX.CL.asyncHandler = function (obj, suffix, lock) {
  return function () {
    KX.Ajax.callback(obj.kxName + ".DoOnAsync" + suffix, obj, lock, {});
  };
};

/*
 * The client properties the framework's controls send:
 * - FocusColor, BGColor: the background while the control has the focus, and otherwise (an empty or negative
 *   BGColor leaves the style's own);
 * - ImplicitSubmit, SubmitValidation: Enter in the control submits it (with validation unless
 *   SubmitValidation is false).
 * Other properties are kept in kxProps for the control's own script.
 */
KX.CL.applyProps = function (obj) {
  var props = obj.kxProps;
  if (props.FocusColor && !obj.kxFocusColorHooked) {
    obj.kxFocusColorHooked = true;
    KX.CL.hook(obj, "focus", function () {
      this.style.backgroundColor = String(this.kxProps.FocusColor || "");
    });
    KX.CL.hook(obj, "blur", function () {
      var color = String(this.kxProps.BGColor || "");
      this.style.backgroundColor = color.charAt(0) === "-" ? "" : color;
    });
  }
  if (props.ImplicitSubmit && !obj.kxImplicitSubmitHooked) {
    obj.kxImplicitSubmitHooked = true;
    KX.CL.hook(obj, "keydown", function (e) {
      var key = e ? (e.keyCode || e.which) : 0;
      if (key !== 13 || !this.kxProps.ImplicitSubmit) {
        return true;
      }
      SubmitClickConfirm(this.kxName, "", this.kxProps.SubmitValidation !== false, "");
      return false;
    });
  }
};
