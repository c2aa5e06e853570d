// IconSize=Auto seen from the tray at the system DPIs of 100 to 200 %, which Wine reads from LogPixels when
// a process starts.
#include <gtest/gtest.h>

#include <set>

#include "program.h"

// The widths and heights of every icon a program with these options sent to the tray in its first second.
static std::set<std::pair<UINT, UINT>> IconSizes(const std::string& options) {
    TrayHost tray;
    Program program("[GENERALOPTIONS]\r\nPollinterval=50\r\nPollintervalmeters=100\r\n" + options +
                    "[RAM Usage]\r\nEnabled=Yes\r\n[VRAM Usage]\r\nEnabled=Yes\r\n[NIC #0 Usage]\r\nEnabled=Yes\r\n");
    EXPECT_TRUE(Eventually([&] { return tray.icons.size() == 3; })) << tray.calls.size();
    Eventually([] { return false; }, 1000);   // and the updates that follow
    std::set<std::pair<UINT, UINT>> sizes;
    for (const TrayCall& call : tray.calls) sizes.insert({call.width, call.height});
    sizes.erase({0, 0});   // calls without an icon
    return sizes;   // the program ends with the object
}

TEST(E2eIconSize, EveryIconIsTheTaskbarsSmallIconSize) {
    DWORD saved = 0, length = sizeof saved;
    const bool had = RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved, &length) == 0;
    // System DPI, key -> every icon's size: with Auto the small-icon size of a DPI-aware program (16, 20, 24, 32 px at
    // 100 to 200 %, as on Windows); without the key the resources as Wine loads them, at the large-icon size, as ever.
    const char* automatic = "IconSize=Auto\r\n";
    const struct { DWORD dpi; const char* key; UINT size; } cases[] = {{144, automatic, 24}, {144, "", 48}, {96, automatic, 16},
                                                                        {120, automatic, 20}, {192, automatic, 32}};
    for (const auto& c : cases) {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &c.dpi, sizeof c.dpi);
        EXPECT_EQ((std::set<std::pair<UINT, UINT>>{{c.size, c.size}}), IconSizes(c.key)) << c.dpi << " DPI, " << c.key;
    }
    if (had) RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &saved, sizeof saved);
    else RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
}
