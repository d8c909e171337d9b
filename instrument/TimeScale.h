#pragma once
// TZ360_TIME_SCALE (default 1) speeds up every timer and wait of the workstation
// for demonstrations and end-to-end tests; recorded times stay in test seconds.
namespace tz {

double timeScale();               // read once; values <= 0 or unreadable mean 1
int scaledMs(int milliseconds);   // interval divided by the scale, at least 1 ms

}  // namespace tz
