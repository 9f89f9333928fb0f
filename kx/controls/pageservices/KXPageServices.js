/*
 * KXPageServices.js: the browser side of the page services.
 *   KX.setTimer("N", true, ms, async) ticks every ms milliseconds: a callback "N.DoOnAsyncTimer" (async) or a
 *     submit of N; KX.setTimer("N", false) stops it. Setting a running timer again restarts it.
 *   KX.Session.setMonitor("N", active, ms, timeout, target, async) polls the session's status value
 *     (GURLBase + "QueryStatus") every ms milliseconds until it is at least target, then calls back
 *     "N.DoOnAsyncEvent" (async) or submits N, once; timeout (ms, 0 for none) ends the polling.
 *     KX.Session.deleteMonitor("N") stops it.
 *   new KXModalWindow(options).show() shows a modal window above the page (see KXModalWindow).
 */

KX.Timers = {};

KX.setTimer = function (name, enabled, interval, async) {
  var ms = parseInt(interval, 10);
  if (KX.Timers[name]) {
    window.clearInterval(KX.Timers[name]);
    delete KX.Timers[name];
  }
  if (!enabled || !(ms >= 1)) {
    return;
  }
  KX.Timers[name] = window.setInterval(function () {
    KX.Timer.tick(name, !!async);
  }, ms);
};

KX.Timer = {};

/* One tick. A tick whose callback is still waiting in the queue is not repeated: a slow answer must not pile up
   callbacks. */
KX.Timer.tick = function (name, async) {
  var callback = name + ".DoOnAsyncTimer", i;
  if (!async) {
    SubmitClickConfirm(name, "", false, "");
    return;
  }
  for (i = 0; i < KX.Ajax.queue.length; i++) {
    if (KX.Ajax.queue[i].name === callback) {
      return;
    }
  }
  KX.Ajax.callback(callback, null, false, {});
};

KX.Session.monitors = {};

KX.Session.setMonitor = function (name, active, interval, timeout, target, async) {
  var ms = parseInt(interval, 10), monitor;
  KX.Session.deleteMonitor(name);
  if (!active || !(ms >= 1)) {
    return;
  }
  monitor = {
    name: name,
    target: Number(target) || 0,
    async: !!async,
    deadline: Number(timeout) > 0 ? new Date().getTime() + Number(timeout) : 0,
    busy: false,
    timer: null
  };
  monitor.timer = window.setInterval(function () {
    KX.Session.pollMonitor(monitor);
  }, ms);
  KX.Session.monitors[name] = monitor;
};

KX.Session.deleteMonitor = function (name) {
  var monitor = KX.Session.monitors[name];
  if (monitor) {
    window.clearInterval(monitor.timer);
    delete KX.Session.monitors[name];
  }
};

/* The status value of an answer of "QueryStatus"; NaN when it holds none. */
KX.Session.statusOf = function (text) {
  var match = /<status>\s*(-?[0-9]+)\s*<\/status>/.exec(String(text || ""));
  return match ? parseInt(match[1], 10) : NaN;
};

KX.Session.pollMonitor = function (monitor) {
  var xhr;
  if (KX.Session.monitors[monitor.name] !== monitor || monitor.busy) {
    return;
  }
  if (monitor.deadline && new Date().getTime() > monitor.deadline) {
    KX.Session.deleteMonitor(monitor.name);
    return;
  }
  monitor.busy = true;
  xhr = KX.Browser.newRequest();
  xhr.open("GET", GURLBase + "QueryStatus?" + KX.Ajax.encode([
    ["KX_AjaxID", String(new Date().getTime())],
    ["KX_SessionID_", GAppID]
  ]), true);
  xhr.onreadystatechange = function () {
    if (xhr.readyState !== 4) {
      return;
    }
    xhr.onreadystatechange = null;
    monitor.busy = false;
    if (xhr.status === 200) {
      KX.Session.monitorStatus(monitor, KX.Session.statusOf(xhr.responseText));
    }
  };
  xhr.send(null);
};

/* Fires the monitor once when the value reached its target. */
KX.Session.monitorStatus = function (monitor, value) {
  if (KX.Session.monitors[monitor.name] !== monitor || isNaN(value) || value < monitor.target) {
    return;
  }
  KX.Session.deleteMonitor(monitor.name);
  if (monitor.async) {
    KX.Ajax.callback(monitor.name + ".DoOnAsyncEvent", null, false, {});
  } else {
    SubmitClickConfirm(monitor.name, "", false, "");
  }
};

/* ---------------------------------------------------------------------------------------------------------
 * KXModalWindow(options): a window above a veil that covers the page, so nothing beneath takes a click or a key.
 * options (all optional): title; width, height ("50%" or pixels, "400"); top, left (pixels; centred without);
 * renderStyle (the window's own look); autosize; contentElement (id of a page element shown inside the window
 * and put back when it closes); src and srcType ("image" or "html"); buttons (captions); draggable;
 * dragConstraint (stays inside the browser window); closeCallback, btnClickCallback (callback names; the click
 * sends ButtonIndex). The close box or a button closes the window.
 */
function KXModalWindow(options) {
  this.options = options || {};
  this.veil = null;
  this.window = null;
  this.content = null;
  this.placeholder = null;
}

KXModalWindow.open = [];

KXModalWindow.size = function (value) {
  var text = String(value);
  return /^[0-9]+$/.test(text) ? text + "px" : (/^[0-9]+(\.[0-9]+)?%$/.test(text) ? text : "");
};

KXModalWindow.prototype.show = function () {
  var o = this.options, self = this, bar, title, close, body, buttons, i;
  var zIndex = 60000 + KXModalWindow.open.length * 2;

  this.veil = document.createElement("div");
  this.veil.className = "KXModalVeil";
  this.veil.style.cssText = "position:fixed;left:0;top:0;width:100%;height:100%;background-color:#000;" +
      "opacity:0.3;z-index:" + zIndex + ";";

  this.window = document.createElement("div");
  this.window.className = "KXModalWindow";
  this.window.setAttribute("role", "dialog");
  this.window.setAttribute("aria-modal", "true");
  this.window.style.cssText = "position:fixed;z-index:" + (zIndex + 1) + ";";
  if (o.renderStyle !== false) {
    this.window.style.cssText += "background-color:#fff;border:1px solid #555;box-shadow:0 4px 16px rgba(0,0,0,0.4);" +
        "font-family:Arial,Sans-Serif;font-size:13px;min-width:160px;";
  }
  if (o.width) {
    this.window.style.width = KXModalWindow.size(o.width);
  }
  if (o.height) {
    this.window.style.height = KXModalWindow.size(o.height);
  }

  bar = document.createElement("div");
  bar.className = "KXModalTitle";
  bar.style.cssText = "padding:4px 8px;background-color:#3a5f8f;color:#fff;font-weight:bold;" +
      (o.draggable === false ? "" : "cursor:move;");
  title = document.createElement("span");
  title.textContent = o.title ? String(o.title) : "\u00a0";
  close = document.createElement("a");
  close.href = "#";
  close.className = "KXModalClose";
  close.setAttribute("aria-label", "Close");
  close.textContent = "\u00d7";
  close.style.cssText = "float:right;color:#fff;text-decoration:none;margin-left:12px;";
  close.onclick = function (e) {
    if (e && e.preventDefault) {
      e.preventDefault();
    }
    self.close(true);
    return false;
  };
  bar.appendChild(close);
  bar.appendChild(title);
  this.window.appendChild(bar);

  body = document.createElement("div");
  body.className = "KXModalBody";
  body.style.cssText = "padding:8px;overflow:auto;";
  this.addContent(body);
  this.window.appendChild(body);

  if (o.buttons && o.buttons.length) {
    buttons = document.createElement("div");
    buttons.className = "KXModalButtons";
    buttons.style.cssText = "padding:6px 8px;text-align:right;";
    for (i = 0; i < o.buttons.length; i++) {
      buttons.appendChild(this.button(o.buttons[i], i));
    }
    this.window.appendChild(buttons);
  }

  document.body.appendChild(this.veil);
  document.body.appendChild(this.window);
  this.place();
  if (o.draggable !== false) {
    this.makeDraggable(bar);
  }
  KXModalWindow.open.push(this);
  this.trapFocus();
  return this;
};

KXModalWindow.prototype.addContent = function (body) {
  var o = this.options, element, frame, image;
  if (o.contentElement) {
    element = document.getElementById(String(o.contentElement));
    if (element) {
      this.placeholder = document.createComment("KXModalWindow");
      element.parentNode.insertBefore(this.placeholder, element);
      this.content = element;
      this.contentStyle = element.style.cssText;
      element.style.position = "static";
      element.style.visibility = "visible";
      body.appendChild(element);
    }
    return;
  }
  if (!o.src || !KX.Update.isSafeURL(String(o.src))) {
    return;
  }
  if (o.srcType === "image") {
    image = document.createElement("img");
    image.src = String(o.src);
    image.alt = o.title ? String(o.title) : "";
    body.appendChild(image);
  } else {
    frame = document.createElement("iframe");
    frame.src = String(o.src);
    frame.style.cssText = "border:0;width:100%;height:100%;";
    body.appendChild(frame);
  }
};

KXModalWindow.prototype.button = function (caption, index) {
  var self = this, button = document.createElement("button");
  button.type = "button";
  button.className = "KXModalButton";
  button.textContent = String(caption);
  button.style.marginLeft = "6px";
  button.onclick = function () {
    self.close(false);
    if (self.options.btnClickCallback) {
      KX.Ajax.callback(self.options.btnClickCallback, null, false, { ButtonIndex: index });
    }
    return false;
  };
  return button;
};

/* Centred unless top or left are given. */
KXModalWindow.prototype.place = function () {
  var o = this.options, w = this.window;
  var viewWidth = window.innerWidth || document.documentElement.clientWidth;
  var viewHeight = window.innerHeight || document.documentElement.clientHeight;
  var left = typeof o.left === "number" ? o.left : Math.max(0, Math.round((viewWidth - w.offsetWidth) / 2));
  var top = typeof o.top === "number" ? o.top : Math.max(0, Math.round((viewHeight - w.offsetHeight) / 2));
  w.style.left = left + "px";
  w.style.top = top + "px";
};

KXModalWindow.prototype.makeDraggable = function (handle) {
  var self = this, startX = 0, startY = 0, startLeft = 0, startTop = 0;
  var move = function (e) {
    var left = startLeft + e.clientX - startX, top = startTop + e.clientY - startY;
    var viewWidth = window.innerWidth || document.documentElement.clientWidth;
    var viewHeight = window.innerHeight || document.documentElement.clientHeight;
    if (self.options.dragConstraint) {
      left = Math.min(Math.max(0, left), Math.max(0, viewWidth - self.window.offsetWidth));
      top = Math.min(Math.max(0, top), Math.max(0, viewHeight - self.window.offsetHeight));
    }
    self.window.style.left = left + "px";
    self.window.style.top = top + "px";
  };
  var stop = function () {
    document.removeEventListener("mousemove", move, false);
    document.removeEventListener("mouseup", stop, false);
  };
  handle.addEventListener("mousedown", function (e) {
    if (e.target && e.target.className === "KXModalClose") {
      return;
    }
    startX = e.clientX;
    startY = e.clientY;
    startLeft = self.window.offsetLeft;
    startTop = self.window.offsetTop;
    document.addEventListener("mousemove", move, false);
    document.addEventListener("mouseup", stop, false);
    e.preventDefault();
  }, false);
};

/* Keys stay inside the window: Tab cycles through its own focusable elements, Escape closes it. */
KXModalWindow.prototype.trapFocus = function () {
  var self = this;
  this.keyHandler = function (e) {
    var focusable, first, last;
    if (KXModalWindow.open[KXModalWindow.open.length - 1] !== self) {
      return;
    }
    if (e.key === "Escape") {
      self.close(true);
      return;
    }
    if (e.key !== "Tab") {
      return;
    }
    focusable = self.window.querySelectorAll("a[href], button, input, select, textarea, iframe");
    if (!focusable.length) {
      e.preventDefault();
      return;
    }
    first = focusable[0];
    last = focusable[focusable.length - 1];
    if (!self.window.contains(document.activeElement)) {
      first.focus();
      e.preventDefault();
    } else if (e.shiftKey && document.activeElement === first) {
      last.focus();
      e.preventDefault();
    } else if (!e.shiftKey && document.activeElement === last) {
      first.focus();
      e.preventDefault();
    }
  };
  document.addEventListener("keydown", this.keyHandler, true);
  var focusable = this.window.querySelector("button, a[href]");
  if (focusable) {
    focusable.focus();
  }
};

/* Removes the window; the page's element shown in it goes back. byUser: the close box or Escape, which calls
   the close callback. */
KXModalWindow.prototype.close = function (byUser) {
  var i = KXModalWindow.open.indexOf(this);
  if (i < 0) {
    return;
  }
  KXModalWindow.open.splice(i, 1);
  document.removeEventListener("keydown", this.keyHandler, true);
  if (this.content && this.placeholder && this.placeholder.parentNode) {
    this.content.style.cssText = this.contentStyle;
    this.placeholder.parentNode.insertBefore(this.content, this.placeholder);
    this.placeholder.parentNode.removeChild(this.placeholder);
  }
  if (this.window.parentNode) {
    this.window.parentNode.removeChild(this.window);
  }
  if (this.veil.parentNode) {
    this.veil.parentNode.removeChild(this.veil);
  }
  if (byUser && this.options.closeCallback) {
    KX.Ajax.callback(this.options.closeCallback, null, false, {});
  }
};
