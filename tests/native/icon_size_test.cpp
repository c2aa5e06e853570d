// IconSize=Auto: the key, the meters' proportions and the icons made at the taskbar's size.
#include <random>

#include "dialog/dialog_actions.h"
#include "fake_os.h"
#include "settings/settings_file.h"

TEST(IconSize, MeterBarsKeepTheirProportionsAtEverySize) {
    // Height -> the lowest load with a bar row, and the rows at half load; a full bar fills all but the last row.
    const struct { int32_t height, first, half; } cases[] = {{16, 7, 7}, {20, 6, 9}, {24, 5, 11}, {32, 4, 15}};
    for (const auto& c : cases)
        for (auto [load, rows] : {std::pair{c.first - 1, 0}, {c.first, 1}, {50, c.half}, {100, c.height - 1}}) EXPECT_EQ(rows, MeterBarRows(load, c.height)) << c.height << " px, " << load;
    std::mt19937 random(7);
    for (int k = 0; k < 2000; ++k) {   // more load never lowers the bar, and each percent adds at most a row
        const int32_t height = cases[k % 4].height, p = static_cast<int32_t>(random() % 100), rows = MeterBarRows(p, height);
        EXPECT_TRUE(rows <= MeterBarRows(p + 1, height) && MeterBarRows(p + 1, height) <= rows + 1) << height << " px, " << p << "%";
    }
}

// Only "Auto" asks the platform anything. Each icon shown is drawn on a base icon made at
// the chosen size, again when it changes; a size the platform cannot tell, or an absurd one, is 16 (at 96 DPI).
TEST(IconSize, AutoMakesEveryIconAtTheTaskbarsSize) {
    for (auto [value, automatic] : {std::pair<const char*, bool>{"Auto", true}, {"aUTO", true}, {"32", false}, {"", false},
                                    {"Autox", false}, {nullptr, false}}) {
        FakeOs os;
        DialogState state{&os};
        if (value != nullptr) os.profile["GENERALOPTIONS/IconSize"] = value;
        PrepareIconSize(state), LoadSettings(os, nullptr, state.options), RereadIconSize(state);
        EXPECT_EQ(automatic ? "1 1 1" : "0 0 0", std::to_string(state.options.IconSize) + " " + std::to_string(os.calls["BecomeDpiAware"]) +
                  " " + std::to_string(os.calls["QueryTrayIconSize"])) << (value ? value : "absent");
    }
    FakeOs os;
    TestList list;
    DialogState state{&os};
    state.options.IconSize = kIconSizeAuto;
    list.Add("\\\\.\\C:", DRIVE_FIXED).activity = ACTIVITY_READ;
    Unit& cpu = list.Add("CPU Usage", UNIT_CPU);
    for (int32_t answer : {20, 24, 0, 100000, 32}) {
        os.trayIconSize = answer, cpu.activity = ACTIVITY_METER, cpu.value = answer % 101;
        RereadIconSize(state);
        const std::string size = std::to_string(answer > 0 && answer < 1000 ? answer : 16) + "px,";
        for (int update = 0; update < 2; ++update) UpdateTrayIcons(os, nullptr, list.end, state.options, state.presenter);
        std::string shown, made;
        for (const auto& [id, icon] : os.trayIcons) shown += icon.first.substr(icon.first.rfind(" on ") + 4) + ",";
        for (const auto& [icon, what] : os.liveIcons) made += what.find(' ') == std::string::npos ? what + "," : "";
        EXPECT_EQ(size + size, shown);
        EXPECT_EQ(size + size + size + size + size, made) << "the earlier sets released";
    }
}
