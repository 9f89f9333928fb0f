/*
 * KXImage.js: the click position of an image control. The server hooks
 *   return ImageClick(this.name, event, validate, 'confirmation');
 * on the IMG (named after the control); the position in pixels from the image's top left corner is posted as the
 * control's submit parameter "x,y".
 */

/* The position of a mouse event inside element, rounded to whole pixels and never negative. */
KX.Image = {};

KX.Image.position = function (element, event) {
  var rect = element.getBoundingClientRect();
  var x = Math.max(0, Math.round(event.clientX - rect.left));
  var y = Math.max(0, Math.round(event.clientY - rect.top));
  return x + "," + y;
};

function ImageClick(name, event, validate, confirmation) {
  var e = event || window.event, element = e ? (e.currentTarget || e.target || e.srcElement) : null;
  if (!element || !name) {
    return false;
  }
  if (e.preventDefault) {
    e.preventDefault();
  }
  return SubmitClickConfirm(name, KX.Image.position(element, e), validate, confirmation);
}

/* The image element of an image control's update: the control's element itself (an IMG or an image INPUT), else
   the IMG inside it (the submit link around a clickable image); an empty image shown as a SPAN gets one. */
KX.Image.target = function (element) {
  var image;
  if (element.tagName === "IMG" || element.tagName === "INPUT") {
    return element;
  }
  image = element.getElementsByTagName("img")[0];
  if (!image) {
    image = document.createElement("img");
    image.alt = "";
    element.appendChild(image);
  }
  return image;
};

/* "IMAGE" and "KXIMAGEFILE": the new source goes to the image; the other properties to the control's element. */
KX.Image.update = function (element, control) {
  var src = KX.Ajax.childElements(control, "src")[0], url;
  if (src) {
    url = KX.Update.plain(src);
    if (url && KX.Update.isSafeURL(url)) {
      KX.Image.target(element).src = url;
    }
    control.removeChild(src);
  }
  return false;
};

KX.Update.types.IMAGE = KX.Image.update;
KX.Update.types.KXIMAGEFILE = KX.Image.update;
