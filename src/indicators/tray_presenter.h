#pragma once
// The tray presenter: after every poll it turns the Units' states into tray
// icons (one per shown Unit, or a single icon for all of them), drives the
// parallel port and, with the single icon, the Scroll Lock LED.
#include <array>
#include <cstdint>

#include "indicators/port_output.h"
#include "platform/os.h"
#include "units/global_options.h"
#include "units/unit.h"

// Slots of the base icon set, in the order of a Unit's own icons.
enum IconSlot { kSlotIdle, kSlotRead, kSlotWrite, kSlotReadWrite, kSlotMeter, kIconSlotCount };

constexpr uint32_t kSingleIconTrayId = 0;
constexpr const char* kSingleIconTip = "Blinkwatch";

// Process-wide presenter state; a value-initialised instance is the state at start.
struct PresenterState {
    // The five shared base icons, by slot. Never released.
    std::array<IconHandle, kIconSlotCount> baseIcons;
    int32_t loadedIconSetAlternate;   // the AlternativeIcons value the set was loaded with
    TrayIcon singleIcon;              // tray id 0
    IconHandle singleIconImage;       // the base icon it is to show; null: not chosen yet
    // The shell answered no call of an icon: no tray call is made before
    // shellRetryTick, and then one icon's calls find out whether it is back.
    bool shellSilent;
    uint32_t shellRetryTick;
    PortState port;
    int32_t iconSize;                 // the size to make the base icons at (ChooseIconSize); 0: load them
    int32_t loadedIconSize;           // the size the set was made at; 0: loaded, shared, never released
};

// Loads the base icons when the set or the icon size changed (or its read icon is missing),
// releasing every Unit's own icons and marking every Unit, so that the poll
// that follows reads what their tooltips show. UpdateTrayIcons does it too.
void LoadIconSet(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                 PresenterState& state);

// One update of every icon, the port and the LED; the .cpp gives the order of
// its steps. Called after each poll pass with the list `list` points into.
// Every icon the tray should show is put there with its current image and
// tooltip, and a call goes out only when one of them differs from what the
// shell last accepted: an add the shell refuses (it still has the icon)
// becomes a change, a change it refuses (it lost the icon) an add. An icon the
// shell refuses both ways means nobody may be answering: the update makes no
// further tray call, and later ones call again once a second has passed, one
// icon first. An icon whose delete was refused may still be shown: its delete
// is tried again at up to two later updates. So while no shell answers, the
// tray gets two calls a second, and three deletes for each icon removed.
void UpdateTrayIcons(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                     PresenterState& state);

// Deletes every per-unit icon that is, or may be, in the tray, first
// discovered first. The single icon and the Units' own icons stay. A refused
// delete leaves the icon as one that may still be shown.
void RemoveTrayIcons(Os& os, WindowHandle dialog, Unit* list);

// Deletes the single icon if it is, or may be, in the tray.
void RemoveSingleIcon(Os& os, WindowHandle dialog, PresenterState& state);

// The shell announced a new tray ("TaskbarCreated"): after a restart it is
// empty, after a change of display settings it still shows every icon. Each
// icon is taken as uncertain and the shell as answering, so that the next
// update puts every icon back either way, at once.
void ForgetTrayIcons(Unit* list, PresenterState& state);

// While monitoring is stopped no update runs, yet the single icon stays: it
// is put back as it was when the shell may have lost it (after
// ForgetTrayIcons). It is then the user's only way back to a hidden window.
void RestoreSingleIcon(Os& os, WindowHandle dialog, PresenterState& state);

// The one character drawn on a Unit's icons (none when its name is too short
// to hold one), and its tooltip, cut to 127 characters.
void FormatOverlayText(const Unit& unit, char (&text)[2]);
void FormatTooltip(const Unit& unit, char (&tip)[kTrayTipLength]);
