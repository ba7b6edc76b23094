// Spoken Spanish names: of every key panel of the on-screen keyboard (what the key shows, spelt
// out, for a screen reader) and of every character an exercise text may hold. UTF-8. Qt-free.
#pragma once

#include <string>
#include <string_view>

#include "guia/Guia.h"

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

// What the spoken guide says for the next character: its name and, unless its own key alone
// makes it (or Shift and its letter, for a capital), how: "a con tilde: acento, luego a",
// "abre interrogación: mayúsculas y la tecla de la exclamación". A sequence that starts with
// Backspace (the copy went wrong) says "retroceso". Empty when there is nothing to say.
std::string ComoSeHace(unsigned char c, const Secuencia& pulsaciones);

// The first `palabras` words of a Windows-1252 text, in UTF-8, line breaks read as spaces.
std::string PrimerasPalabras(std::string_view texto, int palabras);

// What the guide says after a key: how to make the next character of `texto` once `escrito` is
// typed (or "retroceso" while the copy is wrong), from the translator's state.
std::string FraseSiguiente(const teclado::TraductorTeclas& estado, std::string_view escrito, std::string_view texto);

// What it says as a run starts: the text's first words and, with the next-key aid, its first
// character.
std::string FraseInicio(const teclado::TraductorTeclas& estado, std::string_view texto, bool siguiente);

}  // namespace guia
