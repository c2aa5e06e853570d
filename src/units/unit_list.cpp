#include "units/unit_list.h"

#include <cstdlib>
#include <cstring>

int AppendUnit(Unit** list) {
    auto* unit = static_cast<Unit*>(std::calloc(1, sizeof(Unit)));
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

void FreeUnitList(Unit* any) {
    Unit* unit = LastUnit(any);
    while (unit != nullptr) {
        Unit* before = unit->prev;
        std::free(unit);
        unit = before;
    }
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
