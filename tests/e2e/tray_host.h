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

struct TrayImage {
    UINT width = 0, height = 0, bpp = 0;
    std::vector<BYTE> bits;   // the colour bits, top-down rows
    static size_t Stride(UINT width, UINT bpp) { return (width * bpp + 15) / 16 * 2; }
    COLORREF Pixel(UINT x, UINT y) const {   // CLR_INVALID unless 24 or 32 bits per pixel
        size_t at = y * Stride(width, bpp) + x * (bpp / 8);
        return (bpp == 24 || bpp == 32) && at + 3 <= bits.size() ? RGB(bits[at + 2], bits[at + 1], bits[at]) : CLR_INVALID;
    }
};

struct TrayCall {   // one call, or an icon the tray shows
    DWORD message = 0;   // NIM_ADD, NIM_MODIFY or NIM_DELETE
    HWND window = nullptr;
    UINT id = 0, callback = 0;
    std::string tip;
    TrayImage image;
    void Click(UINT mouse) const { PostMessageA(window, callback, id, mouse); }   // as the shell does
};

struct TrayHost {
    std::vector<TrayCall> calls;      // every call, in order
    std::map<UINT, TrayCall> icons;   // what the tray shows now, by id

    TrayHost() {
        WNDCLASSA trayClass = {0, Receive, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "Shell_TrayWnd"};
        RegisterClassA(&trayClass);
        current = this;
        GetDesktopWindow();   // starts Wine's explorer, whose tray window ours must come after
        window_ = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    ~TrayHost() { DestroyWindow(window_); }

private:
    // The record Wine sends (every field 4-byte aligned); an icon's mask and colour bits follow it.
    struct NotifyData {
        LONG window;
        UINT id, flags, callback;
        WCHAR tip[128];
        DWORD state, stateMask; WCHAR info[256]; UINT version; WCHAR infoTitle[64]; DWORD infoFlags; GUID guid;
        UINT width, height, planes, bpp;
    };

    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (message != WM_COPYDATA || copy->cbData < sizeof(NotifyData)) return DefWindowProcA(window, message, wParam, lParam);
        const auto& data = *static_cast<const NotifyData*>(copy->lpData);
        char tip[512] = {};
        WideCharToMultiByte(CP_ACP, 0, data.tip, static_cast<int>(wcsnlen(data.tip, 128)), tip, sizeof tip - 1, 0, 0);
        TrayCall call{static_cast<DWORD>(copy->dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(data.window)),
                      data.id, data.callback, tip, {}};
        size_t colour = TrayImage::Stride(data.width, data.bpp) * data.height;   // the last bytes
        auto* end = static_cast<const BYTE*>(copy->lpData) + copy->cbData;
        if ((data.flags & NIF_ICON) && copy->cbData >= sizeof data + colour)
            call.image = TrayImage{data.width, data.height, data.bpp, {end - colour, end}};
        current->calls.push_back(call);
        auto shown = current->icons.find(call.id);
        bool known = shown != current->icons.end(), modify = known && call.message == NIM_MODIFY;
        if (call.message == NIM_ADD) current->icons[call.id] = call;
        if (call.message == NIM_DELETE && known) current->icons.erase(shown);
        if (modify && (data.flags & NIF_TIP)) shown->second.tip = call.tip;
        if (modify && (data.flags & NIF_ICON)) shown->second.image = call.image;
        return call.message != NIM_MODIFY || known;   // a change of an icon it does not show fails
    }

    static inline TrayHost* current = nullptr;
    HWND window_ = nullptr;
};
