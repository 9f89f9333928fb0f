/*
 * KXBackIntercept.js: keeps the browser's Back button on the page.
 *
 * The page calls KXBackIntercept.Init(false, showMessage, message, internalFilesBase) once. A guard entry is
 * put on top of the page's history entry; when Back leaves it, the guard is put back (so the page stays) and,
 * with showMessage, the message is shown. Browsers without the history API get the guard as a fragment
 * ("#kx") instead. The first argument is always false and the internal-files base is not needed by either way.
 */
var KXBackIntercept = {
  showMessage: false,
  message: "",
  started: false,

  Init: function (unused, showMessage, message, internalFilesBase) {
    var self = KXBackIntercept;
    self.showMessage = !!showMessage;
    self.message = String(message || "");
    if (self.started) {
      return;
    }
    self.started = true;
    if (window.history && window.history.pushState) {
      window.history.replaceState({ kxBackIntercept: "page" }, "");
      window.history.pushState({ kxBackIntercept: "guard" }, "");
      KX.Browser.addEvent(window, "popstate", function (e) {
        var state = e && e.state;
        if (state && state.kxBackIntercept === "page") {
          window.history.pushState({ kxBackIntercept: "guard" }, "");
          self.warn();
        }
      });
    } else {
      window.location.hash = "kx";
      KX.Browser.addEvent(window, "hashchange", function () {
        if (window.location.hash !== "#kx") {
          window.location.hash = "kx";
          self.warn();
        }
      });
    }
  },

  warn: function () {
    if (KXBackIntercept.showMessage && KXBackIntercept.message) {
      window.alert(KXBackIntercept.message);
    }
  }
};
