// The test list refreshes itself every 30 s so that the running marks follow
// the lab, unless someone is typing a filter.
"use strict";
setInterval(function () {
  var input = document.querySelector("form.filter input");
  if (document.activeElement !== input) location.reload();
}, 30000);
