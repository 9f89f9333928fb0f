/*
 * KXLinks.js: what the URL links call. NewWindow(url, name, features) opens a browser window (the link's own
 * href is only "#NAME", so the click's default action is cancelled); LoadURL(url) leads the window to url (the
 * stop address that ends the session first), naming the page's session when url is the page's own origin.
 */

/* Cancels the default action of the event being handled, when there is one. */
KX.Links = {};
KX.Links.preventDefault = function () {
  var event = window.event;
  if (event && event.preventDefault) {
    event.preventDefault();
  }
};

function NewWindow(url, name, features) {
  KX.Links.preventDefault();
  return window.open(String(url), String(name || ""), String(features || ""));
}

/* Where LoadURL leads the window (one place, so that it can be watched). */
KX.Links.navigate = function (url) {
  window.location.href = url;
};

/* Whether url, read as the browser reads it from this page, has the page's own origin (scheme, host and port):
 * "//host/x" and "/\host/x" name another host. */
KX.Links.isOwnAddress = function (url) {
  try {
    return new URL(url, window.location.href).origin === window.location.origin && window.location.origin !== "null";
  } catch (e) {
    return false;
  }
};

/* The stop address names the page's session as the page's other requests do: a browser that says nothing of where
 * a request comes from leaves the server only that to tell the page's own link from another site's. An address of
 * another origin never gets the session's id. */
function LoadURL(url) {
  KX.Links.preventDefault();
  url = String(url);
  if (typeof GAppID === "string" && GAppID && KX.Links.isOwnAddress(url)) {
    url += (url.indexOf("?") < 0 ? "?" : "&") + "KX_SessionID_=" + encodeURIComponent(GAppID);
  }
  KX.Links.navigate(url);
}
