#pragma once
// The program under test (BLINKWATCH_EXE, a Unix path), copied with the settings a test gives it into a
// folder of its own, run as a process (in that folder unless another is given) and watched from outside;
// ended and removed with the object.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tray_host.h"

struct Program {
    explicit Program(const std::string& settings, const std::string& arguments = "", std::string current = "") {
        static int count = 0;
        folder = (std::filesystem::temp_directory_path() / ("blinkwatch-e2e-" + std::to_string(++count))).string();
        std::filesystem::create_directory(folder);
        std::string exe = folder + "\\blinkwatch.exe", line = "\"" + exe + "\" " + arguments;
        const char* tested = std::getenv("BLINKWATCH_EXE");
        if (tested == nullptr || !CopyFileA(("Z:" + std::string(tested)).c_str(), exe.c_str(), FALSE)) return;
        std::ofstream(folder + "\\Blinkwatch.ini", std::ios::binary) << settings;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (current.empty()) current = folder;
        CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &startup, &process);
    }
    ~Program() {
        TerminateProcess(process.hProcess, 99);   // no effect once it has ended
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::filesystem::remove_all(folder, ignored);
    }

    HWND Window(const char* title) const {   // the program's dialog box of this title, once it is there
        HWND found = nullptr;
        Eventually([&] { return GetWindowThreadProcessId(found = FindWindowA(nullptr, title), nullptr) == process.dwThreadId; });
        return found;
    }
    DWORD Exit() const {   // the exit code, or STILL_ACTIVE if the process does not end in time
        DWORD code = STILL_ACTIVE;
        Eventually([&] { return GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE; });
        return code;
    }
    std::string Settings() const {   // the settings file as it is now
        std::ifstream file(folder + "\\Blinkwatch.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::string folder;
    PROCESS_INFORMATION process = {};
    std::error_code ignored;
};
