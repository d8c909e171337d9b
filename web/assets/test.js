// A test's page: fetches its points once, draws the charts, and while the
// test runs asks every 2 s for the points recorded after the last one seen.
"use strict";
(function () {
  var main = document.getElementById("test");
  if (!main) return;
  var id = main.dataset.id, units = main.dataset.units;
  var running = main.dataset.running === "1";
  var status = document.getElementById("status");
  var cols = null, rows = [], lastTime = null, polls = 0, failures = 0;
  var tempUnit = "";

  function col(name) { return cols.indexOf(name); }

  function series(xName, yName) {
    var xi = col(xName), yi = col(yName), xs = new Array(rows.length), ys = new Array(rows.length);
    for (var i = 0; i < rows.length; i++) {
      var x = rows[i][xi];
      xs[i] = xName === "time_s" && x !== null ? x / 60 : x;
      ys[i] = rows[i][yi];
    }
    return { xs: xs, ys: ys };
  }

  var palette = ["#1565c0", "#c62828", "#2e7d32", "#6a1b9a", "#ef6c00", "#00838f", "#5d4037", "#ad1457"];

  function draw() {
    if (!cols) return;
    var visc = series("time_s", "viscosity_cp"), sample = series("time_s", "sample_temp"),
        bath = series("time_s", "bath_temp"), rate = series("time_s", "shear_rate");
    TZChart.draw(document.getElementById("chart-visc"), {
      series: [{ name: "Viscosity", color: palette[0], xs: visc.xs, ys: visc.ys }], xLabel: "Time (min)" });
    TZChart.draw(document.getElementById("chart-temp"), {
      series: [{ name: "Sample (" + tempUnit + ")", color: palette[1], xs: sample.xs, ys: sample.ys },
               { name: "Bath (" + tempUnit + ")", color: palette[4], xs: bath.xs, ys: bath.ys }],
      xLabel: "Time (min)" });
    TZChart.draw(document.getElementById("chart-rate"), {
      series: [{ name: "Shear rate", color: palette[2], xs: rate.xs, ys: rate.ys }], xLabel: "Time (min)" });
    // Stress against shear rate of the ramp points (type 1), one colour per ramp.
    var byRamp = {}, ri = col("ramp"), ti = col("type"), xi = col("shear_rate"), yi = col("shear_stress");
    for (var i = 0; i < rows.length; i++) {
      var r = rows[i];
      if (r[ti] !== 1 || r[ri] <= 0) continue;
      var s = byRamp[r[ri]] || (byRamp[r[ri]] = { xs: [], ys: [] });
      s.xs.push(r[xi]); s.ys.push(r[yi]);
    }
    var ramps = Object.keys(byRamp).map(Number).sort(function (a, b) { return a - b; });
    TZChart.draw(document.getElementById("chart-ramps"), {
      series: ramps.map(function (n, k) {
        return { name: "Ramp " + n, color: palette[k % palette.length], xs: byRamp[n].xs, ys: byRamp[n].ys, dots: true };
      }),
      xLabel: "Shear rate (1/s)", logX: true, logY: true });
  }

  function showStatus() {
    main.dataset.count = rows.length;
    var count = document.getElementById("point-count");
    if (count) count.textContent = rows.length;
    main.dataset.polls = polls;
    var text = rows.length + " points";
    if (lastTime !== null) text += ", the last at " + (lastTime / 60).toFixed(1) + " min";
    if (running) text += failures ? "; the server does not answer, trying again" : "; following the running test";
    status.textContent = text + ".";
  }

  function fetchPoints(after) {
    var url = "/api/tests/" + encodeURIComponent(id) + "/points?units=" + encodeURIComponent(units);
    if (after !== null) url += "&after=" + encodeURIComponent(after);
    return fetch(url, { credentials: "same-origin", cache: "no-store" }).then(function (r) {
      if (!r.ok) throw new Error("HTTP " + r.status);
      return r.json();
    });
  }

  function take(data) {
    cols = data.columns;
    tempUnit = data.units.temperature;
    for (var i = 0; i < data.points.length; i++) rows.push(data.points[i]);
    if (data.last_time !== null) lastTime = data.last_time;
    running = data.running;
    return data.points.length;
  }

  function poll() {
    fetchPoints(lastTime).then(function (data) {
      polls++;
      failures = 0;
      if (take(data) > 0) draw();
      showStatus();
      if (running) setTimeout(poll, 2000);
    }, function () {
      failures++;
      showStatus();
      setTimeout(poll, Math.min(30000, 2000 * failures));
    });
  }

  fetchPoints(null).then(function (data) {
    take(data);
    draw();
    showStatus();
    if (running) setTimeout(poll, 2000);
  }, function (e) {
    status.textContent = "The points could not be loaded (" + e.message + ").";
  });

  var resizeTimer = null;
  window.addEventListener("resize", function () {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(draw, 150);
  });
})();
