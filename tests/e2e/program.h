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
        const char* tested = std::getenv("BLINKWATCH_EXE");
        if (tested == nullptr || !CopyFileA(("Z:" + std::string(tested)).c_str(), (folder + "\\blinkwatch.exe").c_str(), FALSE)) return;
        Launch(settings, arguments, current.empty() ? folder : current);
    }
    ~Program() {
        End();
        std::filesystem::remove_all(folder, ignored);
    }
    void Launch(const std::string& settings, const std::string& arguments, const std::string& current) {   // anew
        std::ofstream(folder + "\\Blinkwatch.ini", std::ios::binary) << settings;
        std::string exe = folder + "\\blinkwatch.exe", line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &startup, &process);
    }
    void End() {   // killed, as from the task manager; no effect once it has ended
        TerminateProcess(process.hProcess, 99), WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread), CloseHandle(process.hProcess), process = {};
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
