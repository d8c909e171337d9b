// Signs in with the lab's token sent as a bearer header: the answer sets the
// session cookie, and the token itself never appears in an address.
"use strict";
document.getElementById("login").addEventListener("submit", function (event) {
  event.preventDefault();
  var token = document.getElementById("token").value.trim();
  fetch("/login", { headers: { Authorization: "Bearer " + token }, credentials: "same-origin", cache: "no-store" })
    .then(function (answer) {
      if (answer.status === 204) {
        location.assign("/");
      } else {
        document.getElementById("refused").hidden = false;
      }
    })
    .catch(function () {
      document.getElementById("refused").hidden = false;
    });
});
