#include "program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string ShippedExecutable() {
    const char* unixPath = std::getenv("BLINKWATCH_EXE");
    if (unixPath == nullptr) return std::string();
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string MakeProgramFolder(const std::string& settings) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof folder, "%sblinkwatch-e2e-%lu-%d", temp, GetCurrentProcessId(), ++counter);
    CreateDirectoryA(folder, nullptr);
    std::string exe = std::string(folder) + "\\blinkwatch.exe";
    CopyFileA(ShippedExecutable().c_str(), exe.c_str(), FALSE);
    if (!settings.empty()) {
        FILE* file = std::fopen((std::string(folder) + "\\Blinkwatch.ini").c_str(), "wb");
        if (file != nullptr) {
            std::fwrite(settings.data(), 1, settings.size(), file);
            std::fclose(file);
        }
    }
    return folder;
}

void RemoveProgramFolder(const std::string& folder) {
    DeleteFileA((folder + "\\blinkwatch.exe").c_str());
    DeleteFileA((folder + "\\Blinkwatch.ini").c_str());
    RemoveDirectoryA(folder.c_str());
}

std::string ReadSettingsFile(const std::string& folder) {
    std::string text;
    FILE* file = std::fopen((folder + "\\Blinkwatch.ini").c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

Program::Program(const std::string& folder, const std::string& arguments) {
    std::string exe = folder + "\\blinkwatch.exe";
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process_))
        process_ = {};
}

Program::~Program() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

DWORD Program::WaitForExit(DWORD milliseconds) {
    if (process_.hProcess == nullptr) return STILL_ACTIVE;
    WaitForSingleObject(process_.hProcess, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(className, "#32770") == 0 &&
        std::strncmp(text, search->title->c_str(), search->title->size()) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND Program::FindWindowTitled(const std::string& title, DWORD milliseconds) {
    WindowSearch search = {process_.dwProcessId, &title, nullptr};
    Eventually([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, milliseconds);
    return search.found;
}

std::string MessageBoxText(HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);   // the box's message is its static 0xFFFF
    return text;
}

void PressOk(HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
