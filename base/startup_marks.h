// Timestamps of the start-up's pieces, for the benchmark's breakdown only.
// A build made with CORVANE_STARTUP_MARKS defined records a
// QueryPerformanceCounter value at each STARTUP_MARK and writes them all, once
// the popup has been painted, to the file named by the environment variable
// CORVANE_MARKS. In every other build the marks compile to nothing, and the
// shipped program holds none of this.
#pragma once

#ifdef CORVANE_STARTUP_MARKS
void StartupMark(const char* label);
void WriteStartupMarks();
#define STARTUP_MARK(label) StartupMark(label)
#define STARTUP_MARKS_WRITE() WriteStartupMarks()
#else
#define STARTUP_MARK(label) ((void)0)
#define STARTUP_MARKS_WRITE() ((void)0)
#endif
