// A second process for the tests, the soak and the benches: started, waited
// for and released in one way. Windows only.
#pragma once

#include <windows.h>

#include <string>

// Starts a whole command line. With `out` or `err` (inheritable handles), they
// become its standard output and error. False, with `process` empty, when it
// cannot start.
inline bool StartChildProcess(std::string command, PROCESS_INFORMATION& process,
                              HANDLE out = nullptr, HANDLE err = nullptr)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    const bool redirect = out != nullptr || err != nullptr;
    if (redirect) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
    }
    process = PROCESS_INFORMATION{};
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, redirect ? TRUE : FALSE, 0,
                          nullptr, nullptr, &startup, &process) != 0;
}

// Waits up to `timeoutMs` for the end and releases the handles: the exit
// code, or `killedCode` after ending the process by force.
inline DWORD FinishChildProcess(PROCESS_INFORMATION& process, DWORD timeoutMs,
                                DWORD killedCode = 99)
{
    DWORD exitCode = killedCode;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    else
        TerminateProcess(process.hProcess, killedCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
    return exitCode;
}

// Runs a Unix shell command through Wine's start of Unix programs. Wine gives
// no exit code back for those, so the command writes `doneFile` last and this
// waits for it: false when it does not start or `doneFile` is not there in time.
inline bool RunShellCommand(const std::string& shellCommand, const std::string& doneFile,
                            DWORD timeoutMs, std::string* error)
{
    PROCESS_INFORMATION process = {};
    if (!StartChildProcess("/bin/sh -c \"" + shellCommand + "\"", process)) {
        *error = "cannot start " + shellCommand + ": error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD waited = 0; GetFileAttributesA(doneFile.c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += 100) {
        if (waited > timeoutMs) {
            *error = "no " + doneFile + " after " + std::to_string(timeoutMs / 1000) +
                     " s: " + shellCommand;
            return false;
        }
        Sleep(100);
    }
    return true;
}
