/*
 * KXGecko.js: what browsers other than Internet Explorer need to run the page code the server emits.
 *
 * The form's default-submit function (FormDefaultSubmit, the onSubmit of every control wrapper form) reads the
 * global `event` and the submitting form's `all` collection, which only Internet Explorer had originally.
 * Browsers without a global event get one for the duration of each submit, click and key event; elements
 * without `all` get it as the list of their descendant elements.
 */
(function () {
  var proto = window.HTMLElement && window.HTMLElement.prototype;
  if (proto && !("all" in proto) && Object.defineProperty) {
    Object.defineProperty(proto, "all", {
      configurable: true,
      get: function () {
        return this.getElementsByTagName("*");
      }
    });
  }

  if (!("event" in window) && document.addEventListener) {
    var remember = function (e) {
      window.event = e;
      window.setTimeout(function () {
        if (window.event === e) {
          window.event = undefined;
        }
      }, 0);
    };
    var types = ["submit", "click", "keydown", "keypress"], i;
    for (i = 0; i < types.length; i++) {
      document.addEventListener(types[i], remember, true);
    }
  }
})();
