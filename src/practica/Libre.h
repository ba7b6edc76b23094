// Free practice without windows: a learner's own text made ready for the keyboard, and the score of
// a timed test as Spanish public exams compute it (net keystrokes per minute, a penalty per error).
// Program texts are Windows-1252; an own text is Unicode (UTF-32) until every character can be typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace practica {

// ---------------------------------------------------------------- own text

inline constexpr std::size_t kMaxCaracteres = 20000;

// A .txt file's bytes: UTF-8 when they are valid UTF-8 (a leading byte-order mark dropped),
// otherwise Windows-1252 (the five bytes that code page leaves undefined kept as U+0080..U+009F,
// so they are listed as characters the keyboard cannot type).
std::u32string DecodificarFichero(std::string_view bytes, bool* utf8 = nullptr);

// CR LF, LF, CR and the Unicode line and paragraph separators become the program's line break
// (CR, one Enter); line breaks at the very end are dropped (a file's last line ends with one, and
// an Enter after the last word would be asked for). Runs of spaces and blank lines are kept.
std::u32string NormalizarSaltos(std::u32string_view texto);

// Whether the program's Spanish keyboard can type the character (CR is Enter).
bool Tecleable(char32_t c);

struct NoTecleable {
    char32_t caracter;
    std::size_t veces;
    std::u32string_view reemplazo;  // the one-click replacement, empty when there is none
};
// The characters the keyboard cannot type, in order of first appearance, with their counts.
std::vector<NoTecleable> NoTecleables(std::u32string_view texto);

// The replacement of a common typographic character: quotes, dashes, ellipsis, spaces, tab, euro.
// Empty when the character has none.
std::u32string_view Reemplazo(char32_t c);
// Every character that has a replacement replaced ("5€" becomes "5 euros").
std::u32string Reemplazar(std::u32string_view texto);

// How a character is named in the list: the character itself, or a name where it would not show.
// UTF-8.
std::string NombreCaracter(char32_t c);

// The text in the program's code page, or nothing while a character cannot be typed.
std::optional<std::string> TextoDelTeclado(std::u32string_view texto);

// ---------------------------------------------------------------- long texts on screen

// A label shows a long text a page at a time: as many screen lines as fit, from a line's start.

// Where each screen line starts when a text is shown `columnas` wide: a line break ends a line
// (its "«" takes a column when `marcarSaltos`), a long line wraps after its last space that fits
// (spaces may hang past the edge) or, within a word longer than a line, at the edge.
std::vector<std::size_t> InicioLineas(std::string_view texto, std::size_t columnas, bool marcarSaltos);

// ---------------------------------------------------------------- timed test

inline constexpr unsigned kPenalizacionPorOmision = 10;
inline constexpr unsigned kObjetivoPorOmision = 200;  // net keystrokes per minute
inline constexpr unsigned kMinutosPrueba[] = {1, 3, 5, 10, 15};
// The fastest copy a test is prepared for: a text shorter than the time at this speed gets a warning.
inline constexpr unsigned kPpmMaximas = 300;

// Characters of the copy that differ from the text, up to where the copy reached; characters past
// the text's end (an accent left over) count too.
unsigned ErroresCopia(std::string_view escrito, std::string_view texto);

struct ResultadoPrueba {
    std::uint64_t milisegundos = 0;
    unsigned brutas = 0;        // characters typed, erased ones included
    unsigned errores = 0;
    unsigned penalizacion = 0;  // keystrokes per error
    long long netas = 0;        // brutas - penalizacion * errores, never below 0
    unsigned ppmBrutas = 0, ppmNetas = 0;
    unsigned objetivo = 0;      // net keystrokes per minute
    bool apto = false;
};
ResultadoPrueba Puntuar(std::string_view escrito, std::string_view texto, unsigned brutas,
                        std::uint64_t milisegundos, unsigned penalizacion, unsigned objetivo);

// Keystrokes per minute over a time in milliseconds, fraction dropped; 0 when no time passed.
unsigned PorMinuto(long long pulsaciones, std::uint64_t milisegundos);

// The result box's lines, the formula written out so a learner can check it against their exam.
std::vector<std::string> LineasResultado(const ResultadoPrueba& r);

// The count-down clock: whole seconds left, rounded up ("05:00", "00:01", "00:00").
std::string TextoCuentaAtras(std::uint64_t milisegundosRestantes);

// Whether a text runs out before the time at the fastest speed a test is prepared for.
bool TextoCortoParaPrueba(std::size_t caracteres, unsigned minutos);

}  // namespace practica
