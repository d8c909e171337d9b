#pragma once
// The program's own icon (a rotor and bob), for every window of the process:
// the main window, the frame, each unit window and every dialog take it
// unless they set one of their own.
namespace tz {

void installProgramIcon();

}  // namespace tz
