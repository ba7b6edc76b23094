// Windows-1252: the single-byte code page of every text the program handles.
#pragma once

#include <cstdint>

namespace cp1252 {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
inline constexpr char32_t kAlto[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

inline constexpr char32_t AUnicode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kAlto[c - 0x80];
    return c;
}

// The byte for a code point, or -1 when the code page cannot hold it.
inline constexpr int DeUnicode(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
    for (int i = 0; i < 32; ++i)
        if (kAlto[i] != 0 && kAlto[i] == u) return 0x80 + i;
    return -1;
}

}  // namespace cp1252
