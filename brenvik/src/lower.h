#pragma once

// Windows-1251 lower-case mapping shared by tolow and the dictionary build.
#include <cstdint>

namespace brenvik {

struct LowerTable {
    uint8_t map[256];
};

constexpr LowerTable makeLowerTable()
{
    LowerTable t{};
    for (int i = 0; i < 256; ++i)
        t.map[i] = static_cast<uint8_t>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        t.map[c] = static_cast<uint8_t>(c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) // А..Я
        t.map[c] = static_cast<uint8_t>(c + 32);
    // The Cyrillic capitals outside the А..Я block and their small letters.
    constexpr uint8_t pairs[][2] = {
        {0xA8, 0xB8}, // Ё ё
        {0x80, 0x90}, // Ђ ђ
        {0x81, 0x83}, // Ѓ ѓ
        {0x8A, 0x9A}, // Љ љ
        {0x8C, 0x9C}, // Њ њ
        {0x8D, 0x9D}, // Ќ ќ
        {0x8E, 0x9E}, // Ћ ћ
        {0x8F, 0x9F}, // Џ џ
        {0xA1, 0xA2}, // Ў ў
        {0xA3, 0xBC}, // Ј ј
        {0xA5, 0xB4}, // Ґ ґ
        {0xAA, 0xBA}, // Є є
        {0xAF, 0xBF}, // Ї ї
        {0xB2, 0xB3}, // І і
        {0xBD, 0xBE}, // Ѕ ѕ
    };
    for (const auto &p : pairs)
        t.map[p[0]] = p[1];
    return t;
}

inline constexpr LowerTable kLower = makeLowerTable();

} // namespace brenvik
