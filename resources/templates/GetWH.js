function getWH() {
  var w = 0, h = 0;
  if (typeof(window.innerWidth) == "number") {
    w = window.innerWidth; h = window.innerHeight;
  } else if (document.documentElement && (document.documentElement.clientWidth || document.documentElement.clientHeight)) {
    w = document.documentElement.clientWidth; h = document.documentElement.clientHeight;
  } else if (document.body && (document.body.clientWidth || document.body.clientHeight)) {
    w = document.body.clientWidth; h = document.body.clientHeight;
  }
  return [w, h];
}
