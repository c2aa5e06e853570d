#include "units/interface_table.h"

#include <cstdlib>

InterfaceTable::~InterfaceTable() { std::free(table_); }

bool InterfaceTable::Grow(uint32_t bytes) {
    // Never smaller than the row count and one row, so that the count can be read.
    size_t size = bytes > sizeof(IfTable) ? bytes : sizeof(IfTable);
    void* block = std::calloc(1, size);
    if (block == nullptr) return false;
    std::free(table_);
    table_ = static_cast<IfTable*>(block);
    capacity_ = static_cast<uint32_t>(size);
    return true;
}

TableFetch InterfaceTable::Fetch(Os& os) {
    rows_ = 0;
    IfTable probe{};   // offered with size 0 while there is no buffer
    uint32_t size = capacity_;
    uint32_t answer = os.QueryInterfaceTable(table_ != nullptr ? table_ : &probe, &size);
    if (answer == kErrorInsufficientBuffer) {
        if (!Grow(size)) return TableFetch::Failed;
        size = capacity_;
        if (os.QueryInterfaceTable(table_, &size) != kErrorSuccess) return TableFetch::Failed;
    } else if (answer != kErrorSuccess || table_ == nullptr) {
        return TableFetch::Refused;
    }
    rows_ = IfTableRowsInBuffer(*table_, capacity_);
    return TableFetch::Fetched;
}
