#pragma once
// Runs copies of the shipped blinkwatch.exe as processes under Wine, each in a
// folder of its own with the settings file a test gives it, and finds and
// drives their windows from outside.
#include <windows.h>

#include <string>
#include <vector>

// The Windows path of the shipped executable, from BLINKWATCH_EXE (a Unix path).
std::string ShippedExecutable();

// A fresh folder holding a copy of the executable and, if `settings` is not
// empty, a Blinkwatch.ini with that text. Removed again by RemoveProgramFolder.
std::string MakeProgramFolder(const std::string& settings);
void RemoveProgramFolder(const std::string& folder);
std::string ReadSettingsFile(const std::string& folder);

class Program {
public:
    Program(const std::string& folder, const std::string& arguments);
    ~Program();   // kills the process if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD id() const { return process_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitForExit(DWORD milliseconds);
    // The first top-level dialog of the process whose title starts with `title`.
    HWND FindWindowTitled(const std::string& title, DWORD milliseconds);
    HWND MainDialog(DWORD milliseconds = 20000) { return FindWindowTitled("Blinkwatch V1.08 - ", milliseconds); }

private:
    PROCESS_INFORMATION process_ = {};
};

// The text of a message box's message and a press of its OK button.
std::string MessageBoxText(HWND box);
void PressOk(HWND box);

// Polls `done` every 20 ms until it holds or the time is up.
template <class Done>
bool Eventually(Done done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(20);
    }
}
