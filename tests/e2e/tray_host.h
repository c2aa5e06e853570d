#pragma once
// A stand-in for the shell's notification area. Wine's Shell_NotifyIcon sends every call as WM_COPYDATA
// to the newest window of class "Shell_TrayWnd": here one on the test's thread, served while it waits.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Handles this thread's messages, the tray's calls among them, until `done` holds.
inline bool Eventually(const std::function<bool()>& done, DWORD milliseconds = 20000) {
    for (DWORD start = GetTickCount();;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

struct TrayCall {   // one call, or an icon the tray shows
    DWORD message = 0;   // NIM_ADD, NIM_MODIFY or NIM_DELETE
    HWND window = nullptr;
    UINT id = 0, callback = 0;
    std::string tip;
    bool refused = false;
    UINT width = 0, height = 0;   // of the icon it carries; 0 without one
    void Click(UINT mouse) const { PostMessageA(window, callback, id, mouse); }   // as the shell does
};

struct TrayHost {
    std::vector<TrayCall> calls;                     // every call, in order
    std::map<std::pair<HWND, UINT>, TrayCall> icons;   // what the tray shows now, by window and id

    TrayHost() {
        WNDCLASSA trayClass = {0, Receive, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "Shell_TrayWnd"};
        RegisterClassA(&trayClass);
        current = this;
        GetDesktopWindow();   // starts Wine's explorer, whose tray window ours must come after
        window_ = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    ~TrayHost() { DestroyWindow(window_); }

private:
    // The start of the record Wine sends (every field 4-byte aligned); the icon's width and height at byte 944.
    struct NotifyData {
        LONG window;
        UINT id, flags, callback;
        WCHAR tip[128];
    };

    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (message != WM_COPYDATA || copy->cbData < sizeof(NotifyData)) return DefWindowProcA(window, message, wParam, lParam);
        const auto& data = *static_cast<const NotifyData*>(copy->lpData);
        char tip[512] = {};
        WideCharToMultiByte(CP_ACP, 0, data.tip, static_cast<int>(wcsnlen(data.tip, 128)), tip, sizeof tip - 1, 0, 0);
        TrayCall call{static_cast<DWORD>(copy->dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(data.window)),
                      data.id, data.callback, tip};
        if (const char* size = static_cast<const char*>(copy->lpData) + 944; (data.flags & NIF_ICON) && copy->cbData >= 952)
            CopyMemory(&call.width, size, 4), CopyMemory(&call.height, size + 4, 4);
        // As the shell (documented, and Wine's explorer alike): an add of an icon it shows is refused, and
        // so is a change or delete of one it does not show.
        auto shown = current->icons.find({call.window, call.id});
        const bool known = shown != current->icons.end();
        current->calls.push_back(call), current->calls.back().refused = call.message == NIM_ADD ? known : !known;
        if (current->calls.back().refused) return FALSE;
        if (call.message == NIM_ADD) current->icons[{call.window, call.id}] = call;
        else if (call.message == NIM_DELETE) current->icons.erase(shown);
        else if (data.flags & NIF_TIP) shown->second.tip = call.tip;
        return TRUE;
    }

    static inline TrayHost* current = nullptr;
    HWND window_ = nullptr;
};
