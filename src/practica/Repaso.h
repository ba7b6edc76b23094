// The review drill: about 300 characters of words from the catalogue's own texts, chosen so that
// the characters a learner misses most occur often. Windows-1252, Qt-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace practica {

inline constexpr std::size_t kLargoRepaso = 300;
// Below this many recorded key presses the weak keys say nothing yet: a general drill instead.
inline constexpr unsigned kPulsacionesParaRepaso = 200;
// How many weak characters a drill works on: the weakest keys', then the accent mistakes'.
inline constexpr std::size_t kTeclasRepaso = 5;
inline constexpr std::size_t kAcentosRepaso = 3;

// The characters a drill works on: those of the weakest keys (weakest first), then those of the
// most frequent accent mistakes, each once, leaving out what no catalogue word holds (a space,
// a line break).
std::string ObjetivosRepaso(std::string_view teclas, std::string_view acentos);

// The characters a general drill goes over: the letters, the accented vowels and the punctuation
// of the whole keyboard.
std::string_view TodoElTeclado();

// A drill of about `largo` characters, words separated by single spaces. Three words in four carry
// one of the characters of `objetivos` in turn (a character no catalogue word holds is left out);
// the fourth is any word, so the drill reads like text. The same seed gives the same drill.
std::string GenerarRepaso(std::string_view objetivos, std::uint32_t semilla, std::size_t largo = kLargoRepaso);

// "Repaso de: ñ, á, ü, p, ¿" (the line above the drill, not part of it).
std::string CabeceraRepaso(std::string_view objetivos);

}  // namespace practica
