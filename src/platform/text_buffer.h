#pragma once
// Bytes of any length on the C heap, for whole files. Growing never throws:
// when memory runs out the buffer remembers it and keeps what it had. (The
// standard string and containers would bring the C++ library's exception
// machinery into the program, about 100 KiB of it.) Owns its memory.
#include <cstddef>
#include <cstdlib>
#include <cstring>

struct FreeDeleter {   // for a std::unique_ptr to memory of the C heap
    void operator()(void* memory) const { std::free(memory); }
};

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer() { std::free(data_); }

    const char* Data() const { return data_ != nullptr ? data_ : ""; }
    size_t Size() const { return size_; }
    bool Failed() const { return failed_; }
    void Clear() { size_ = 0, failed_ = false; }
    // Room for `length` more bytes at the end, which Grow then takes in;
    // null when memory ran out.
    char* Room(size_t length) {
        if (failed_) return nullptr;
        if (data_ == nullptr || length > capacity_ - size_) {
            const size_t capacity = size_ + length + size_ / 2 + 256;
            char* grown = static_cast<char*>(std::realloc(data_, capacity));
            if (grown == nullptr) return failed_ = true, nullptr;
            data_ = grown, capacity_ = capacity;
        }
        return data_ + size_;
    }
    void Grow(size_t length) { size_ += length; }
    void Append(const char* text, size_t length) {
        if (char* room = Room(length)) std::memcpy(room, text, length), size_ += length;
    }
    void Append(const char* text) { Append(text, std::strlen(text)); }

private:
    char* data_ = nullptr;
    size_t size_ = 0, capacity_ = 0;
    bool failed_ = false;
};
