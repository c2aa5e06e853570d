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
    int32_t singleIconShown;          // the single icon (tray id 0) is in the tray
    int32_t singleIconUncertain;      // the shell refused its last call: it may be there or not
    IconHandle singleIconImage;       // the base icon it shows, or is to show; null: not chosen yet
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
// tooltip: an add the shell refuses (it still has the icon) becomes a change,
// a change it refuses (it lost the icon) an add; an icon refused both ways is
// tried again at the next update.
void UpdateTrayIcons(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                     PresenterState& state);

// Deletes every per-unit icon that is, or may be, in the tray, first
// discovered first. The single icon and the Units' own icons stay.
void RemoveTrayIcons(Os& os, WindowHandle dialog, Unit* list);

// Deletes the single icon if it is, or may be, in the tray.
void RemoveSingleIcon(Os& os, WindowHandle dialog, PresenterState& state);

// The shell announced a new tray ("TaskbarCreated"): after a restart it is
// empty, after a change of display settings it still shows every icon. Each
// icon is taken as uncertain, so that the next update puts it back either way.
void ForgetTrayIcons(Unit* list, PresenterState& state);

// The one character drawn on a Unit's icons (none when its name is too short
// to hold one), and its tooltip, cut to 127 characters.
void FormatOverlayText(const Unit& unit, char (&text)[2]);
void FormatTooltip(const Unit& unit, char (&tip)[kTrayTipLength]);
