// The shell's starts that the launch files share.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "launch/launch.h"

// The shell's start of a document or program that hands back its process in
// `process` (the caller owns it): Started, or Failed with the shell's code
// and the system's error.
StartOutcome ShellStartProcess(HWND owner, const char* file, const char* parameters, int show, HANDLE* process);

// The start of `target` as the author asked: through the shell, or, when
// `found` (the program the shell opens it with) is the author's special
// program, that program with the special parameters. `file` and `parameters`
// point into the arguments or into `built`.
void ChooseSpecialProgram(const char* target, const char* found, const char* specialProgram,
                          const char* specialTemplate, const char** file, const char** parameters, HeapText& built);
