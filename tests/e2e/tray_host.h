#pragma once
// A stand-in for the shell's notification area. Wine's Shell_NotifyIcon sends every call as WM_COPYDATA
// to the newest window of class "Shell_TrayWnd": here one on the test's thread, served while it waits.
#include <windows.h>

#include <cstring>
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
    std::vector<DWORD> pixels;    // the image as 0xRRGGBB, row 0 on top; none unless it is a 32-bit image
    DWORD Pixel(UINT x, UINT y) const { return pixels.at(y * width + x) & 0xFFFFFF; }
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
    // The record Wine sends (every field 4-byte aligned), then the image's mask bits and its colour bits.
    struct NotifyData {
        LONG window;
        UINT id, flags, callback;
        WCHAR tip[128];
        BYTE more[8 + 512 + 4 + 128 + 4 + 16];   // state, balloon, time-out, its title and flags, GUID
        UINT width, height, planes, bpp;
    };

    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (message != WM_COPYDATA || copy->cbData < sizeof(NotifyData)) return DefWindowProcA(window, message, wParam, lParam);
        const auto& data = *static_cast<const NotifyData*>(copy->lpData);
        char tip[512] = {};
        WideCharToMultiByte(CP_ACP, 0, data.tip, static_cast<int>(wcsnlen(data.tip, 128)), tip, sizeof tip - 1, 0, 0);
        TrayCall call{static_cast<DWORD>(copy->dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(data.window)),
                      data.id, data.callback, tip, false, 0, 0, {}};
        const size_t mask = (data.width * data.height + 15) / 16 * 2, colour = size_t{data.width} * data.height * 4;
        if (data.flags & NIF_ICON) call.width = data.width, call.height = data.height;
        if ((data.flags & NIF_ICON) && data.bpp == 32 && data.planes == 1 && copy->cbData >= sizeof data + mask + colour) {
            const auto* bits = static_cast<const BYTE*>(copy->lpData) + sizeof data + mask;
            call.pixels.resize(colour / 4);
            std::memcpy(call.pixels.data(), bits, colour);
        }
        // As the shell (documented, and Wine's explorer alike): an add of an icon it shows is refused, and
        // so is a change or delete of one it does not show.
        auto shown = current->icons.find({call.window, call.id});
        const bool known = shown != current->icons.end();
        current->calls.push_back(call), current->calls.back().refused = call.message == NIM_ADD ? known : !known;
        if (current->calls.back().refused) return FALSE;
        if (call.message == NIM_ADD) current->icons[{call.window, call.id}] = call;
        else if (call.message == NIM_DELETE) current->icons.erase(shown);
        else if (data.flags & NIF_ICON) shown->second = call;
        else if (data.flags & NIF_TIP) shown->second.tip = call.tip;
        return TRUE;
    }

    static inline TrayHost* current = nullptr;
    HWND window_ = nullptr;
};
