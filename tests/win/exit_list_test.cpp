// The exit list of the program's own start-up, run in a probe built with it
// (tests/tools/startup/exit_list_probe.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/exit_list.h"
#include "support/spy_log.h"

namespace {

DWORD RunProbe(int registrations) {
    std::string command = "\"" + TestToolPath("exit_list_probe.exe") + "\" " + std::to_string(registrations);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(ExitList, AFullListRunsEveryFunctionLastRegisteredFirst) {
    // The reporting function, registered first, sees all the others ran before it.
    EXPECT_EQ(RunProbe(kExitListCapacity), 100u + kExitListCapacity - 1);
}

TEST(ExitList, ARegistrationPastTheEndStopsTheProgram) {
    EXPECT_EQ(RunProbe(kExitListCapacity + 1), kExitListFullCode);
}

}  // namespace
