KX.implicitSubmit = {%IMPLICITSUBMIT%};
var GURLBase="{%URLBASE%}";
var GAppID="{%APPID%}";
var GTrackID={%TRACKID%};
