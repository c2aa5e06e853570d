// The tray host itself: it must see exactly what a program sends to the tray.
#include <gtest/gtest.h>

#include "tray_host.h"

TEST(TrayHost, RecordsAddModifyDeleteWithTipAndImage) {
    TrayHost host;
    ASSERT_TRUE(host.ready());
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 100;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER + 6;
    data.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpyA(data.szTip, "No update yet");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    lstrcpyA(data.szTip, "second");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));

    std::vector<TrayCall> calls = host.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    EXPECT_EQ(owner, calls[0].window);
    EXPECT_EQ(100u, calls[0].id);
    EXPECT_EQ(7u, calls[0].flags);
    EXPECT_EQ(static_cast<UINT>(WM_USER + 6), calls[0].callbackMessage);
    EXPECT_EQ("No update yet", calls[0].tip);
    EXPECT_EQ(32u, calls[0].width);
    EXPECT_FALSE(calls[0].colourBits.empty());
    EXPECT_EQ("second", host.Icons()[100].tip);

    ASSERT_TRUE(host.Click(100, WM_LBUTTONDBLCLK));
    MSG msg = {};
    bool seen = false;
    for (int i = 0; i < 100 && !seen; ++i) {
        while (PeekMessageA(&msg, owner, WM_USER + 6, WM_USER + 6, PM_REMOVE))
            seen = msg.lParam == WM_LBUTTONDBLCLK && msg.wParam == 100;
        if (!seen) Sleep(10);
    }
    EXPECT_TRUE(seen) << "the click reaches the icon's window as its callback message";

    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_TRUE(host.Icons().empty());
    DestroyWindow(owner);
}
