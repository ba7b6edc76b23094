#include "estadisticas/Utf8.h"

#include "catalogue/Cp1252.h"

namespace estadisticas {

std::string AUtf8(std::string_view s) {
    std::string r;
    r.reserve(s.size() + s.size() / 8);
    for (char c : s) {
        const char32_t u = cp1252::AUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            r += static_cast<char>(u);
        } else if (u < 0x800) {
            r += static_cast<char>(0xC0 | (u >> 6));
            r += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u != 0) {
            r += static_cast<char>(0xE0 | (u >> 12));
            r += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            r += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            r += '?';  // a byte the code page leaves undefined
        }
    }
    return r;
}

std::string DeUtf8(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t u = b;
        std::size_t n = 1;
        if (b >= 0xF0) { u = b & 0x07; n = 4; }
        else if (b >= 0xE0) { u = b & 0x0F; n = 3; }
        else if (b >= 0xC0) { u = b & 0x1F; n = 2; }
        else if (b >= 0x80) { r += '?'; ++i; continue; }
        if (i + n > s.size()) { r += '?'; break; }
        for (std::size_t k = 1; k < n; ++k) u = (u << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        const int c = cp1252::DeUnicode(u);
        r += c < 0 ? '?' : static_cast<char>(c);
        i += n;
    }
    return r;
}

}  // namespace estadisticas
