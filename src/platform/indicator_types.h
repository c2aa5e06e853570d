#pragma once
// Records that the indicators hand to the platform: the notification-area
// record of one tray call, and what one load meter is to look like.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"

// Notification-area messages.
constexpr uint32_t kTrayAdd = 0;
constexpr uint32_t kTrayModify = 1;
constexpr uint32_t kTrayDelete = 2;

constexpr uint32_t kTrayFlags = 7;            // message, icon and tip are valid
constexpr uint32_t kTrayCallbackMessage = 1030;   // WM_USER + 6, sent to the dialog
constexpr size_t kTrayTipLength = 128;        // 127 characters and the terminating zero

// One tray call's record. The presenter fills one per update and changes only
// the id, the icon and the tip between calls.
struct TrayRecord {
    WindowHandle window;
    uint32_t id;
    uint32_t flags;
    uint32_t callbackMessage;
    IconHandle icon;
    char tip[kTrayTipLength];
};

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

inline bool operator==(Rgb a, Rgb b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Everything a meter drawing needs besides the icon it draws on.
struct MeterStyle {
    int32_t percent;      // printed as it is; the bar uses it clamped to 0..100
    Rgb background;
    bool hasBar;          // false for kinds without a bar colour
    Rgb bar;
};
