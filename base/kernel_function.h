// Functions of kernel32 that not every Windows has, looked up when needed so
// that the program still starts where they are missing.
#pragma once

// The named export of kernel32, or null where the system lacks it.
void* KernelFunction(const char* name);
