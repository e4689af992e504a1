// Settling the target at start-up: the choice from the settings and the
// command line, the current directory, and the status text with the shell's
// type name.
#pragma once

// Settles the run's target and options, changes the current directory
// unless -c was given, and builds the status text. Returns the text the
// popup shows first: the text after the options, or the status text.
const char* SettleTarget(char* commandLine);
