#include "shell/startup.h"

#include <commctrl.h>

#include "dialog/dialog_actions.h"
#include "dialog/main_dialog.h"
#include "resources/resource_ids.h"
#include "shell/command_line.h"
#include "units/discovery.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record the gate reads");

namespace {

// Windows older than 2000 cannot run the program; say so before anything shows.
bool WindowsTooOld() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);   // a failed call leaves major version 0: too old
    if (version.dwMajorVersion >= 5) return false;
    MessageBoxA(nullptr, "Blinkwatch requires at least Windows 2000", "Blinkwatch can't start",
                MB_ICONERROR);
    return true;
}

}  // namespace

int BlinkwatchMain(HINSTANCE instance, char* commandTail, DialogState& state) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Blinkwatch");
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Blinkwatch is already running!", "Warning", MB_ICONWARNING);
        ShowRunningDialog();
        return kExitAlreadyRunningOrTooOld;
    }
    // The mutex stays owned until the process ends: it is what later launches see.
    state.StartupLaunch = HasStartupSwitch(commandTail);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    state.options.ProcessorCount = system.dwNumberOfProcessors;
    int exitCode = DiscoverUnits(*state.os, &state.CurrentUnit, state.options);
    if (exitCode != 0) return exitCode;
    if (WindowsTooOld()) return kExitAlreadyRunningOrTooOld;
    PrepareIconSize(state);
    RegisterMainDialogClass(instance);
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = 8;
    controls.dwICC = 0xFFFFFFFF;
    InitCommonControlsEx(&controls);
    state.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    state.showRequestMessage = RegisterWindowMessageA(kShowRequestMessageName);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                            MainDialogProc, reinterpret_cast<LPARAM>(&state)));
}
