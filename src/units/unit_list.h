#pragma once
// The doubly linked list of every Unit, between a start and an end marker.
// The program holds it through CurrentUnit, a pointer that may point at any
// element, so every walk first rewinds to one end.
#include "units/unit.h"

// Allocates a zero-filled record with showInTray 1 and links it behind the
// tail of *list (a null *list receives it as the only element); *list then
// points at it. Returns 1, or 0 when the heap is exhausted and nothing changed.
int AppendUnit(Unit** list);

// Frees every record of the list `any` points into, from the tail back to the head.
void FreeUnitList(Unit* any);

Unit* FirstUnit(Unit* any);   // the head; null for an empty list
Unit* LastUnit(Unit* any);    // the tail; null for an empty list

// Forward walk: from the head, every element that has a next one, that is the
// start marker and every real Unit.
template <class Visit>
void WalkForward(Unit* any, Visit visit) {
    for (Unit* unit = FirstUnit(any); unit != nullptr && unit->next != nullptr; unit = unit->next)
        visit(*unit);
}

// Backward walk: from the tail, every element that has a previous one, that is
// the end marker and every real Unit.
template <class Visit>
void WalkBackward(Unit* any, Visit visit) {
    for (Unit* unit = LastUnit(any); unit != nullptr && unit->prev != nullptr; unit = unit->prev)
        visit(*unit);
}

// Every element from head to tail, both markers included.
template <class Visit>
void WalkAll(Unit* any, Visit visit) {
    for (Unit* unit = FirstUnit(any); unit != nullptr; unit = unit->next)
        visit(*unit);
}

// The first Unit from the head whose name equals `name` byte for byte; the end
// marker (the tail) when none does; null for an empty list.
Unit* FindUnitByName(Unit* any, const char* name);
