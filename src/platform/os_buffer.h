#pragma once
// Heap memory from the Os, handed back when it goes out of scope.
#include <cstddef>

#include "platform/os.h"

class OsBuffer {
public:
    OsBuffer(Os& os, size_t bytes) : os_(os), block_(os.AllocateZeroed(bytes)) {}
    ~OsBuffer() { Release(); }
    OsBuffer(const OsBuffer&) = delete;
    OsBuffer& operator=(const OsBuffer&) = delete;

    void Release() {
        if (block_ != nullptr) os_.FreeMemory(block_);
        block_ = nullptr;
    }
    template <class T>
    T* As() const { return static_cast<T*>(block_); }

private:
    Os& os_;
    void* block_;
};
