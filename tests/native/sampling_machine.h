#pragma once
// A unit list built by hand behind a FakeOs, with fresh sampler state, for the
// poll pass tests.
#include <gtest/gtest.h>

#include <cstdio>

#include "fake_os.h"
#include "sampling/poll_units.h"
#include "units/unit_list.h"

struct Machine {
    FakeOs os;
    Unit* list = nullptr;
    SamplerState state{};
    GlobalOptions options{};
    bool closed = false;

    Machine() { AppendUnit(os, &list); }   // the start marker
    ~Machine() {
        FreeUnitList(os, &list);
        EXPECT_EQ(0, os.liveBlocks) << "memory left allocated";
    }

    // An enabled Unit of `kind` named `name`, behind the ones added before.
    Unit& Add(uint32_t kind, const char* name) {
        AppendUnit(os, &list);
        Unit& unit = *list;
        unit.kind = kind;
        unit.enabled = 1;
        std::snprintf(unit.name, sizeof unit.name, "%s", name);
        return unit;
    }

    // Adds the end marker and forgets the calls made to build the list.
    void Close() {
        if (!closed) AppendUnit(os, &list);
        closed = true;
        os.calls.clear();
    }

    // One poll pass; the end marker is added before the first.
    int Poll() {
        if (!closed) AppendUnit(os, &list);
        closed = true;
        return PollUnits(os, &list, options, state);
    }
};
