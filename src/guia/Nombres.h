// Spoken Spanish names: of every key panel of the on-screen keyboard (what the key shows, spelt
// out, for a screen reader) and of every character an exercise text may hold. UTF-8. Qt-free.
#pragma once

#include <string>
#include <string_view>

namespace guia {

// The name of a key panel by its control name ("btnQ" -> "Q", "btnEspacio" -> "Barra
// espaciadora"); empty for a name the keyboard does not have.
std::string_view NombreTecla(std::string_view panel);

// The spoken name of a Windows-1252 character of the repertoire ('\xF1' -> "eñe", 'A' -> "a
// mayúscula", '\r' -> "intro"); empty for a character outside it.
std::string_view NombreCaracter(unsigned char c);

// How a key is referred to when telling how to make a character ("la tecla de la exclamación",
// "la a"), by the panel that the key press lowers; empty for a panel without one.
std::string_view TeclaEnFrase(std::string_view panel);

}  // namespace guia
