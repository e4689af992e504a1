// The exit list of the program's own start-up (app/startup_win.cpp): the
// functions registered with atexit, run last first before the process exits.
#pragma once

// The compiler registers one destructor per process-wide record that has one
// (settings, run, popup, splash), from the records' constructors, before
// WinMain. The rest is room for records still to come.
constexpr int kExitListCapacity = 8;

// The exit code of a start stopped because a registration did not fit:
// Windows' own code for a program that ended itself on a fatal error
// (STATUS_FATAL_APP_EXIT), never one of the program's documented codes.
constexpr unsigned kExitListFullCode = 0x40000015u;
