#include "indicators/tray_presenter.h"

#include <cstdio>
#include <cstring>

#include "indicators/meter.h"
#include "resources/icon_ids.h"
#include "units/unit_list.h"

namespace {

constexpr std::array<int, kIconSlotCount> kNormalIcons = {IDI_IDLE, IDI_READ, IDI_WRITE,
                                                          IDI_READWRITE, IDI_METER};
constexpr std::array<int, kIconSlotCount> kAlternateIcons = {IDI_ALT_IDLE, IDI_ALT_READ,
                                                             IDI_ALT_WRITE, IDI_ALT_READWRITE,
                                                             IDI_METER};
// The single icon's base icon for a fold of 0, 1, 2 or 3.
constexpr std::array<IconSlot, 4> kFoldSlots = {kSlotIdle, kSlotWrite, kSlotRead, kSlotReadWrite};

constexpr const char* kPhysicalDrivePrefix = "\\\\.\\PHYSICALDRIVE";
constexpr const char* kDriveLetterPrefix = "\\\\.\\";

// Everything one update carries from Unit to Unit.
struct UpdatePass {
    Os& os;
    WindowHandle dialog;
    Unit* list;
    const GlobalOptions& options;
    PresenterState& state;
    TrayRecord record;
    int fold;        // activities of the Units that changed, OR-ed together
    bool pending;    // the single icon has a change to show
};

TrayRecord NotifyRecord(WindowHandle dialog, IconHandle icon, const char* tip) {
    TrayRecord record{};
    record.window = dialog;
    record.id = 0;
    record.icon = icon;
    std::snprintf(record.tip, sizeof record.tip, "%s", tip);
    return record;
}

bool IsBaseIcon(const PresenterState& state, IconHandle icon) {
    for (IconHandle base : state.baseIcons)
        if (base == icon) return true;
    return false;
}

// A Unit's own icon is destroyed when it is replaced; a base icon, which a
// slot holds after a drawing that could not make its icon, never is.
void ReleaseUnitIcon(Os& os, const PresenterState& state, IconHandle icon) {
    if (icon != nullptr && !IsBaseIcon(state, icon)) os.ReleaseIcon(icon);
}

void ReleaseUnitIcons(Os& os, const PresenterState& state, Unit& unit) {
    for (IconHandle* slot : {&unit.iconIdle, &unit.iconRead, &unit.iconWrite, &unit.iconReadWrite,
                             &unit.iconMeter}) {
        ReleaseUnitIcon(os, state, *slot);
        *slot = nullptr;
    }
    unit.iconShown = nullptr;   // a new icon may come back with a released one's handle
    unit.meterDrawn = 0;
}

void ReloadBaseIcons(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                     PresenterState& state) {
    state.loadedIconSetAlternate = options.AlternativeIcons;
    WalkBackward(list, [&](Unit& unit) {
        ReleaseUnitIcons(os, state, unit);
        unit.dirty = 1;
    });
    const auto& resources = options.AlternativeIcons != 0 ? kAlternateIcons : kNormalIcons;
    for (size_t slot = 0; slot < resources.size(); ++slot)
        state.baseIcons[slot] = os.LoadProgramIcon(dialog, resources[slot]);
}

// The text after `prefix` (a short constant) in the name, or "" when the
// name ends sooner.
const char* TextAfter(const char (&name)[kPathLength], const char* prefix) {
    size_t skip = std::strlen(prefix);
    return std::memchr(name, '\0', skip) != nullptr ? "" : name + skip;
}

void BuildUnitIcons(Os& os, const PresenterState& state, Unit& unit) {
    ReleaseUnitIcons(os, state, unit);   // what an earlier, partly failed build left
    char text[2];
    FormatOverlayText(unit, text);
    unit.iconIdle = os.DrawIconText(state.baseIcons[kSlotIdle], text);
    unit.iconRead = os.DrawIconText(state.baseIcons[kSlotRead], text);
    unit.iconWrite = os.DrawIconText(state.baseIcons[kSlotWrite], text);
    unit.iconReadWrite = os.DrawIconText(state.baseIcons[kSlotReadWrite], text);
    unit.iconMeter = os.DrawIconText(state.baseIcons[kSlotMeter], text);
}

IconHandle IconForActivity(const Unit& unit) {
    switch (unit.activity) {
    case ACTIVITY_WRITE: return unit.iconWrite;
    case ACTIVITY_READ: return unit.iconRead;
    case ACTIVITY_READWRITE: return unit.iconReadWrite;
    case ACTIVITY_METER: return unit.iconMeter;
    default: return unit.iconIdle;
    }
}

// Draws the meter for the Unit's current value, unless its icon already
// shows exactly that (a tooltip figure alone changed). The previous meter
// icon is released once it is no longer kept, also when the drawing failed
// and the slot empties. An empty slot is drawn anew on the meter base icon, so
// one failed drawing does not leave the meter blank until the next rebuild.
void RenewMeterIcon(UpdatePass& pass, Unit& unit) {
    const MeterStyle look = MeterStyleFor(unit, pass.options);
    if (unit.meterDrawn != 0 && unit.meterLook == look) return;
    IconHandle previous = unit.iconMeter;
    IconHandle canvas = previous != nullptr ? previous : pass.state.baseIcons[kSlotMeter];
    IconHandle drawn = pass.os.DrawIconMeter(canvas, look);
    if (drawn != previous) ReleaseUnitIcon(pass.os, pass.state, previous);
    unit.iconMeter = drawn;
    if (drawn != canvas) unit.meterDrawn = drawn != nullptr, unit.meterLook = look;   // else nothing was drawn
}

// Sends the record as a change of its icon, of the tooltip alone when the
// tray already shows `shown` and that is the record's image. The shell can
// lose an icon without a word (its host restarted by hand, a policy, a full
// tray): then the change fails and the icon is added again at once, as the
// record shows it, and `shown` becomes the record's image. False when that
// add fails too.
bool ModifyOrAddAgain(Os& os, TrayRecord& record, IconHandle& shown) {
    record.tipOnly = record.icon != nullptr && record.icon == shown;
    if (!os.NotifyTray(kTrayModify, record) && !os.NotifyTray(kTrayAdd, record)) return false;
    shown = record.icon;
    return true;
}

void ShowUnitChange(UpdatePass& pass, Unit& unit) {
    if (unit.iconIdle == nullptr) BuildUnitIcons(pass.os, pass.state, unit);
    if (unit.activity == ACTIVITY_METER) RenewMeterIcon(pass, unit);
    pass.record.id = static_cast<uint32_t>(unit.trayId);
    pass.record.icon = IconForActivity(unit);
    FormatTooltip(unit, pass.record.tip);
    if (!ModifyOrAddAgain(pass.os, pass.record, unit.iconShown))
        unit.trayIconAdded = 0;   // added at the next update
    unit.dirty = 0;
}

void PresentOwnIcon(UpdatePass& pass, Unit& unit) {
    if (unit.enabled != 0 && unit.showInTray != 0) {
        if (unit.trayIconAdded == 0) {
            // Added with whatever icon and tip the record holds; the Unit's
            // own follow on the next update. A refused add is tried again then.
            pass.record.id = static_cast<uint32_t>(unit.trayId);
            unit.dirty = 1;
            if (pass.os.NotifyTray(kTrayAdd, pass.record)) unit.trayIconAdded = unit.trayId;
            unit.iconShown = nullptr;   // the record's image may be another Unit's, released later
        } else if (unit.dirty != 0) {
            ShowUnitChange(pass, unit);
        }
    } else if (unit.trayIconAdded != 0) {
        pass.record.id = static_cast<uint32_t>(unit.trayId);
        unit.trayIconAdded = 0;
        pass.os.NotifyTray(kTrayDelete, pass.record);
    }
}

void FoldIntoSingleIcon(UpdatePass& pass, Unit& unit) {
    if (unit.dirty == 0) return;
    pass.fold |= unit.activity;
    pass.pending = true;
    unit.dirty = 0;
}

void PresentSingleIcon(UpdatePass& pass) {
    TrayRecord& record = pass.record;
    if (pass.state.singleIconShown != 0) {
        // A folded load change (9 and up) keeps the icon the record holds.
        if (pass.fold < static_cast<int>(kFoldSlots.size())) record.icon = pass.state.baseIcons[kFoldSlots[pass.fold]];
        if (pass.options.KeyboardLED != 0)
            SetKeyboardLed(pass.os, kScrollLockKey, pass.fold != 0 ? 1 : 0);
        if (pass.pending) {
            std::snprintf(record.tip, sizeof record.tip, "%s", kSingleIconTip);
            if (pass.options.Staticicon != 0) record.icon = pass.state.baseIcons[kSlotIdle];
            record.id = kSingleIconTrayId;
            if (!ModifyOrAddAgain(pass.os, record, pass.state.singleIconImage))
                pass.state.singleIconShown = 0;   // added at the next update
            pass.pending = false;
        }
    } else if (pass.options.SingleIconMode != 0) {
        RemoveTrayIcons(pass.os, pass.dialog, pass.list);
        record.id = kSingleIconTrayId;
        record.icon = pass.state.baseIcons[kSlotIdle];
        std::snprintf(record.tip, sizeof record.tip, "%s", kSingleIconTip);
        pass.state.singleIconShown = pass.os.NotifyTray(kTrayAdd, record);
        pass.state.singleIconImage = record.icon;
    }
}

void PresentUnit(UpdatePass& pass, Unit& unit) {
    if (unit.enabled != 0 && unit.parallelPortEnabled != 0)
        WriteParallelPort(pass.os, pass.state.port, unit);
    if (pass.options.SingleIconMode == 0) PresentOwnIcon(pass, unit);
    else FoldIntoSingleIcon(pass, unit);
    PresentSingleIcon(pass);
    if (pass.options.SingleIconMode == 0 && pass.state.singleIconShown != 0) {
        pass.record.id = kSingleIconTrayId;
        pass.os.NotifyTray(kTrayDelete, pass.record);
        pass.state.singleIconShown = 0;
    }
}

}  // namespace

void FormatOverlayText(const Unit& unit, char (&text)[2]) {
    const char* source;
    switch (unit.kind) {
    case DRIVE_NO_ROOT_DIR: source = TextAfter(unit.name, kPhysicalDrivePrefix); break;
    case DRIVE_FIXED: source = TextAfter(unit.name, kDriveLetterPrefix); break;
    case UNIT_CPU:
    case UNIT_RAM:
    case UNIT_VRAM: source = "~"; break;
    case UNIT_NIC: source = "@"; break;
    default: source = "!"; break;
    }
    std::snprintf(text, sizeof text, "%1.1s", source);
}

void FormatTooltip(const Unit& unit, char (&tip)[kTrayTipLength]) {
    // Text fields are printed with a bound, so a record whose buffer lost its
    // terminating zero still cannot be read past its end. A longer tip is cut
    // at 127 characters, as the notification area holds no more.
    int written;
    switch (unit.kind) {
    case UNIT_CPU:
        written = std::snprintf(tip, sizeof tip, "CPU(%d):\nUsage: %d%%",
                                static_cast<int>(unit.cpuIndex), unit.value);
        break;
    case UNIT_RAM:
        written = std::snprintf(tip, sizeof tip, "RAM:\nUsage: %d%%\nFree: %dMB / %dMB", unit.value,
                                unit.ramFreeMB, unit.ramTotalMB);
        break;
    case UNIT_VRAM:
        written = std::snprintf(tip, sizeof tip, "Virtual RAM:\nUsage: %d%%\nFree: %dMB / %dMB",
                                unit.value, unit.vramFreeMB, unit.vramTotalMB);
        break;
    case UNIT_NIC:
        written = std::snprintf(tip, sizeof tip, "Network (%d):\nUsage: %d%%\nDescription: %.259s",
                                unit.nicIndex, unit.value, unit.label);
        break;
    default: {
        // A drive not sampled yet has no unit letter; a zero there would end the text.
        char sizeUnit = unit.sizeUnit != '\0' ? unit.sizeUnit : ' ';
        written = std::snprintf(
            tip, sizeof tip,
            "Drive: %.259s\nVolume: %.259s\nFilesystem: %.259s\nFree capacity: %u / %u%cB (%d%%)",
            unit.name, unit.label, unit.fileSystem, unit.freeScaled, unit.totalScaled, sizeUnit,
            unit.value);
        break;
    }
    }
    if (written < 0) tip[0] = '\0';
}

// One update: (re)load the base icons when the read icon is missing or the
// set changed, releasing every Unit's own icons; start one record with the
// idle icon and "No update yet"; then, for each Unit from the last discovered
// back to the first: its port lines, its own icon (or its share of the single
// icon's fold), the single icon's turn, and leaving single icon mode. Ends by
// giving up the rest of the time slice.
void UpdateTrayIcons(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                     PresenterState& state) {
    if (state.baseIcons[kSlotRead] == nullptr ||
        options.AlternativeIcons != state.loadedIconSetAlternate)
        ReloadBaseIcons(os, dialog, list, options, state);
    UpdatePass pass{os, dialog, list, options, state,
                    NotifyRecord(dialog, state.baseIcons[kSlotIdle], kNoUpdateTip), 0, false};
    WalkBackward(list, [&](Unit& unit) { PresentUnit(pass, unit); });
    os.YieldTimeSlice();
}

void RemoveTrayIcons(Os& os, WindowHandle dialog, Unit* list) {
    TrayRecord record = NotifyRecord(dialog, nullptr, "");
    WalkForward(list, [&](Unit& unit) {
        if (unit.trayIconAdded == 0) return;
        record.id = static_cast<uint32_t>(unit.trayId);
        os.NotifyTray(kTrayDelete, record);
        unit.trayIconAdded = 0;
    });
}

void RemoveSingleIcon(Os& os, WindowHandle dialog, PresenterState& state) {
    if (state.singleIconShown == 0) return;
    os.NotifyTray(kTrayDelete, NotifyRecord(dialog, nullptr, ""));   // the single icon's id is 0
    state.singleIconShown = 0;
}
