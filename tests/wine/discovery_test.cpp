// Discovery against the real platform, as Wine presents it.
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_os.h"
#include "units/discovery.h"
#include "units/unit_list.h"

namespace {

std::vector<Unit*> UnitsOfKind(Unit* list, uint32_t kind) {
    std::vector<Unit*> found;
    WalkForward(list, [&](Unit& u) { if (u.kind == kind) found.push_back(&u); });
    return found;
}

}  // namespace

TEST(Win32Discovery, ListMatchesThePlatform) {
    Win32Os os;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    GlobalOptions options{};
    options.ProcessorCount = info.dwNumberOfProcessors;

    Unit* list = nullptr;
    ASSERT_EQ(0, DiscoverUnits(os, &list, options));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(nullptr, list->next);

    // Identifiers run from 100 without gaps over every real Unit.
    int32_t expectedId = kFirstTrayId;
    WalkForward(list, [&](Unit& u) {
        if (u.prev == nullptr) return;   // the start marker
        EXPECT_EQ(expectedId++, u.trayId) << u.name;
    });

    std::vector<Unit*> cpus = UnitsOfKind(list, UNIT_CPU);
    ASSERT_EQ(info.dwNumberOfProcessors, cpus.size());
    if (cpus.size() == 1) EXPECT_STREQ("CPU Usage", cpus[0]->name);
    else EXPECT_STREQ("CPU #0 Usage", cpus[0]->name);

    Unit* c = FindUnitByName(list, "\\\\.\\C:");
    ASSERT_STREQ("\\\\.\\C:", c->name);
    EXPECT_EQ(static_cast<uint32_t>(DRIVE_FIXED), c->kind);
    EXPECT_EQ(0, c->hidden);
    EXPECT_STRNE("N/A", c->fileSystem);
    Unit* drive0 = FindUnitByName(list, "\\\\.\\PHYSICALDRIVE0");
    ASSERT_STREQ("\\\\.\\PHYSICALDRIVE0", drive0->name);
    EXPECT_EQ(static_cast<uint32_t>(DRIVE_NO_ROOT_DIR), drive0->kind);

    // One network Unit per row of the sorted interface table, in its order.
    ULONG size = 0;
    ASSERT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetIfTable(nullptr, &size, TRUE));
    std::vector<char> buffer(size);
    auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, TRUE));
    std::vector<Unit*> nics = UnitsOfKind(list, UNIT_NIC);
    ASSERT_EQ(table->dwNumEntries, nics.size());
    ASSERT_GT(nics.size(), 0u) << "Wine always lists the loopback interface";
    for (DWORD k = 0; k < table->dwNumEntries; ++k) {
        const MIB_IFROW& row = table->table[k];
        std::string description(reinterpret_cast<const char*>(row.bDescr),
                                row.dwDescrLen < 26 ? row.dwDescrLen : 26);
        EXPECT_EQ(description.c_str(), std::string(nics[k]->label)) << "row " << k;
        EXPECT_STREQ(InterfaceTypeName(row.dwType), nics[k]->fileSystem) << "row " << k;
        EXPECT_EQ(static_cast<int32_t>(k), nics[k]->nicIndex);
    }

    FreeUnitList(os, &list);
}

TEST(Win32Discovery, ProbeAndVolumeServices) {
    Win32Os os;
    EXPECT_TRUE(ProbeDevice(os, "\\\\.\\C:"));
    EXPECT_FALSE(ProbeDevice(os, "\\\\.\\PHYSICALDRIVE200"));
    EXPECT_EQ(static_cast<uint32_t>(DRIVE_NO_ROOT_DIR), os.QueryDriveType("PHYSICALDRIVE0"));
    EXPECT_EQ(static_cast<uint32_t>(DRIVE_FIXED), os.QueryDriveType("C:"));

    Unit unit{};
    std::memset(unit.label, 0xcc, sizeof unit.label);
    ReadVolumeInfo(os, "\\\\.\\C:", unit);
    char volumeName[MAX_PATH] = {};
    char fileSystem[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationA("C:\\", volumeName, MAX_PATH, nullptr, nullptr, nullptr,
                                      fileSystem, MAX_PATH));
    EXPECT_STREQ(volumeName, unit.label);
    EXPECT_STREQ(fileSystem, unit.fileSystem);

    Unit missing{};
    ReadVolumeInfo(os, "\\\\.\\Q:", missing);
    EXPECT_STREQ("N/A", missing.label);
    EXPECT_STREQ("N/A", missing.fileSystem);
}
