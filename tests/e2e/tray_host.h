#pragma once
// A stand-in for the shell's notification area under Wine. Wine's
// Shell_NotifyIcon sends every call as WM_COPYDATA to the first top-level
// window of class "Shell_TrayWnd"; the host owns such a window on its own
// thread, records every call, keeps the icons that are in the tray, and can
// click them the way the shell does (by posting the callback message).
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TrayCall {
    DWORD message = 0;          // NIM_ADD, NIM_MODIFY, NIM_DELETE
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::string tip;            // the tooltip, converted back to ANSI
    UINT width = 0, height = 0, bpp = 0;
    std::vector<unsigned char> colourBits;   // top-down rows, as GetBitmapBits gives them

    // The colour of one pixel of the icon image, for 24 and 32 bits per pixel.
    COLORREF Pixel(UINT x, UINT y) const;
};

class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    bool ready() const { return window_ != nullptr; }

    std::vector<TrayCall> Calls();
    std::map<UINT, TrayCall> Icons();        // what the tray shows now, by id
    void Clear();

    // Waits until `done` holds for the recorded calls; false on time-out.
    bool WaitFor(const std::function<bool(const std::vector<TrayCall>&)>& done,
                 std::chrono::milliseconds timeout);

    // Acts as the user's mouse on the icon with this id.
    bool Click(UINT id, UINT mouseMessage);

private:
    void Run();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void Record(DWORD message, const void* data, DWORD size);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TrayCall> calls_;
    std::map<UINT, TrayCall> icons_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};
