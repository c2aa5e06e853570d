#include <cstdio>

#include "fake_os.h"

namespace {

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

}  // namespace

IconHandle FakeOs::ProgramIcon(int resourceId) {
    return reinterpret_cast<IconHandle>(static_cast<uintptr_t>(resourceId));
}

IconHandle FakeOs::NewIcon(const DrawnIcon& drawn) {
    IconHandle icon = reinterpret_cast<IconHandle>(nextIcon_++);
    drawnIcons[icon] = drawn;
    liveIcons.insert(icon);
    return icon;
}

void FakeOs::NotifyTray(uint32_t message, const TrayRecord& record) {
    ++calls["NotifyTray"];
    trayCalls.push_back({message, record});
    indicatorLog.push_back("tray " + std::to_string(message) + " " + std::to_string(record.id));
}

IconHandle FakeOs::LoadProgramIcon(WindowHandle, int resourceId) {
    ++calls["LoadProgramIcon"];
    iconLoads.push_back(resourceId);
    return missingIcons.count(resourceId) != 0 ? nullptr : ProgramIcon(resourceId);
}

IconHandle FakeOs::DrawIconText(IconHandle icon, const char* text) {
    ++calls["DrawIconText"];
    if (textDrawFails || icon == nullptr) return nullptr;
    if (textDrawKeepsIcon) return icon;
    return NewIcon({icon, text, false, MeterStyle{}});
}

IconHandle FakeOs::DrawIconMeter(IconHandle icon, const MeterStyle& style) {
    ++calls["DrawIconMeter"];
    if (meterDrawFails || icon == nullptr) return nullptr;
    if (meterDrawKeepsIcon) return icon;
    return NewIcon({icon, "", true, style});
}

void FakeOs::ReleaseIcon(IconHandle icon) {
    ++calls["ReleaseIcon"];
    if (liveIcons.erase(icon) == 0) ++badReleases;
}

LibraryHandle FakeOs::LoadPortLibrary(const char* fileName) {
    portLibraryNames.push_back(fileName);
    return portLibraryPresent ? reinterpret_cast<LibraryHandle>(uintptr_t{0x10}) : nullptr;
}

PortOutputHandle FakeOs::FindPortOutput(LibraryHandle library, const char* functionName) {
    portFunctionNames.push_back(functionName);
    if (library == nullptr || !portHasOut32) return nullptr;
    return reinterpret_cast<PortOutputHandle>(uintptr_t{0x20});
}

void FakeOs::WritePortByte(PortOutputHandle output, int16_t address, int16_t value) {
    if (output == nullptr) ++calls["WritePortByteThroughNull"];
    portAddresses.push_back(address);
    portWrites.push_back(value & 0xFF);
    indicatorLog.push_back("port " + Hex(value & 0xFF));
}

int16_t FakeOs::ReadKeyState(int virtualKey) {
    ++calls["ReadKeyState"];
    return keyStates[virtualKey];
}

void FakeOs::SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) {
    keyStrokes.push_back({virtualKey, scanCode, flags});
    // A press toggles the key, as the platform does; a held key stays negative.
    if ((flags & 2) == 0) keyStates[virtualKey] ^= 1;
    indicatorLog.push_back(std::string("key ") + ((flags & 2) != 0 ? "up" : "down"));
}

void FakeOs::YieldTimeSlice() {
    ++yields;
    indicatorLog.push_back("yield");
}
