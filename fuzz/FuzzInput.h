#pragma once
// The fuzzer's bytes read front to back as a script. Reading past the end yields zeros, so a script that
// ends early is still a complete script.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace korva::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ >= size_; }
    size_t Remaining() const { return size_ - pos_; }
    uint8_t Byte() { return AtEnd() ? 0 : data_[pos_++]; }
    // Up to count bytes (fewer at the end).
    QByteArray Bytes(size_t count) {
        const size_t n = count < Remaining() ? count : Remaining();
        QByteArray bytes(reinterpret_cast<const char*>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace korva::fuzz
