#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_os.h"
#include "units/unit_list.h"

namespace {

// Builds a list of the given names (the first and last are the markers) and
// leaves the handle on the tail.
Unit* BuildList(FakeOs& os, const std::vector<std::string>& names) {
    Unit* list = nullptr;
    for (const std::string& name : names) {
        EXPECT_EQ(1, AppendUnit(os, &list));
        std::snprintf(list->name, sizeof list->name, "%s", name.c_str());
    }
    return list;
}

std::vector<std::string> Forward(Unit* any) {
    std::vector<std::string> seen;
    WalkForward(any, [&](Unit& u) { seen.push_back(u.name); });
    return seen;
}

std::vector<std::string> Backward(Unit* any) {
    std::vector<std::string> seen;
    WalkBackward(any, [&](Unit& u) { seen.push_back(u.name); });
    return seen;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(UnitList, AppendLinksAtTheTailFromAnyElement) {
    FakeOs os;
    Unit* list = nullptr;
    ASSERT_EQ(1, AppendUnit(os, &list));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(nullptr, list->next);
    EXPECT_EQ(nullptr, list->prev);
    EXPECT_EQ(1, list->showInTray);
    EXPECT_EQ(0, list->trayId);
    EXPECT_EQ(0, list->enabled);
    EXPECT_EQ(nullptr, list->iconIdle);
    EXPECT_EQ('\0', list->name[0]);
    Unit* head = list;

    ASSERT_EQ(1, AppendUnit(os, &list));
    Unit* second = list;
    Unit* handle = head;   // a handle on the head still appends at the tail
    ASSERT_EQ(1, AppendUnit(os, &handle));
    EXPECT_EQ(second, handle->prev);
    EXPECT_EQ(handle, second->next);
    EXPECT_EQ(nullptr, handle->next);
    EXPECT_EQ(head, FirstUnit(handle));
    EXPECT_EQ(handle, LastUnit(head));

    FreeUnitList(os, &handle);
    EXPECT_EQ(0, os.liveBlocks);
}

TEST(UnitList, AppendOnAnExhaustedHeapChangesNothing) {
    FakeOs os;
    Unit* list = BuildList(os, {"a", "b"});
    Unit* tail = list;
    os.failAllocationNumber = os.allocations + 1;
    EXPECT_EQ(0, AppendUnit(os, &list));
    EXPECT_EQ(tail, list);
    EXPECT_EQ(nullptr, tail->next);
    EXPECT_EQ((Names{"a"}), Forward(list));
    FreeUnitList(os, &list);
    EXPECT_EQ(0, os.liveBlocks);
}

TEST(UnitList, RemoveLastUnitKeepsASingleElement) {
    FakeOs os;
    Unit* empty = nullptr;
    EXPECT_EQ(0, RemoveLastUnit(os, &empty));
    EXPECT_EQ(nullptr, empty);

    Unit* one = BuildList(os, {"only"});
    Unit* before = one;
    EXPECT_EQ(0, RemoveLastUnit(os, &one));
    EXPECT_EQ(before, one);
    EXPECT_EQ(1, os.liveBlocks);
    FreeUnitList(os, &one);

    Unit* list = BuildList(os, {"a", "b", "c"});
    Unit* head = FirstUnit(list);
    EXPECT_EQ(0, RemoveLastUnit(os, &head));   // from the head, still the tail goes
    EXPECT_STREQ("b", head->name);
    EXPECT_EQ(nullptr, head->next);
    EXPECT_EQ(2, os.liveBlocks);
    FreeUnitList(os, &head);
    EXPECT_EQ(0, os.liveBlocks);
}

TEST(UnitList, FreeUnitListReleasesEveryRecordFromAnyElement) {
    FakeOs os;
    Unit* empty = nullptr;
    EXPECT_EQ(1, FreeUnitList(os, &empty));
    EXPECT_EQ(0, os.calls["FreeMemory"]);

    Unit* list = BuildList(os, {"", "a", "b", ""});
    Unit* middle = FirstUnit(list)->next;
    EXPECT_EQ(1, FreeUnitList(os, &middle));
    EXPECT_EQ(4, os.calls["FreeMemory"]);
    EXPECT_EQ(0, os.liveBlocks);
}

TEST(UnitList, WalksSkipTheMarkerOfTheirFarEnd) {
    FakeOs os;
    Unit* markers = BuildList(os, {"start", "end"});
    EXPECT_EQ((Names{"start"}), Forward(markers));
    EXPECT_EQ((Names{"end"}), Backward(FirstUnit(markers)));

    Unit* list = BuildList(os, {"start", "a", "b", "c", "end"});
    Unit* middle = FirstUnit(list)->next->next;
    EXPECT_EQ((Names{"start", "a", "b", "c"}), Forward(middle));
    EXPECT_EQ((Names{"end", "c", "b", "a"}), Backward(middle));
    Names all;
    WalkAll(middle, [&](Unit& u) { all.push_back(u.name); });
    EXPECT_EQ((Names{"start", "a", "b", "c", "end"}), all);

    Unit* empty = nullptr;
    EXPECT_TRUE(Forward(empty).empty());
    EXPECT_TRUE(Backward(empty).empty());

    FreeUnitList(os, &markers);
    FreeUnitList(os, &list);
}

TEST(UnitList, FindUnitByNameComparesBytesAndEndsOnTheEndMarker) {
    FakeOs os;
    Unit* list = BuildList(os, {"", "\\\\.\\C:", "CPU Usage", "cpu usage", ""});
    Unit* end = list;
    Unit* found = FindUnitByName(FirstUnit(list)->next, "cpu usage");
    EXPECT_STREQ("cpu usage", found->name);
    EXPECT_EQ(end->prev, found);
    EXPECT_EQ(FirstUnit(list)->next, FindUnitByName(end, "\\\\.\\C:"));
    EXPECT_EQ(end, FindUnitByName(list, "RAM Usage"));
    EXPECT_EQ(end, FindUnitByName(list, "CPU"));   // no prefix match
    Unit* empty = nullptr;
    EXPECT_EQ(nullptr, FindUnitByName(empty, "x"));
    FreeUnitList(os, &list);
}
