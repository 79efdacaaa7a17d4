#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace util {

// Reads little-endian fields from outside bytes. Every read past the end fails and leaves the
// reader failed, so a caller may read a whole record and check ok() once.
class ByteReader final {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return ok_ ? bytes_.size() - position_ : 0; }

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }

    // Copies out.size() bytes; on failure out is zero-filled.
    bool bytes(std::span<std::uint8_t> out) {
        if (!have(out.size())) {
            for (auto& b : out) {
                b = 0;
            }
            return false;
        }
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = bytes_[position_ + i];
        }
        position_ += out.size();
        return true;
    }

private:
    bool have(std::size_t count) {
        if (!ok_ || bytes_.size() - position_ < count) {
            ok_ = false;
            return false;
        }
        return true;
    }

    std::uint64_t take(std::size_t count) {
        if (!have(count)) {
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            value |= std::uint64_t{bytes_[position_ + i]} << (8 * i);
        }
        position_ += count;
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace util
