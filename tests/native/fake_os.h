#pragma once
// A scripted operating system for the native tests: answers come from the public fields, and what the program
// asked for is recorded. Also a Unit list built from a few lines, between its two markers, as discovery leaves it.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "platform/ascii.h"
#include "platform/os.h"
#include "units/unit_list.h"

struct FakeDisk {
    bool counters = true;          // false: the performance counters are off
    uint32_t reads = 0, writes = 0;
    bool sized = true;             // false: free space cannot be asked
    uint64_t total = 0, free = 0;
};

class FakeOs : public Os {
public:
    std::set<std::string> devices;                    // paths that open
    std::map<std::string, uint32_t> driveTypes;       // root path -> type (default 0)
    std::map<std::string, std::string> volumes;       // root path -> "label|file system"; else unreadable
    std::map<std::string, FakeDisk> disks;            // by device path
    uint64_t idle = 0, kernel = 0, user = 0;          // system times
    std::vector<ProcessorTimes> processors;
    int32_t processorStatus = kStatusSuccess;
    bool refusesShortBuffer = false;                  // false: fills what fits
    MemoryStatus memory{};
    std::vector<IfRow> interfaces;
    uint32_t probeAnswer = kErrorInsufficientBuffer;  // to a buffer that is too small
    uint32_t fetchAnswer = kErrorSuccess;             // to one that is big enough
    uint32_t tick = 0;
    int answer = 7;                                   // the user's button (IDNO)
    std::function<void()> whileBoxOpen;
    std::vector<std::string> boxes, commands;         // "text|caption|style"
    // Files by path. Every step of the file services counts, from 0: a read, making a file, each 4 KiB
    // written, the flush, a rename, a deletion. At `failAt` the step fails with `failure`; from `crashAt`
    // on the program is gone and nothing more happens. The next `heldOpen` renames find the target in use.
    std::map<std::string, std::string> files;
    int steps = 0, failAt = -1, crashAt = INT32_MAX, heldOpen = 0;
    FileResult failure = FileResult::Failed;
    std::vector<uint32_t> pauses;
    std::string modulePath = "C:\\Blinkwatch\\blinkwatch.exe";   // "" cannot be read
    std::vector<std::string> tray;                    // "add 100 <icon> <tip>", "tip 100 <tip>", "delete 100"
    std::map<uint32_t, std::pair<std::string, std::string>> trayIcons;   // what the shell shows: image, tip
    int busyRefusals = 0;                             // the next calls fail, as on a busy shell,
    bool busyApplies = false;                         // which may still apply them
    int refusedCalls = 0, troubledCalls = 0, troubledPuts = 0;   // refused; of those the busy or unanswered
    bool shellGone = false;                           // no shell: every call fails
    std::map<uint32_t, std::pair<IconHandle, std::pair<std::string, std::string>>> acknowledged;   // the last accepted, by id
    std::set<int> missingIcons;                       // resources that do not load
    int drawingsFail = 0;                             // 1: drawings fail; 2: only the icon's creation, which gives back the source
    std::map<IconHandle, std::string> liveIcons;      // drawn, not released: what they show
    int badReleases = 0;                              // shared or unknown icons released
    bool portLibrary = false, portHasOut32 = true;
    int libraryLoads = 0;
    std::vector<int> portBytes;                       // written to 0x378
    std::map<int, int16_t> keyStates;                 // virtual key -> what GetKeyState reads back
    std::map<int, int16_t> keyToggles;                // virtual key -> its toggle state (the LED)
    std::vector<std::string> keyStrokes;              // "down" / "up"
    std::map<std::string, int> calls;                 // platform calls of a timer tick, by service
    MeterStyle lastMeter{};                           // the look of the last meter drawn
    int32_t trayIconSize = 0;                         // the taskbar's small-icon size; 0: not to be had

    // An icon as tray calls name it: "147" (a program icon), "C on 147" or "meter <%> <bar %> <rgb> <rgb> on ...", "none".
    std::string IconName(IconHandle icon) const {
        auto live = liveIcons.find(icon);
        if (live != liveIcons.end()) return live->second;
        return icon == nullptr ? "none" : std::to_string(reinterpret_cast<uintptr_t>(icon));
    }
    IfRow& AddInterface(uint32_t index, uint32_t in, uint32_t out, uint32_t speed = 0) {
        IfRow& row = interfaces.emplace_back();
        row.dwIndex = index, row.dwInOctets = in, row.dwOutOctets = out, row.dwSpeed = speed;
        return row;
    }

    DeviceHandle OpenDevice(const char* path) override {
        ++calls[__func__];
        auto found = devices.find(path);
        return found == devices.end() ? nullptr : reinterpret_cast<DeviceHandle>(const_cast<std::string*>(&*found));
    }
    void CloseDevice(DeviceHandle) override { ++calls[__func__]; }
    uint32_t QueryDriveType(const char* root) override { return driveTypes[root]; }
    bool QueryVolumeInformation(const char* root, char* label, char* fileSystem) override {
        std::string volume = volumes.count(root) ? volumes[root] : "";
        std::snprintf(label, kPathLength, "%s", volume.substr(0, volume.find('|')).c_str());
        std::snprintf(fileSystem, kPathLength, "%s", volume.substr(volume.find('|') + 1).c_str());
        return !volume.empty();
    }
    bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record) override {
        ++calls[__func__];
        const FakeDisk& disk = disks[*reinterpret_cast<const std::string*>(device)];
        record->ReadCount = disk.reads, record->WriteCount = disk.writes;   // stale when the counters are off
        return disk.counters;
    }
    bool QueryDiskFreeSpace(const char* path, uint64_t* total, uint64_t* free) override {
        ++calls[__func__];
        std::string device(path);   // always asked with a backslash added
        const FakeDisk& disk = disks[device.substr(0, device.size() - (device.back() == '\\'))];
        if (device.back() != '\\' || !disk.sized) return false;
        return *total = disk.total, *free = disk.free, true;
    }
    bool QuerySystemTimes(uint64_t* idleTime, uint64_t* kernelTime, uint64_t* userTime) override {
        ++calls[__func__];
        return *idleTime = idle, *kernelTime = kernel, *userTime = user, true;
    }
    int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes, uint32_t* returned) override {
        ++calls[__func__];
        const auto needed = static_cast<uint32_t>(processors.size() * 48);
        // Windows' kernel (ReactOS follows it) refuses a short buffer, telling the length it needs;
        // Wine 8 fills what fits and answers success (measured).
        if (refusesShortBuffer && bytes < needed) return *returned = needed, kStatusInfoLengthMismatch;
        *returned = std::min<uint32_t>(needed, bytes);   // also what a failed query left
        std::copy(processors.begin(), processors.begin() + *returned / 48, records);
        return processorStatus;
    }
    bool QueryMemoryStatus(MemoryStatus* status) override {
        ++calls[__func__];
        EXPECT_EQ(sizeof(MemoryStatus), status->dwLength);
        return *status = memory, true;
    }
    uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size) override {
        ++calls[__func__];
        auto needed = static_cast<uint32_t>(4 + interfaces.size() * sizeof(IfRow));
        if (*size < needed) return *size = needed, probeAnswer;
        table->dwNumEntries = static_cast<uint32_t>(interfaces.size());
        std::copy(interfaces.begin(), interfaces.end(), table->table);
        return fetchAnswer;
    }
    uint32_t QueryTickCount() override { return tick; }
    int ShowMessageBox(WindowHandle, const char* text, const char* caption, uint32_t style) override {
        boxes.push_back(std::string(text) + "|" + caption + "|" + std::to_string(style));
        if (whileBoxOpen) whileBoxOpen();
        return answer;
    }
    void RunCommand(const char* command) override { commands.push_back(command); }
    // The rules of reading a file are the profile functions', tested under Wine: here values by "SECTION/Key".
    std::map<std::string, std::string> profile;
    void ReadProfileValue(const char* section, const char* key, const char* fallback, char* buffer, uint32_t size, const char*) override {
        auto found = profile.find(std::string(section) + "/" + key);
        std::snprintf(buffer, size, "%s", found != profile.end() ? found->second.c_str() : fallback);
    }
    bool Step(FileResult& result) {   // whether the step happens
        const int step = steps++;
        result = step >= crashAt ? FileResult::Failed : step == failAt ? failure : FileResult::Done;
        return result == FileResult::Done;
    }
    FileResult ReadWholeFile(const char* path, TextBuffer& content) override {
        FileResult result;
        content.Clear();
        if (Step(result) && files.count(path)) content.Append(files[path].data(), files[path].size());
        return result != FileResult::Done || files.count(path) ? result : FileResult::Missing;
    }
    FileResult WriteFileThrough(const char* path, const char* data, size_t size) override {
        FileResult result;
        for (size_t at = 0; at < size + 4096; at += 4096)   // made (or emptied), then 4 KiB at a time
            if (Step(result)) files[path].assign(data, std::min(at, size)); else return result;
        return Step(result), result;   // the flush
    }
    FileResult MoveFileOver(const char* from, const char* to) override {
        FileResult result;
        if (Step(result) && heldOpen > 0) return --heldOpen, FileResult::InUse;
        return result == FileResult::Done ? (files[to] = files[from], files.erase(from), result) : result;
    }
    void RemoveFile(const char* path) override { if (FileResult result; Step(result)) files.erase(path); }
    void Pause(uint32_t milliseconds) override { pauses.push_back(milliseconds); }
    bool QueryModulePath(char* buffer) override { return std::snprintf(buffer, kPathLength, "%s", modulePath.c_str()) > 0; }
    void WriteUserRegistryString(const char*, const char*, const char*) override {}
    void DeleteUserRegistryValue(const char*, const char*) override {}
    bool NotifyTray(uint32_t message, const TrayRecord& record) override {
        ++calls[__func__];
        const bool tipOnly = message == kTrayModify && record.tipOnly;
        const char* kinds[] = {"add ", "modify ", "delete "};
        const std::string image = IconName(record.icon), call = (tipOnly ? "tip " : kinds[message]) + std::to_string(record.id);
        tray.push_back(message == kTrayDelete ? call : call + " " + (tipOnly ? "" : image + " ") + record.tip);
        // The shell refuses an add of an icon it shows, a change or delete of one it does not (documented;
        // Wine's explorer alike). A busy shell gives up on a call it may still apply, never a delete; with no
        // shell every call fails.
        auto shown = trayIcons.find(record.id);
        const bool known = shown != trayIcons.end(), busy = busyRefusals > 0 && busyRefusals--;
        const bool taken = !shellGone && (message == kTrayAdd ? !known : known);
        const auto told = std::make_pair(tipOnly && known ? shown->second.first : image, std::string(record.tip));
        // The same image is the same icon, not released since: one drawn anew may look the same.
        const auto handle = tipOnly ? acknowledged[record.id].first : record.icon;
        EXPECT_FALSE(message == kTrayModify && acknowledged[record.id] == std::make_pair(handle, told))
            << "a change to what the shell was told: " << call;
        acknowledged.erase(record.id);
        refusedCalls += busy || !taken, troubledCalls += busy || shellGone;
        troubledPuts += (busy || shellGone) && message != kTrayDelete;
        if (!taken || (busy && (!busyApplies || message == kTrayDelete))) return false;
        if (message == kTrayDelete) return trayIcons.erase(shown), true;
        EXPECT_TRUE(!tipOnly || shown->second.first == image) << "a new tooltip over " << shown->second.first << ", not " << image;
        trayIcons[record.id] = told;
        if (!busy) acknowledged[record.id] = {handle, told};
        return !busy;
    }
    IconHandle LoadProgramIcon(WindowHandle, int id) override {
        return ++calls[__func__], missingIcons.count(id) ? nullptr : reinterpret_cast<IconHandle>(static_cast<uintptr_t>(id));
    }
    IconHandle DrawIconText(IconHandle icon, const char* text) override {
        return ++calls[__func__], NewIcon(icon, std::string(text) + " on " + IconName(icon));
    }
    IconHandle DrawIconMeter(IconHandle icon, const MeterStyle& s) override {
        ++calls[__func__], lastMeter = s;
        char look[64];
        std::snprintf(look, sizeof look, "meter %d %d %d/%d/%d %d/%d/%d on ", s.percent, s.barPercent, s.background.red,
                      s.background.green, s.background.blue, s.hasBar ? s.bar.red : -1, s.bar.green, s.bar.blue);
        return NewIcon(icon, look + IconName(icon));
    }
    IconHandle MakeIcon(const uint32_t*, int32_t size) override { return NewIcon(reinterpret_cast<IconHandle>(1), std::to_string(size) + "px"); }
    void BecomeDpiAware() override { ++calls[__func__]; }
    int32_t QueryTrayIconSize() override { return ++calls[__func__], trayIconSize; }
    void ReleaseIcon(IconHandle icon) override {
        badReleases += liveIcons.erase(icon) == 0;
        for (auto& told : acknowledged) told.second.first = told.second.first == icon ? nullptr : told.second.first;
        freedIcons_.push_back(icon);   // its handle comes back with the next icon, as the platform's may
    }
    LibraryHandle LoadPortLibrary() override {
        ++libraryLoads;
        return portLibrary ? reinterpret_cast<LibraryHandle>(16) : nullptr;
    }
    PortOutputHandle FindPortOutput(LibraryHandle, const char* name) override {
        return portHasOut32 && std::strcmp(name, "Out32") == 0 ? reinterpret_cast<PortOutputHandle>(32) : nullptr;
    }
    void WritePortByte(PortOutputHandle output, int16_t address, int16_t value) override {
        EXPECT_EQ(std::make_pair(uintptr_t{32}, int16_t{0x378}), std::make_pair(reinterpret_cast<uintptr_t>(output), address));
        portBytes.push_back(value);
    }
    int16_t ReadKeyState(int key) override { return keyStates[key]; }
    void SendKeyStroke(int key, uint8_t scanCode, uint32_t flags) override {
        EXPECT_EQ(std::make_pair(0x45, 1u), std::make_pair(int{scanCode}, flags & kKeyExtended));
        keyStrokes.push_back(flags & kKeyUp ? "up" : "down");
        if (!(flags & kKeyUp)) keyToggles[key] ^= 1;   // a press toggles the key, as the platform does
    }
    // The key state read back changes as the thread reads its input (GetKeyState's documentation), after
    // an update: within one it is stale (under Wine the next update reads the last one's strokes, measured).
    void YieldTimeSlice() override { ++calls[__func__], keyStates = keyToggles; }

private:
    IconHandle NewIcon(IconHandle source, const std::string& what) {
        if (drawingsFail == 1 || source == nullptr) return nullptr;
        if (drawingsFail == 2) return source;
        IconHandle icon = freedIcons_.empty() ? reinterpret_cast<IconHandle>(nextIcon_++) : freedIcons_.front();
        if (!freedIcons_.empty()) freedIcons_.pop_front();
        return liveIcons[icon] = what.substr(0, 160), icon;   // a meter drawn on meters stays short
    }
    uintptr_t nextIcon_ = 1000;
    std::deque<IconHandle> freedIcons_;
};

// A list between its markers, freed with the object; `end` is the end marker.
struct TestList {
    Unit* end = nullptr;
    TestList() {
        AppendUnit(&end), AppendUnit(&end);
        end->prev->hidden = end->hidden = 1;
    }
    ~TestList() { FreeUnitList(end); }
    TestList(const TestList&) = delete;
    TestList& operator=(const TestList&) = delete;
    // A real Unit before the end marker, enabled, with the next tray id from 100.
    Unit& Add(const char* name, uint32_t kind) {
        auto* unit = static_cast<Unit*>(std::calloc(1, sizeof(Unit)));
        unit->prev = end->prev, unit->next = end;
        end->prev = end->prev->next = unit;
        std::snprintf(unit->name, sizeof unit->name, "%s", name);
        unit->kind = kind;
        unit->enabled = unit->showInTray = 1;
        unit->trayId = unit->prev->trayId != 0 ? unit->prev->trayId + 1 : kFirstTrayId;
        return *unit;
    }
    Unit& operator[](const char* name) { return *FindUnitByName(end, name); }
};
