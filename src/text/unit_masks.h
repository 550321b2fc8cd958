// Bit masks of 64 code units at a time, for the passes over whole texts: one
// flag byte per unit first, in loops simple enough for the compiler to turn
// into vector compares, then eight flags at a time into eight bits.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace unit_masks {

constexpr size_t Width = 64;

// Bit k set when byte k of the eight at flags has its bit `bit` set. The
// multiplication moves that bit of byte k to bit 56 + k, on bits that no other
// product term touches, so nothing carries into them.
inline uint64_t GatherBit(const uint8_t* flags, int bit) {
    uint64_t bytes = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&bytes, flags, 8);
    } else {
        for (int j = 0; j < 8; ++j) bytes |= uint64_t(flags[j]) << (8 * j);
    }
    return (((bytes >> bit) & 0x0101010101010101) * 0x0102040810204080) >> 56;
}

// masks[m] gets bit i set when flagOf(p[i]) has bit m set, for the 64 units
// at p.
template <size_t Count, typename FlagOf>
inline void Masks(const char16_t* p, FlagOf flagOf, uint64_t (&masks)[Count]) {
    uint8_t flags[Width];
    for (size_t i = 0; i < Width; ++i) flags[i] = flagOf(p[i]);
    for (size_t m = 0; m < Count; ++m) masks[m] = 0;
    for (size_t k = 0; k < Width; k += 8)
        for (size_t m = 0; m < Count; ++m) masks[m] |= GatherBit(flags + k, static_cast<int>(m)) << k;
}

// Bit i set when p[i] is unit.
inline uint64_t Equal(const char16_t* p, char16_t unit) {
    uint64_t mask[1];
    Masks(p, [unit](char16_t c) { return uint8_t(c == unit); }, mask);
    return mask[0];
}

} // namespace unit_masks
