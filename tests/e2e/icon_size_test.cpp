// IconSize=Auto seen from the tray at the system DPIs of 100 to 200 %, which Wine reads from LogPixels when
// a process starts.
#include <gtest/gtest.h>

#include <set>

#include "program.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// The widths and heights of every icon a program with these options sent to the tray over its first updates.
std::set<std::pair<UINT, UINT>> IconSizes(const std::string& options) {
    TrayHost tray;
    Program program("[GENERALOPTIONS]\r\nPollinterval=50\r\nPollintervalmeters=100\r\n" + options +
                    "[RAM Usage]\r\nEnabled=Yes\r\n[VRAM Usage]\r\nEnabled=Yes\r\n[NIC #0 Usage]\r\nEnabled=Yes\r\n");
    EXPECT_TRUE(Eventually([&] { return tray.icons.size() == 3 && tray.calls.size() >= 9; })) << tray.calls.size();
    std::set<std::pair<UINT, UINT>> sizes;
    for (const TrayCall& call : tray.calls)
        if (call.width + call.height != 0) sizes.insert({call.width, call.height});
    if (!tray.calls.empty()) PostMessageA(tray.calls[0].window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.Exit());
    return sizes;
}

}  // namespace

TEST(E2eIconSize, EveryIconIsTheTaskbarsSmallIconSize) {
    DWORD saved = 0, length = sizeof saved;
    const bool had = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved, &length) == 0;
    // System DPI -> the small-icon size a DPI-aware program gets (16, 20, 24, 32 px at 100 to 200 %, as on Windows).
    const struct { DWORD dpi; UINT size; } cases[] = {{144, 24}, {96, 16}, {120, 20}, {192, 32}};
    for (const auto& c : cases) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &c.dpi, sizeof c.dpi);
        EXPECT_EQ((std::set<std::pair<UINT, UINT>>{{c.size, c.size}}), IconSizes("IconSize=Auto\r\n")) << c.dpi << " DPI";
        if (c.dpi != 144) continue;   // without the key the resources come as Wine loads them, at the large-icon size
        EXPECT_EQ((std::set<std::pair<UINT, UINT>>{{48, 48}}), IconSizes("")) << "no key";
    }
    if (had) RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &saved, sizeof saved);
    else RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
}
