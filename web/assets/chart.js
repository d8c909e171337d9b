// A small chart drawer of the program's own (no network needed): lines or
// dots on linear or logarithmic axes, on a canvas.
"use strict";
var TZChart = (function () {
  var margin = { left: 62, right: 14, top: 10, bottom: 40 };

  function niceStep(span, count) {
    var raw = span / Math.max(1, count);
    var mag = Math.pow(10, Math.floor(Math.log10(raw)));
    var f = raw / mag;
    return (f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10) * mag;
  }

  function fmt(v) {
    var a = Math.abs(v);
    if (a !== 0 && (a >= 1e5 || a < 1e-3)) return v.toExponential(0);
    return String(Math.round(v * 1000) / 1000);
  }

  function range(series, key, log) {
    var lo = Infinity, hi = -Infinity;
    series.forEach(function (s) {
      var vs = s[key];
      for (var i = 0; i < vs.length; i++) {
        var v = vs[i];
        if (v === null || !isFinite(v) || (log && v <= 0)) continue;
        if (v < lo) lo = v;
        if (v > hi) hi = v;
      }
    });
    if (lo === Infinity) return null;
    if (log) {
      lo = Math.pow(10, Math.floor(Math.log10(lo)));
      hi = Math.pow(10, Math.ceil(Math.log10(hi)));
      if (hi <= lo) hi = lo * 10;
    } else if (hi === lo) {
      lo -= 1; hi += 1;
    } else {
      var pad = (hi - lo) * 0.04;
      lo -= pad; hi += pad;
    }
    return { lo: lo, hi: hi };
  }

  function ticks(r, log) {
    var out = [];
    if (log) {
      for (var e = Math.round(Math.log10(r.lo)); Math.pow(10, e) <= r.hi * 1.0001; e++) out.push(Math.pow(10, e));
      return out;
    }
    var step = niceStep(r.hi - r.lo, 6);
    for (var v = Math.ceil(r.lo / step) * step; v <= r.hi + step * 1e-9; v += step) out.push(Math.abs(v) < step * 1e-9 ? 0 : v);
    return out;
  }

  function scale(r, log, a, b) {
    if (log) {
      var l0 = Math.log10(r.lo), l1 = Math.log10(r.hi);
      return function (v) { return a + (Math.log10(v) - l0) / (l1 - l0) * (b - a); };
    }
    return function (v) { return a + (v - r.lo) / (r.hi - r.lo) * (b - a); };
  }

  // opts: { series: [{ name, color, xs, ys, dots }], xLabel, yLabel, logX, logY }
  function draw(canvas, opts) {
    var ratio = window.devicePixelRatio || 1;
    var w = canvas.clientWidth, h = canvas.clientHeight;
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
    var g = canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, w, h);
    g.font = "12px sans-serif";
    var xr = range(opts.series, "xs", opts.logX), yr = range(opts.series, "ys", opts.logY);
    if (!xr || !yr) {
      g.fillStyle = "#56616b";
      g.fillText("No points yet.", margin.left, h / 2);
      return;
    }
    var x0 = margin.left, x1 = w - margin.right, y0 = h - margin.bottom, y1 = margin.top;
    var sx = scale(xr, opts.logX, x0, x1), sy = scale(yr, opts.logY, y0, y1);

    g.strokeStyle = "#e3e8ec"; g.fillStyle = "#3b4650"; g.lineWidth = 1;
    g.textAlign = "center"; g.textBaseline = "top";
    ticks(xr, opts.logX).forEach(function (v) {
      var x = Math.round(sx(v)) + 0.5;
      g.beginPath(); g.moveTo(x, y0); g.lineTo(x, y1); g.stroke();
      g.fillText(fmt(v), x, y0 + 4);
    });
    g.textAlign = "right"; g.textBaseline = "middle";
    ticks(yr, opts.logY).forEach(function (v) {
      var y = Math.round(sy(v)) + 0.5;
      g.beginPath(); g.moveTo(x0, y); g.lineTo(x1, y); g.stroke();
      g.fillText(fmt(v), x0 - 4, y);
    });
    g.strokeStyle = "#8a96a0";
    g.strokeRect(x0 + 0.5, y1 + 0.5, x1 - x0, y0 - y1);
    g.textAlign = "center"; g.textBaseline = "bottom";
    g.fillText(opts.xLabel || "", (x0 + x1) / 2, h - 2);

    g.save();
    g.beginPath(); g.rect(x0, y1, x1 - x0, y0 - y1); g.clip();
    opts.series.forEach(function (s) {
      g.strokeStyle = s.color; g.fillStyle = s.color; g.lineWidth = 1.5;
      var started = false, lastCol = null, colMin = 0, colMax = 0, lastX = 0, lastY = 0;
      if (!s.dots) g.beginPath();
      for (var i = 0; i < s.xs.length; i++) {
        var xv = s.xs[i], yv = s.ys[i];
        if (xv === null || yv === null || !isFinite(xv) || !isFinite(yv) ||
            (opts.logX && xv <= 0) || (opts.logY && yv <= 0)) { started = false; continue; }
        var x = sx(xv), y = sy(yv);
        if (s.dots) {
          g.fillRect(x - 2, y - 2, 4, 4);
          if (started) { g.beginPath(); g.moveTo(lastX, lastY); g.lineTo(x, y); g.stroke(); }
          started = true; lastX = x; lastY = y;
          continue;
        }
        // Many points to a pixel column: one vertical stroke from its lowest to its highest.
        var col = Math.round(x);
        if (started && col === lastCol) {
          if (y < colMin) { colMin = y; g.lineTo(x, y); }
          if (y > colMax) { colMax = y; g.lineTo(x, y); }
          continue;
        }
        if (started) g.lineTo(x, y); else g.moveTo(x, y);
        started = true; lastCol = col; colMin = colMax = y;
      }
      if (!s.dots) g.stroke();
    });
    g.restore();

    // Legend, top right.
    g.textAlign = "right"; g.textBaseline = "top";
    var ly = y1 + 4;
    opts.series.forEach(function (s) {
      if (!s.name) return;
      g.fillStyle = s.color;
      g.fillRect(x1 - 14, ly + 3, 10, 8);
      g.fillStyle = "#1d232a";
      g.fillText(s.name, x1 - 18, ly);
      ly += 15;
    });
  }

  return { draw: draw };
})();
