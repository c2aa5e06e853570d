#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_os.h"
#include "units/discovery.h"
#include "units/unit_list.h"

namespace {

struct Row {
    std::string name;
    uint32_t kind;
    int32_t trayId;
    int32_t hidden;
};

// The machine of the worked example: physical drive 0 with the fixed letter
// C, a CD-ROM at D, two processors and two network interfaces.
void ScriptExampleMachine(FakeOs& os) {
    os.devices = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\C:", "\\\\.\\D:"};
    os.driveTypes = {{"PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR}, {"C:", DRIVE_FIXED}, {"D:", DRIVE_CDROM}};
    os.volumes["C:\\"] = {true, "System", "NTFS"};
    os.volumes["D:\\"] = {true, "", "CDFS"};
    os.AddInterface(24, "MS TCP Loopback interface");
    os.AddInterface(6, "Realtek PCIe GbE Family Controller");
}

std::vector<Row> Rows(Unit* any) {
    std::vector<Row> rows;
    WalkAll(any, [&](Unit& u) { rows.push_back({u.name, u.kind, u.trayId, u.hidden}); });
    return rows;
}

struct Discovered {
    FakeOs os;
    Unit* list = nullptr;
    int exitCode = -1;
    ~Discovered() {
        if (list != nullptr) FreeUnitList(os, &list);
        EXPECT_EQ(0, os.liveBlocks) << "discovery leaked memory";
    }
    void Run(uint32_t processors) {
        GlobalOptions options{};
        options.ProcessorCount = processors;
        exitCode = DiscoverUnits(os, &list, options);
    }
    Unit* Find(const char* name) {
        Unit* unit = FindUnitByName(list, name);
        EXPECT_STREQ(name, unit->name);
        return unit;
    }
};

}  // namespace

TEST(Discovery, ExampleMachineGivesTheListInOrder) {
    Discovered d;
    ScriptExampleMachine(d.os);
    d.Run(2);
    ASSERT_EQ(0, d.exitCode);
    ASSERT_NE(nullptr, d.list);
    EXPECT_EQ(nullptr, d.list->next) << "the handle rests on the end marker";

    const std::vector<Row> expected = {
        {"", DRIVE_UNKNOWN, 0, 1},
        {"\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR, 100, 0},
        {"\\\\.\\C:", DRIVE_FIXED, 101, 0},
        {"\\\\.\\D:", DRIVE_CDROM, 102, 1},
        {"CPU #0 Usage", UNIT_CPU, 103, 0},
        {"CPU #1 Usage", UNIT_CPU, 104, 0},
        {"RAM Usage", UNIT_RAM, 105, 0},
        {"VRAM Usage", UNIT_VRAM, 106, 0},
        {"NIC #0 Usage", UNIT_NIC, 107, 0},
        {"NIC #1 Usage", UNIT_NIC, 108, 0},
        {"", DRIVE_UNKNOWN, 0, 1},
    };
    std::vector<Row> actual = Rows(d.list);
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].name, actual[i].name) << "position " << i + 1;
        EXPECT_EQ(expected[i].kind, actual[i].kind) << "position " << i + 1;
        EXPECT_EQ(expected[i].trayId, actual[i].trayId) << "position " << i + 1;
        EXPECT_EQ(expected[i].hidden, actual[i].hidden) << "position " << i + 1;
    }

    // Every record starts disabled and shown; real Units start dirty.
    WalkAll(d.list, [](Unit& u) {
        EXPECT_EQ(0, u.enabled) << u.name;
        EXPECT_EQ(1, u.showInTray) << u.name;
        EXPECT_EQ(u.trayId != 0 ? 1 : 0, u.dirty) << u.name;
    });
    Unit* c = d.Find("\\\\.\\C:");
    EXPECT_STREQ("System", c->label);
    EXPECT_STREQ("NTFS", c->fileSystem);
    EXPECT_EQ(1u, d.Find("CPU #1 Usage")->cpuIndex);
    Unit* nic = d.Find("NIC #1 Usage");
    EXPECT_EQ(1, nic->nicIndex);
    EXPECT_STREQ("Realtek PCIe GbE Family Co", nic->label);   // cut at 26 bytes
    EXPECT_STREQ("Ethernet", nic->fileSystem);
    EXPECT_STREQ("Loopback", d.Find("NIC #0 Usage")->fileSystem);

    // Every device path was probed once, drives 0..254 then C..Z, and every
    // handle that opened was closed again.
    ASSERT_EQ(255u + 24u, d.os.opened.size());
    EXPECT_EQ("\\\\.\\PHYSICALDRIVE0", d.os.opened.front());
    EXPECT_EQ("\\\\.\\PHYSICALDRIVE254", d.os.opened[254]);
    EXPECT_EQ("\\\\.\\C:", d.os.opened[255]);
    EXPECT_EQ("\\\\.\\Z:", d.os.opened.back());
    EXPECT_EQ(3, d.os.calls["CloseDevice"]);
    // The size probe offers 0 bytes; the fetch offers what the probe asked for.
    EXPECT_EQ((std::vector<uint32_t>{0, 4 + 2 * 860}), d.os.tableSizesOffered);
}

TEST(Discovery, DrivesAndLetters) {
    Discovered d;
    d.os.devices = {"\\\\.\\PHYSICALDRIVE1", "\\\\.\\PHYSICALDRIVE7", "\\\\.\\E:", "\\\\.\\F:",
                    "\\\\.\\G:", "\\\\.\\Z:"};
    d.os.driveTypes = {{"PHYSICALDRIVE1", 1}, {"PHYSICALDRIVE7", 1}, {"E:", DRIVE_REMOVABLE},
                       {"F:", DRIVE_FIXED}, {"G:", DRIVE_REMOTE}, {"Z:", DRIVE_FIXED}};
    d.os.volumes["F:\\"] = {true, "", "FAT32"};      // no label: empty, not N/A
    d.os.volumes["G:\\"] = {false, "x", "y"};         // unreadable: N/A
    d.Run(1);
    ASSERT_EQ(0, d.exitCode);
    std::vector<Row> rows = Rows(d.list);
    ASSERT_EQ(2u + 2u + 4u + 1u + 2u, rows.size());
    EXPECT_EQ("\\\\.\\PHYSICALDRIVE1", rows[1].name);   // gaps do not stop the scan
    EXPECT_EQ(100, rows[1].trayId);
    EXPECT_EQ("\\\\.\\PHYSICALDRIVE7", rows[2].name);
    EXPECT_EQ(101, rows[2].trayId);

    Unit* e = d.Find("\\\\.\\E:");
    EXPECT_EQ(1, e->hidden);
    EXPECT_EQ(102, e->trayId);      // hidden letters keep their own identifiers
    EXPECT_STREQ("N/A", e->label);  // the fake knows no volume there
    Unit* f = d.Find("\\\\.\\F:");
    EXPECT_EQ(0, f->hidden);
    EXPECT_EQ(103, f->trayId);
    EXPECT_STREQ("", f->label);
    EXPECT_STREQ("FAT32", f->fileSystem);
    Unit* g = d.Find("\\\\.\\G:");
    EXPECT_EQ(1, g->hidden);
    EXPECT_STREQ("N/A", g->label);
    EXPECT_STREQ("N/A", g->fileSystem);
    EXPECT_EQ(0, d.Find("\\\\.\\Z:")->hidden);

    Unit* cpu = d.Find("CPU Usage");   // a single processor has the plain name
    EXPECT_EQ(106, cpu->trayId);
    EXPECT_EQ(0u, cpu->cpuIndex);
}

TEST(Discovery, ProcessorCounts) {
    struct Case {
        uint32_t processors;
        std::vector<std::string> names;
    };
    std::vector<std::string> many;
    for (int j = 0; j < 32; ++j) many.push_back("CPU #" + std::to_string(j) + " Usage");
    const Case cases[] = {
        {0, {}}, {1, {"CPU Usage"}}, {2, {"CPU #0 Usage", "CPU #1 Usage"}}, {33, many}};
    for (const Case& c : cases) {
        Discovered d;
        d.Run(c.processors);
        ASSERT_EQ(0, d.exitCode);
        std::vector<std::string> names;
        uint32_t index = 0;
        WalkForward(d.list, [&](Unit& u) {
            if (u.kind != UNIT_CPU) return;
            names.push_back(u.name);
            EXPECT_EQ(index++, u.cpuIndex);
        });
        EXPECT_EQ(c.names, names) << c.processors << " processors";
        // The first real Unit takes 100 whatever its kind; RAM follows the processors.
        EXPECT_EQ(100 + static_cast<int32_t>(names.size()), d.Find("RAM Usage")->trayId);
    }
}

TEST(Discovery, InterfaceRows) {
    Discovered d;
    d.os.AddInterface(6, "");                                  // length 0
    d.os.AddInterface(71, std::string(26, 'a'));               // exactly 26, unknown type
    d.os.AddInterface(23, std::string(26, 'b') + "0123456789abcd");   // 40
    IfRow& lying = d.os.AddInterface(1, "short");
    lying.dwDescrLen = 4000;                                  // length beyond the field
    for (uint32_t type : {9u, 15u, 24u, 28u, 0u}) d.os.AddInterface(type, "t");
    d.Run(1);
    ASSERT_EQ(0, d.exitCode);
    std::vector<Unit*> nics;
    WalkForward(d.list, [&](Unit& u) { if (u.kind == UNIT_NIC) nics.push_back(&u); });
    ASSERT_EQ(9u, nics.size());
    EXPECT_STREQ("", nics[0]->label);
    EXPECT_STREQ("Ethernet", nics[0]->fileSystem);
    EXPECT_EQ(std::string(26, 'a'), nics[1]->label);
    EXPECT_STREQ("Unknown", nics[1]->fileSystem);
    EXPECT_EQ(std::string(26, 'b'), nics[2]->label);
    EXPECT_STREQ("PPP", nics[2]->fileSystem);
    EXPECT_STREQ("short", nics[3]->label);
    EXPECT_STREQ("Other", nics[3]->fileSystem);
    const char* expectedTypes[] = {"Tokenring", "FDDI", "Loopback", "SLIP", "Unknown"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(expectedTypes[i], nics[4 + i]->fileSystem);
    for (size_t k = 0; k < nics.size(); ++k) {
        EXPECT_EQ(static_cast<int32_t>(k), nics[k]->nicIndex);
        EXPECT_EQ("NIC #" + std::to_string(k) + " Usage", nics[k]->name);
        EXPECT_EQ(103 + static_cast<int32_t>(k), nics[k]->trayId);
    }
}

TEST(Discovery, FirstTableQueryFailuresEndTheProcess) {
    // Any answer to the size probe but "buffer too small" ends with code 1.
    for (uint32_t answer : {kErrorInvalidParameter, kErrorNotSupported, kErrorSuccess, 8u, 1168u}) {
        Discovered d;
        ScriptExampleMachine(d.os);
        d.os.sizeQueryAnswer = answer;
        d.Run(2);
        EXPECT_EQ(kDiscoveryExitCode, d.exitCode) << "answer " << answer;
        EXPECT_EQ(nullptr, d.list);
        EXPECT_EQ(1, d.os.calls["QueryInterfaceTable"]);
    }
}

TEST(Discovery, SecondTableQueryFailingFinishesWithoutInterfaces) {
    Discovered d;
    ScriptExampleMachine(d.os);
    d.os.fetchAnswer = kErrorNotSupported;
    d.Run(2);
    ASSERT_EQ(0, d.exitCode);
    std::vector<Row> rows = Rows(d.list);
    ASSERT_EQ(9u, rows.size());
    EXPECT_EQ("VRAM Usage", rows[7].name);
    EXPECT_EQ("", rows[8].name);
    EXPECT_EQ(1, rows[8].hidden);
    EXPECT_EQ(0, rows[8].trayId);
    EXPECT_EQ(nullptr, d.list->next);
}

TEST(Discovery, AnExhaustedHeapAnywhereEndsCleanly) {
    // Count the allocations of a full run, then fail each one in turn: every
    // record allocation ends the process with code 1 and leaks nothing; only
    // the fetch buffer of the interface table lets the list finish without
    // network Units.
    Discovered full;
    ScriptExampleMachine(full.os);
    full.Run(2);
    int total = full.os.allocations;
    ASSERT_EQ(11 + 2, total);   // eleven records and two table buffers

    int finishedWithout = 0;
    for (int failing = 1; failing <= total; ++failing) {
        Discovered d;
        ScriptExampleMachine(d.os);
        d.os.failAllocationNumber = failing;
        d.Run(2);
        if (d.exitCode == 0) {
            ++finishedWithout;
            EXPECT_EQ(9u, Rows(d.list).size()) << "allocation " << failing;
        } else {
            EXPECT_EQ(kDiscoveryExitCode, d.exitCode) << "allocation " << failing;
            EXPECT_EQ(nullptr, d.list) << "allocation " << failing;
        }
    }
    EXPECT_EQ(1, finishedWithout);
}
