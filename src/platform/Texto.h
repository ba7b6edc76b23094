// Windows-1252 text of the core to the Unicode strings of the widgets.
#pragma once

#include <QString>
#include <string_view>

#include "catalogue/Cp1252.h"

// Line breaks (a lone carriage return) become '\n' so labels and boxes break the line there.
inline QString DeCp1252(std::string_view s) {
    QString r;
    r.reserve(static_cast<qsizetype>(s.size()));
    for (char c : s) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b == '\r') r += QLatin1Char('\n');
        else r += QChar(static_cast<char16_t>(cp1252::AUnicode(b)));
    }
    return r;
}
