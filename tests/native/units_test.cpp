#include <random>

#include "fake_os.h"
#include "indicators/tray_presenter.h"
#include "units/discovery.h"

namespace {

void AddNic(FakeOs& os, uint32_t type, const std::string& description, uint32_t length) {
    IfRow& row = os.AddInterface(static_cast<uint32_t>(os.interfaces.size()), 0, 0);
    row.dwType = type;
    std::memcpy(row.bDescr, description.data(), description.size());
    row.dwDescrLen = length;
}

struct Discovered {
    Unit* list = nullptr;
    int exitCode;
    Discovered(FakeOs& os, uint32_t processors) {
        GlobalOptions options{};
        options.ProcessorCount = processors;
        exitCode = DiscoverUnits(os, &list, options);
    }
    ~Discovered() { FreeUnitList(list); }
    // Every element from head to tail: "name/kind/trayId/hidden/dirty/label/fileSystem/index".
    std::string Listing() {
        std::string text;
        WalkAll(list, [&](Unit& u) {
            char line[1024];
            std::snprintf(line, sizeof line, "%s/%u/%d/%d/%d/%s/%s/%u,%d\n", u.name, u.kind, u.trayId, u.hidden,
                          u.dirty, u.label, u.fileSystem, u.cpuIndex, u.nicIndex);
            text += line;
            EXPECT_EQ("0 1", std::to_string(u.enabled) + " " + std::to_string(u.showInTray)) << u.name;
        });
        return text;
    }
};

}  // namespace

TEST(Discovery, MachineInListOrderWithNamesKindsAndTrayIds) {
    FakeOs os;
    os.devices = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\PHYSICALDRIVE254", "\\\\.\\C:", "\\\\.\\D:", "\\\\.\\Z:"};
    os.driveTypes = {{"PHYSICALDRIVE0", 1}, {"PHYSICALDRIVE254", 1}, {"C:", 3}, {"D:", 5}, {"Z:", 3}};
    os.volumes = {{"C:\\", "System|NTFS"}, {"Z:\\", "|FAT"}};
    AddNic(os, 24, "MS TCP Loopback interface", 25);
    AddNic(os, 6, "Realtek PCIe GbE Family Controller", 34);
    AddNic(os, 71, "junk after the length", 0);
    Discovered d(os, 2);
    ASSERT_EQ(0, d.exitCode);
    EXPECT_EQ(nullptr, d.list->next) << "the handle rests on the end marker";
    EXPECT_EQ("/0/0/1/0///0,0\n"
              "\\\\.\\PHYSICALDRIVE0/1/100/0/1///0,0\n\\\\.\\PHYSICALDRIVE254/1/101/0/1///0,0\n"
              "\\\\.\\C:/3/102/0/1/System/NTFS/0,0\n\\\\.\\D:/5/103/1/1/N/A/N/A/0,0\n\\\\.\\Z:/3/104/0/1//FAT/0,0\n"
              "CPU #0 Usage/4095/105/0/1///0,0\nCPU #1 Usage/4095/106/0/1///1,0\n"
              "RAM Usage/4096/107/0/1///0,0\nVRAM Usage/4097/108/0/1///0,0\n"
              "NIC #0 Usage/4098/109/0/1/MS TCP Loopback interface/Loopback/0,0\n"
              "NIC #1 Usage/4098/110/0/1/Realtek PCIe GbE Family Co/Ethernet/0,1\n"
              "NIC #2 Usage/4098/111/0/1//Unknown/0,2\n/0/0/1/0///0,0\n",
              d.Listing());
    EXPECT_EQ(279, os.calls["OpenDevice"]) << "drives 0..254 and letters C..Z, with no early stop";
    EXPECT_EQ(5, os.calls["CloseDevice"]);
}

TEST(Discovery, ProcessorCountsAndTheInterfaceTableAnswers) {
    // processors -> the CPU Units' names: none, one for the total, or one each but at most 32.
    const struct { uint32_t processors; std::string names; } counts[] = {
        {0, ""}, {1, "CPU Usage."}, {40, "CPU #0 Usage.CPU #31 Usage."}};
    for (const auto& c : counts) {
        FakeOs os;
        Discovered d(os, c.processors);
        std::string names;
        WalkAll(d.list, [&](Unit& u) { names += u.kind == UNIT_CPU && u.cpuIndex % 31 == 0 ? std::string(u.name) + "." : ""; });
        EXPECT_EQ(c.names, names);
    }
    // A first answer other than "a bigger buffer" ends the program with 1, no list; a failed fetch, no network Units.
    for (uint32_t answer : {kErrorSuccess, 50u, 87u, 1u}) {
        FakeOs os;
        AddNic(os, 6, "eth0", 4), os.probeAnswer = answer;
        Discovered d(os, 1);
        EXPECT_EQ(std::make_pair(kDiscoveryExitCode, static_cast<Unit*>(nullptr)), std::make_pair(d.exitCode, d.list)) << answer;
    }
    FakeOs os;
    AddNic(os, 6, "eth0", 4), os.fetchAnswer = 31;
    Discovered d(os, 1);
    ASSERT_EQ(0, d.exitCode);
    EXPECT_EQ(nullptr, FindUnitByName(d.list, "VRAM Usage")->next->next) << "no network Unit";
    EXPECT_EQ(LastUnit(d.list), FindUnitByName(d.list, "vram usage")) << "names are compared byte for byte";
    Unit* head = FirstUnit(d.list);
    ASSERT_EQ(1, AppendUnit(&head));
    EXPECT_EQ(d.list, head->prev) << "appended at the tail from any element";
}

// StableTrayIds: an id follows its Unit's name whatever else was discovered and in whatever order, never 0 nor one
// the numbering gives; of two names that fall on one id, the first in byte order takes it, the other the next one.
TEST(Discovery, StableTrayIdsFollowTheNames) {
    const std::string a = "NIC #1774 Usage", b = "NIC #410440 Usage";   // two names of one stable id, a before b
    std::vector<std::string> pool = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\C:", "CPU Usage", "RAM Usage", "VRAM Usage", "NIC #0 Usage", a, b};
    std::mt19937 random(3);
    GlobalOptions stable{};
    stable.StableTrayIds = 1;
    std::map<std::string, int32_t> first = {{b, StableTrayId(a.c_str()) + 1}};   // b's, with a there
    for (int run = 0; run < 40; ++run) {
        std::shuffle(pool.begin(), pool.end(), random);
        TestList list;
        const size_t count = run == 0 ? pool.size() : 1 + random() % pool.size();
        for (size_t i = 0; i < count; ++i) list.Add(pool[i].c_str(), UNIT_NIC).nicIndex = static_cast<int32_t>(i);
        AssignTrayIds(list.end, stable), AssignTrayIds(list.end, stable);
        FakeOs os;   // each icon carries its own Unit's tooltip: a click on an icon names its Unit by the id
        PresenterState presenter{};
        UpdateTrayIcons(os, nullptr, list.end, stable, presenter);
        std::set<int32_t> ids;
        WalkAll(list.end, [&](Unit& u) { ids.insert(u.trayId); });
        EXPECT_EQ(std::make_pair(count + 1, true), std::make_pair(ids.size(), *std::next(ids.begin()) > kFirstTrayId + 1000))
            << "distinct, 0 for the markers alone";
        const bool withA = std::find(pool.begin(), pool.begin() + count, a) != pool.begin() + count;
        for (size_t i = 0; i < count; ++i) {
            const Unit& unit = list[pool[i].c_str()];
            char tip[kTrayTipLength];
            FormatTooltip(unit, tip);
            EXPECT_EQ(tip, os.trayIcons[static_cast<uint32_t>(unit.trayId)].second);
            const int32_t id = pool[i] == b && !withA ? StableTrayId(a.c_str()) : first.emplace(pool[i], unit.trayId).first->second;
            EXPECT_EQ(id, unit.trayId) << pool[i] << " in run " << run;
        }
    }
}
