#include "units/unit_list.h"

#include <cstring>

int AppendUnit(Os& os, Unit** list) {
    Unit* unit = static_cast<Unit*>(os.AllocateZeroed(sizeof(Unit)));
    if (unit == nullptr) return 0;
    unit->showInTray = 1;
    Unit* tail = LastUnit(*list);
    if (tail != nullptr) {
        tail->next = unit;
        unit->prev = tail;
    }
    *list = unit;
    return 1;
}

int RemoveLastUnit(Os& os, Unit** list) {
    Unit* tail = LastUnit(*list);
    if (tail == nullptr || tail->prev == nullptr) return 0;
    Unit* newTail = tail->prev;
    newTail->next = nullptr;
    os.FreeMemory(tail);
    *list = newTail;
    return 0;
}

int FreeUnitList(Os& os, Unit** list) {
    Unit* unit = LastUnit(*list);
    while (unit != nullptr) {
        Unit* before = unit->prev;
        os.FreeMemory(unit);
        unit = before;
    }
    return 1;
}

Unit* FirstUnit(Unit* any) {
    if (any == nullptr) return nullptr;
    while (any->prev != nullptr) any = any->prev;
    return any;
}

Unit* LastUnit(Unit* any) {
    if (any == nullptr) return nullptr;
    while (any->next != nullptr) any = any->next;
    return any;
}

Unit* FindUnitByName(Unit* any, const char* name) {
    Unit* unit = FirstUnit(any);
    if (unit == nullptr) return nullptr;
    for (; unit->next != nullptr; unit = unit->next)
        if (std::strcmp(unit->name, name) == 0) return unit;
    return unit;
}
