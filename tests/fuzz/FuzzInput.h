#pragma once

// Cuts one fuzz input into the values a target needs. Reads past the end give zeros and empty
// pieces, so every input, however short, drives the whole target.
#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

class FuzzInput final {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool empty() const { return position_ >= bytes_.size(); }

    std::uint8_t Byte() { return empty() ? 0 : bytes_[position_++]; }

    std::uint32_t Word32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= std::uint32_t{Byte()} << (8 * i);
        }
        return value;
    }

    template <std::size_t N>
    std::array<std::uint8_t, N> Bytes() {
        std::array<std::uint8_t, N> out{};
        for (auto& b : out) {
            b = Byte();
        }
        return out;
    }

    // The bytes up to the next `end` (which is consumed) or to the end of the input.
    QByteArray Piece(char end = '\0') {
        const std::size_t from = position_;
        while (!empty() && bytes_[position_] != static_cast<std::uint8_t>(end)) {
            ++position_;
        }
        const QByteArray piece = Slice(from, position_);
        if (!empty()) {
            ++position_;
        }
        return piece;
    }

    QByteArray Rest() {
        const QByteArray rest = Slice(position_, bytes_.size());
        position_ = bytes_.size();
        return rest;
    }

private:
    QByteArray Slice(std::size_t from, std::size_t to) const {
        return QByteArray(reinterpret_cast<const char*>(bytes_.data() + from),
                          static_cast<qsizetype>(to - from));
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A broken invariant: libFuzzer keeps the input, the seed replay fails.
[[noreturn]] inline void FuzzFail() {
    std::abort();
}

inline void FuzzCheck(bool holds) {
    if (!holds) {
        FuzzFail();
    }
}
