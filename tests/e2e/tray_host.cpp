#include "tray_host.h"

#include <cstring>

namespace {

// The record Wine's Shell_NotifyIconW sends, followed, when the call carries
// an icon, by the image's size and its mask and colour bits.
#pragma pack(push, 4)
struct NotifyData {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
    DWORD state;
    DWORD stateMask;
    WCHAR info[256];
    UINT timeoutOrVersion;
    WCHAR infoTitle[64];
    DWORD infoFlags;
    GUID guidItem;
};
struct NotifyIconData {
    UINT width;
    UINT height;
    UINT planes;
    UINT bpp;
};
#pragma pack(pop)

const char kClassName[] = "Shell_TrayWnd";

UINT Stride(UINT width, UINT bits) { return (width * bits + 15) / 16 * 2; }

}  // namespace

COLORREF TrayCall::Pixel(UINT x, UINT y) const {
    UINT bytes = bpp / 8;
    size_t at = static_cast<size_t>(y) * Stride(width, bpp) + static_cast<size_t>(x) * bytes;
    if ((bpp != 24 && bpp != 32) || at + 3 > colourBits.size()) return CLR_INVALID;
    return RGB(colourBits[at + 2], colourBits[at + 1], colourBits[at]);
}

TrayHost::TrayHost() {
    std::unique_lock<std::mutex> lock(mutex_);
    thread_ = std::thread([this] { Run(); });
    changed_.wait_for(lock, std::chrono::seconds(20), [this] { return threadId_ != 0; });
}

TrayHost::~TrayHost() {
    if (threadId_ != 0) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    if (thread_.joinable()) thread_.join();
}

void TrayHost::Run() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    // Wine's own explorer has a tray window too: Shell_NotifyIcon talks to the
    // first one it finds, which is the newest. Touch the desktop first so that
    // explorer is up before ours exists.
    GetDesktopWindow();
    HWND window = nullptr;
    for (int attempt = 0; attempt < 50 && window == nullptr; ++attempt) {
        window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 windowClass.hInstance, this);
        if (window != nullptr && FindWindowExA(nullptr, nullptr, kClassName, nullptr) != window) {
            DestroyWindow(window);
            window = nullptr;
            Sleep(100);
        }
    }
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // make the thread's queue
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
        threadId_ = GetCurrentThreadId();
    }
    changed_.notify_all();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (window != nullptr) DestroyWindow(window);
}

LRESULT CALLBACK TrayHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (message == WM_COPYDATA) {
        auto* host = reinterpret_cast<TrayHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        if (host != nullptr) host->Record(static_cast<DWORD>(copy->dwData), copy->lpData, copy->cbData);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TrayHost::Record(DWORD message, const void* data, DWORD size) {
    if (size < sizeof(NotifyData)) return;
    NotifyData header;
    std::memcpy(&header, data, sizeof header);
    TrayCall call;
    call.message = message;
    call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(header.window));
    call.id = header.id;
    call.flags = header.flags;
    call.callbackMessage = header.callbackMessage;
    char tip[256] = {};
    WideCharToMultiByte(CP_ACP, 0, header.tip, -1, tip, sizeof tip - 1, nullptr, nullptr);
    call.tip = tip;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if ((header.flags & NIF_ICON) && size >= sizeof(NotifyData) + sizeof(NotifyIconData)) {
        NotifyIconData image;
        std::memcpy(&image, bytes + sizeof(NotifyData), sizeof image);
        call.width = image.width;
        call.height = image.height;
        call.bpp = image.bpp;
        size_t maskBytes = static_cast<size_t>(Stride(image.width, 1)) * image.height;
        size_t colourStart = sizeof(NotifyData) + sizeof(NotifyIconData) + maskBytes;
        if (image.bpp > 1 && size > colourStart)
            call.colourBits.assign(bytes + colourStart, bytes + size);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(call);
        if (message == NIM_ADD) {
            icons_[call.id] = call;
        } else if (message == NIM_MODIFY) {
            auto found = icons_.find(call.id);
            if (found != icons_.end()) {
                if (call.flags & NIF_TIP) found->second.tip = call.tip;
                if (call.flags & NIF_ICON) {
                    found->second.width = call.width;
                    found->second.height = call.height;
                    found->second.bpp = call.bpp;
                    found->second.colourBits = call.colourBits;
                }
            }
        } else if (message == NIM_DELETE) {
            icons_.erase(call.id);
        }
    }
    changed_.notify_all();
}

std::vector<TrayCall> TrayHost::Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::map<UINT, TrayCall> TrayHost::Icons() {
    std::lock_guard<std::mutex> lock(mutex_);
    return icons_;
}

void TrayHost::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

bool TrayHost::WaitFor(const std::function<bool(const std::vector<TrayCall>&)>& done,
                       std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(calls_); });
}

bool TrayHost::Click(UINT id, UINT mouseMessage) {
    TrayCall icon;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = icons_.find(id);
        if (found == icons_.end()) return false;
        icon = found->second;
    }
    return PostMessageA(icon.window, icon.callbackMessage, id, mouseMessage) != 0;
}
