/*
 * Silverlight.createObjectEx, as the Silverlight controls' page script calls it. No current browser runs
 * Silverlight content, so in place of the plug-in the parent element shows a plain notice, and the script never
 * fails the page.
 */
var Silverlight = {
  NOTICE: "This content needs the Silverlight plug-in, which current browsers no longer run.",

  isInstalled: function () {
    return false;
  },

  /* params: { source, parentElement, id, properties: { width, height, ... }, events, context }. */
  createObjectEx: function (params) {
    var parent = params && params.parentElement, notice;
    if (!parent && params && params.id) {
      parent = document.getElementById(String(params.id));
    }
    if (!parent || !parent.appendChild) {
      return null;
    }
    notice = document.createElement("div");
    notice.className = "KXPluginNotice";
    notice.style.padding = "8px";
    notice.style.border = "1px dashed #808080";
    notice.style.color = "#404040";
    notice.style.font = "12px sans-serif";
    notice.appendChild(document.createTextNode(Silverlight.NOTICE));
    parent.appendChild(notice);
    return notice;
  }
};
