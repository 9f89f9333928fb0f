/*
 * KXSplitter.js: the grip of a region aligned to one side of its parent, dragged to size the region.
 *
 * The grip is the DIV NAME_grip inside the region's DIV; its mousedown calls GripMouseDown(event, side), side
 * being the region's edge the grip lies on ("bottom" for a top-aligned region, "top" for a bottom-aligned one,
 * "right" for left-aligned, "left" for right-aligned). While dragging, the region follows the mouse; when the
 * mouse is released, the region's input NAME_data gets "position,size" (top and height, or left and width,
 * the size with the region's borders), which the next post sends, and the region's aligned siblings make room.
 */
KX.Splitter = {};

/* The region's new rectangle after the mouse moved by dx, dy (sizes kept between 0 and max). */
KX.Splitter.rectAfter = function (start, side, dx, dy, max) {
  var r = CopyRect(start), d;
  switch (side) {
    case "bottom":
      r.height = Math.min(Math.max(0, start.height + dy), max);
      break;
    case "top":
      d = Math.min(Math.max(-start.height, -dy), max - start.height);
      r.top = start.top - d;
      r.height = start.height + d;
      break;
    case "right":
      r.width = Math.min(Math.max(0, start.width + dx), max);
      break;
    case "left":
      d = Math.min(Math.max(-start.width, -dx), max - start.width);
      r.left = start.left - d;
      r.width = start.width + d;
      break;
  }
  return r;
};

/* Moves the reference rectangles of the region's aligned siblings so that the layout makes room for a region
   whose size on side grew by d. */
KX.Splitter.makeRoom = function (region, side, d) {
  var siblings = region.kxParent ? KX.CL.liveChildren(region.kxParent) : [], i, s, r;
  for (i = 0; i < siblings.length; i++) {
    s = siblings[i];
    r = s.Rect;
    if (s === region) {
      continue;
    }
    if (side === "bottom") {
      if (s.Align === alTop && r.top > region.Rect.top) {
        r.top += d;
      } else if (s.Align === alLeft || s.Align === alRight || s.Align === alClient) {
        r.top += d;
        r.height = Math.max(0, r.height - d);
      }
    } else if (side === "top") {
      if (s.Align === alBottom && r.top < region.Rect.top) {
        r.top -= d;
      } else if (s.Align === alLeft || s.Align === alRight || s.Align === alClient) {
        r.height = Math.max(0, r.height - d);
      }
    } else if (side === "right") {
      if (s.Align === alLeft && r.left > region.Rect.left) {
        r.left += d;
      } else if (s.Align === alClient) {
        r.left += d;
        r.width = Math.max(0, r.width - d);
      }
    } else if (side === "left") {
      if (s.Align === alRight && r.left < region.Rect.left) {
        r.left -= d;
      } else if (s.Align === alClient) {
        r.width = Math.max(0, r.width - d);
      }
    }
  }
};

/* How much a client object's size differs now from the size its children were laid out for. */
KX.Splitter.parentDelta = function (parent) {
  var size;
  if (parent.kxIsForm) {
    size = KX.Browser.windowSize();
    return parent.kxRefWidth ? { dx: size.width - parent.kxRefWidth, dy: size.height - parent.kxRefHeight }
        : { dx: 0, dy: 0 };
  }
  return { dx: parent.kxCurrent.width - parent.Rect.width, dy: parent.kxCurrent.height - parent.Rect.height };
};

/* Ends a drag: writes the region's value and lays its parent out anew. */
KX.Splitter.finish = function (name, regionElement, side, before, after) {
  var obj = window[name + "KXCL"], data = KX.$(name + "_data"), border = 0, vertical, delta, grew;
  vertical = side === "top" || side === "bottom";
  if (obj && obj === regionElement) {
    border = Number(obj.BorderWidthPixels) || 0;
    obj.Rect = new Rect(obj.Rect.left + after.left - before.left, obj.Rect.top + after.top - before.top,
        obj.Rect.width + after.width - before.width, obj.Rect.height + after.height - before.height);
    obj.kxCurrent = CopyRect(after);
    grew = vertical ? after.height - before.height : after.width - before.width;
    if (obj.kxParent && grew !== 0) {
      KX.Splitter.makeRoom(obj, side, grew);
      delta = KX.Splitter.parentDelta(obj.kxParent);
      KX.CL.layoutChildren(obj.kxParent, delta.dx, delta.dy);
    }
  }
  if (data) {
    data.value = vertical ? after.top + "," + (after.height + 2 * border)
        : after.left + "," + (after.width + 2 * border);
  }
};

function GripMouseDown(event, side) {
  var e = KX.Browser.event(event), grip = KX.Browser.eventTarget(e), region, name, start, max, parent;
  var current, move, up;
  while (grip && !(grip.id && /_grip$/.test(grip.id))) {
    grip = grip.parentNode;
  }
  if (!grip || !grip.parentNode) {
    return false;
  }
  region = grip.parentNode;
  name = grip.id.substring(0, grip.id.length - "_grip".length);
  start = KX.CL.measure(region);
  current = start;
  parent = region.offsetParent;
  max = side === "top" || side === "bottom" ?
      (parent ? parent.clientHeight : KX.Browser.windowSize().height) :
      (parent ? parent.clientWidth : KX.Browser.windowSize().width);
  move = function (me) {
    me = KX.Browser.event(me);
    current = KX.Splitter.rectAfter(start, side, me.clientX - e.clientX, me.clientY - e.clientY, max);
    region.style.left = current.left + "px";
    region.style.top = current.top + "px";
    region.style.width = current.width + "px";
    region.style.height = current.height + "px";
    KX.Browser.cancelEvent(me);
    return false;
  };
  up = function () {
    KX.Browser.removeEvent(document, "mousemove", move);
    KX.Browser.removeEvent(document, "mouseup", up);
    KX.Splitter.finish(name, region, side, start, current);
  };
  KX.Browser.addEvent(document, "mousemove", move);
  KX.Browser.addEvent(document, "mouseup", up);
  KX.Browser.cancelEvent(e);
  return false;
}
