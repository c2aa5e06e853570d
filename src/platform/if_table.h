#pragma once
// The platform's interface table, laid out byte for byte as the IP helper's
// MIB_IFTABLE and MIB_IFROW, so that discovery and the network sampler can read
// it in portable code and the Win32 side can hand the platform the same buffer.
#include <cstdint>

struct IfRow {
    uint16_t wszName[256];
    uint32_t dwIndex;
    uint32_t dwType;
    uint32_t dwMtu;
    uint32_t dwSpeed;
    uint32_t dwPhysAddrLen;
    uint8_t bPhysAddr[8];
    uint32_t dwAdminStatus;
    uint32_t dwOperStatus;
    uint32_t dwLastChange;
    uint32_t dwInOctets;
    uint32_t dwInUcastPkts;
    uint32_t dwInNUcastPkts;
    uint32_t dwInDiscards;
    uint32_t dwInErrors;
    uint32_t dwInUnknownProtos;
    uint32_t dwOutOctets;
    uint32_t dwOutUcastPkts;
    uint32_t dwOutNUcastPkts;
    uint32_t dwOutDiscards;
    uint32_t dwOutErrors;
    uint32_t dwOutQLen;
    uint32_t dwDescrLen;
    uint8_t bDescr[256];
};

struct IfTable {
    uint32_t dwNumEntries;
    IfRow table[1];   // dwNumEntries rows follow in the same buffer
};

static_assert(sizeof(IfRow) == 860, "an interface row is 860 bytes");
static_assert(sizeof(IfTable) == 864, "the row count and one row are 864 bytes");

// How many rows a table of `bytes` bytes can hold at most: never trust the
// row count beyond the buffer that carries it.
inline uint32_t IfTableRowsInBuffer(const IfTable& table, uint32_t bytes) {
    if (bytes < sizeof(uint32_t)) return 0;
    uint32_t room = (bytes - static_cast<uint32_t>(sizeof(uint32_t))) / sizeof(IfRow);
    return table.dwNumEntries < room ? table.dwNumEntries : room;
}

// Row k of the table, reached through a pointer: the rows run past the
// declared one-element array within the same buffer.
inline IfRow& IfTableRow(IfTable& table, uint32_t k) { return *(table.table + k); }
inline const IfRow& IfTableRow(const IfTable& table, uint32_t k) { return *(table.table + k); }

// Answers of the platform's table query.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;
