#include "shell/startup.h"

#include <commctrl.h>

#include "resources/icon_ids.h"
#include "resources/resource_ids.h"
#include "shell/command_line.h"
#include "shell/main_dialog.h"
#include "units/discovery.h"

namespace {

// The icon of the title bar and the task button: both bars lit.
constexpr int kApplicationIcon = IDI_ALT_READWRITE;

// Windows older than 2000 cannot run the program; say so before anything shows.
void RefuseOldWindows() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);   // a failed call leaves major version 0: too old
    if (version.dwMajorVersion >= 5) return;
    MessageBoxA(nullptr, "Blinkwatch requires at least Windows 2000", "Blinkwatch can't start",
                MB_ICONERROR);
    ExitProcess(kExitAlreadyRunningOrTooOld);
}

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "blinkwatch";
    RegisterClassA(&windowClass);
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record the gate reads");

BOOL RunStartupChecks(HWND dialog, ShellState& state) {
    int exitCode = DiscoverUnits(*state.os, &state.CurrentUnit, state.options);
    if (exitCode != 0) ExitProcess(static_cast<UINT>(exitCode));
    RefuseOldWindows();
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kApplicationIcon));
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    return TRUE;
}

int BlinkwatchMain(HINSTANCE instance, HINSTANCE, char* commandTail, int, ShellState& state) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Blinkwatch");
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Blinkwatch is already running!", "Warning", MB_ICONWARNING);
        return kExitAlreadyRunningOrTooOld;
    }
    // The mutex stays owned until the process ends: it is what later launches see.
    if (HasStartupSwitch(commandTail)) state.StartupLaunch = 1;
    RegisterWindowClass(instance);
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = 8;
    controls.dwICC = 0xFFFFFFFF;
    InitCommonControlsEx(&controls);
    state.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc,
                                            reinterpret_cast<LPARAM>(&state)));
}
