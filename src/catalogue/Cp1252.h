// Windows-1252: the single-byte code page of every text the program handles.
#pragma once

#include <cstdint>
#include <string>

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

// UTF-8 bytes of a code point.
inline std::string Utf8(char32_t u) {
    std::string s;
    if (u < 0x80) s += static_cast<char>(u);
    else if (u < 0x800) { s += static_cast<char>(0xC0 | (u >> 6)); s += static_cast<char>(0x80 | (u & 0x3F)); }
    else if (u < 0x10000) {
        s += static_cast<char>(0xE0 | (u >> 12)); s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (u >> 18)); s += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F)); s += static_cast<char>(0x80 | (u & 0x3F));
    }
    return s;
}

}  // namespace cp1252
