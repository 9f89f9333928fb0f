/*
 * A small jQuery plug-in of the demo: $(selector).kxHighlight(colour) gives the elements a background colour and
 * marks them with data-kx-highlight="on". The gallery's script widget loads it and calls it when the page is ready.
 */
(function ($) {
  $.fn.kxHighlight = function (colour) {
    return this.each(function () {
      $(this).css("background-color", colour || "#ffef9f").attr("data-kx-highlight", "on");
    });
  };
}(jQuery));
