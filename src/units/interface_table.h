#pragma once
// The platform's interface table, fetched into a buffer that is kept from one
// fetch to the next and grown only when the platform says it is too small.
#include <cstdint>

#include "platform/os.h"

enum class TableFetch {
    Fetched,   // the table is in the buffer
    Refused,   // the platform gave neither the table nor the size it needs
    Failed,    // the size was known, but the table could not be had
};

class InterfaceTable {
public:
    InterfaceTable() = default;
    ~InterfaceTable();
    InterfaceTable(const InterfaceTable&) = delete;
    InterfaceTable& operator=(const InterfaceTable&) = delete;

    // One query with the buffer as it is (at first there is none, so the
    // platform only tells the size it needs); when the platform answers that
    // the buffer is too small, it grows to that size and the query runs once
    // more. Until the next fetch, Rows() and Row() are the table fetched, or
    // no rows when the fetch did not succeed.
    TableFetch Fetch(Os& os);

    uint32_t Rows() const { return rows_; }        // never more than the buffer holds
    const IfRow& Row(uint32_t k) const { return IfTableRow(*table_, k); }

private:
    bool Grow(uint32_t bytes);

    IfTable* table_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t rows_ = 0;
};
