#include "indicators/tray_presenter.h"

#include <cstdio>
#include <cstring>

#include "indicators/icon_size.h"
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

constexpr uint32_t kShellRetryMs = 1000;   // while nobody answers: one try a second, for all icons
constexpr uint8_t kDeleteTries = 3;        // updates that delete an icon that may still be shown

// The tray calls of one update, or of one put outside the updates.
struct ShellCalls {
    Os& os;
    WindowHandle dialog;
    PresenterState& state;
    bool calling;          // the shell may be called
};

// Everything one update carries from Unit to Unit.
struct UpdatePass {
    ShellCalls shell;
    Os& os;
    const GlobalOptions& options;
    PresenterState& state;
    int fold;              // activities of the Units that changed, OR-ed together
    bool pending;          // the single icon has a change to show
    IconHandle foldImage;  // the base icon of the fold while it was a light's state
};

TrayRecord NotifyRecord(WindowHandle dialog, uint32_t id, IconHandle icon) {
    TrayRecord record{};
    record.window = dialog;
    record.id = id;
    record.icon = icon;
    return record;
}

// The icon may or may not be in the tray, and what it shows is not known.
void MarkUncertain(TrayIcon& icon) {
    icon.state = TRAY_ICON_UNCERTAIN;
    icon.image = nullptr;
    icon.tip[0] = '\0';
}

// After a put: an answer ends a silence of the shell, and a put refused both
// ways starts one (or another): no call for the rest of this update, nor
// before a second has passed. A refused delete tells nothing: a shell that
// answers refuses to delete an icon it lost, as every icon after a restart.
void NoteAnswer(ShellCalls& shell, bool answered) {
    PresenterState& state = shell.state;
    state.shellSilent = !answered;
    if (answered) return;
    state.shellRetryTick = shell.os.QueryTickCount() + kShellRetryMs;
    shell.calling = false;
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

// A replaced meter is followed by a change that carries its successor, but
// new icons may come back with the released ones' handles: what the tray
// shows is no longer known by its handle.
void ReleaseUnitIcons(Os& os, const PresenterState& state, Unit& unit) {
    for (IconHandle* slot : {&unit.iconIdle, &unit.iconRead, &unit.iconWrite, &unit.iconReadWrite,
                             &unit.iconMeter}) {
        ReleaseUnitIcon(os, state, *slot);
        *slot = nullptr;
    }
    unit.tray.image = nullptr;
    unit.meterDrawn = 0;
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

// Puts the record's image and tooltip into the tray; when the shell refuses,
// the icon is uncertain and put again later. Nothing is sent when the shell
// already accepted both. An
// icon taken to be there is changed (the tooltip alone when the image is the
// one the shell has); one that is not, or may not be, is added. The shell
// refuses an add of an icon it has and a change of one it has not, so the
// other call follows a refusal: a change fails when the shell lost the icon
// without a word, an add when it kept the icon through a restart of the tray
// or applied an earlier call late.
void PutIcon(ShellCalls& shell, TrayIcon& icon, TrayRecord& record) {
    const bool shown = icon.state == TRAY_ICON_SHOWN;
    if (shown && record.icon == icon.image && std::strcmp(record.tip, icon.tip) == 0) return;
    record.tipOnly = shown && record.icon != nullptr && record.icon == icon.image;   // an add ignores it
    const bool put = shell.os.NotifyTray(shown ? kTrayModify : kTrayAdd, record) ||
                     shell.os.NotifyTray(shown ? kTrayAdd : kTrayModify, record);
    NoteAnswer(shell, put);
    if (!put) {
        MarkUncertain(icon);
        return;
    }
    icon = TrayIcon{TRAY_ICON_SHOWN, 0, record.icon, {}};
    std::memcpy(icon.tip, record.tip, sizeof icon.tip);
}

// Deletes an icon that is, or may be, in the tray. A refused delete leaves it
// as one that may be: a busy shell refuses, and goes on showing the icon.
void DeleteIcon(Os& os, WindowHandle dialog, uint32_t id, TrayIcon& icon) {
    if (icon.state == TRAY_ICON_ABSENT) return;
    if (os.NotifyTray(kTrayDelete, NotifyRecord(dialog, id, nullptr))) {
        icon = TrayIcon{};
        return;
    }
    const uint8_t refused = icon.refusedDeletes;
    MarkUncertain(icon);
    icon.refusedDeletes = static_cast<uint8_t>(refused + (refused < kDeleteTries));
}

// The delete of an update: tried a few times for an icon that may be shown.
void DeleteInUpdate(ShellCalls& shell, uint32_t id, TrayIcon& icon) {
    if (!shell.calling || icon.state == TRAY_ICON_ABSENT || icon.refusedDeletes >= kDeleteTries) return;
    DeleteIcon(shell.os, shell.dialog, id, icon);
}

// Sends the Unit's own icon for its activity with its tooltip, building its
// icons first when it has none and drawing its meter anew. An icon the shell
// refused is uncertain, which has it put again with what it is to show then.
void PutUnitIcon(UpdatePass& pass, Unit& unit) {
    if (unit.iconIdle == nullptr) BuildUnitIcons(pass.os, pass.state, unit);
    if (unit.activity == ACTIVITY_METER) RenewMeterIcon(pass, unit);
    TrayRecord record = NotifyRecord(pass.shell.dialog, static_cast<uint32_t>(unit.trayId), IconForActivity(unit));
    FormatTooltip(unit, record.tip);
    PutIcon(pass.shell, unit.tray, record);
    unit.dirty = 0;
}

void FoldIntoSingleIcon(UpdatePass& pass, Unit& unit) {
    if (unit.dirty == 0) return;
    pass.fold |= unit.activity;
    pass.pending = true;
    unit.dirty = 0;
    // A folded load change (9 and up) keeps the image the lights gave it.
    if (pass.fold < static_cast<int>(kFoldSlots.size())) pass.foldImage = pass.state.baseIcons[kFoldSlots[pass.fold]];
}

TrayRecord SingleIconRecord(WindowHandle dialog, IconHandle image) {
    TrayRecord record = NotifyRecord(dialog, kSingleIconTrayId, image);
    std::snprintf(record.tip, sizeof record.tip, "%s", kSingleIconTip);
    return record;
}

// The single icon, once an update: put with what changed in it, or put back
// as it was when the tray may not have it. The Scroll Lock LED is on after
// an update in which something changed to a state other than idle (a load
// change included).
void PresentSingleIcon(UpdatePass& pass) {
    PresenterState& state = pass.state;
    if (pass.pending || state.singleIconImage == nullptr)
        state.singleIconImage = pass.options.Staticicon != 0 ? state.baseIcons[kSlotIdle] : pass.foldImage;
    if (pass.shell.calling) {
        TrayRecord record = SingleIconRecord(pass.shell.dialog, state.singleIconImage);
        PutIcon(pass.shell, state.singleIcon, record);
    }
    if (pass.options.KeyboardLED != 0) SetKeyboardLed(pass.os, kScrollLockKey, pass.fold != 0 ? 1 : 0);
}

void PresentUnit(UpdatePass& pass, Unit& unit) {
    if (unit.enabled != 0 && unit.parallelPortEnabled != 0)
        WriteParallelPort(pass.os, pass.state.port, unit);
    if (pass.options.SingleIconMode != 0) {
        FoldIntoSingleIcon(pass, unit);
    } else if (!WantsOwnIcon(unit, pass.options)) {
        DeleteInUpdate(pass.shell, static_cast<uint32_t>(unit.trayId), unit.tray);
    } else if (pass.shell.calling && (unit.tray.state != TRAY_ICON_SHOWN || unit.dirty != 0)) {
        PutUnitIcon(pass, unit);
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

void LoadIconSet(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                 PresenterState& state) {
    if (state.baseIcons[kSlotRead] != nullptr && options.AlternativeIcons == state.loadedIconSetAlternate &&
        state.iconSize == state.loadedIconSize)
        return;
    state.loadedIconSetAlternate = options.AlternativeIcons;
    WalkBackward(list, [&](Unit& unit) {
        ReleaseUnitIcons(os, state, unit);
        unit.dirty = 1;
    });
    for (IconHandle made : state.baseIcons)   // made ones belong to the set, loaded ones are shared
        if (state.loadedIconSize != 0 && made != nullptr) os.ReleaseIcon(made);
    state.loadedIconSize = state.iconSize;
    const auto& resources = options.AlternativeIcons != 0 ? kAlternateIcons : kNormalIcons;
    for (size_t slot = 0; slot < resources.size(); ++slot)
        state.baseIcons[slot] = state.iconSize != 0 ? MakeBaseIcon(os, resources[slot], state.iconSize)
                                                    : os.LoadProgramIcon(dialog, resources[slot]);
    state.singleIconImage = nullptr;   // chosen again from the new set
    state.singleIcon.image = nullptr;  // a made icon may come back with a released one's handle
}

// One update: the icon set; the icons of the mode that is not on removed;
// then, for each Unit from the last discovered back to the first, its port
// lines and its own icon (or its share of the single icon's fold); then the
// single icon and the LED. Ends by giving up the rest of the time slice.
void UpdateTrayIcons(Os& os, WindowHandle dialog, Unit* list, const GlobalOptions& options,
                     PresenterState& state) {
    LoadIconSet(os, dialog, list, options, state);
    const bool calling = !state.shellSilent || static_cast<int32_t>(os.QueryTickCount() - state.shellRetryTick) >= 0;
    UpdatePass pass{{os, dialog, state, calling}, os, options, state, 0, false, state.baseIcons[kSlotIdle]};
    if (options.SingleIconMode != 0) {
        WalkForward(list, [&](Unit& unit) { DeleteInUpdate(pass.shell, static_cast<uint32_t>(unit.trayId), unit.tray); });
    } else {
        DeleteInUpdate(pass.shell, kSingleIconTrayId, state.singleIcon);
        state.singleIconImage = nullptr;   // chosen anew when the mode comes back
    }
    WalkBackward(list, [&](Unit& unit) { PresentUnit(pass, unit); });
    if (options.SingleIconMode != 0) PresentSingleIcon(pass);
    os.YieldTimeSlice();
}

void RemoveTrayIcons(Os& os, WindowHandle dialog, Unit* list) {
    WalkForward(list, [&](Unit& unit) { DeleteIcon(os, dialog, static_cast<uint32_t>(unit.trayId), unit.tray); });
}

void RemoveSingleIcon(Os& os, WindowHandle dialog, PresenterState& state) {
    DeleteIcon(os, dialog, kSingleIconTrayId, state.singleIcon);
}

void ForgetTrayIcons(Unit* list, PresenterState& state) {
    auto forget = [](TrayIcon& icon) {
        if (icon.state != TRAY_ICON_ABSENT) MarkUncertain(icon), icon.refusedDeletes = 0;
    };
    WalkAll(list, [&](Unit& unit) { forget(unit.tray); });
    forget(state.singleIcon);
    state.shellSilent = false;
}

void RestoreSingleIcon(Os& os, WindowHandle dialog, PresenterState& state) {
    if (state.singleIcon.state != TRAY_ICON_UNCERTAIN || state.singleIconImage == nullptr) return;
    ShellCalls shell{os, dialog, state, true};
    TrayRecord record = SingleIconRecord(dialog, state.singleIconImage);
    PutIcon(shell, state.singleIcon, record);
}
