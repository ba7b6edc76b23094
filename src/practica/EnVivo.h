// What the aids show while the learner types: the speed and the share of right characters so
// far, and where the copy differs from the text. Windows-1252 strings. Qt-free.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace practica {

struct CifrasEnVivo {
    unsigned ppm = 0;         // typed characters per minute since the start, as the timed unit counts them
    unsigned aciertos = 100;  // whole percent of the typed characters that match the text; 100 before any
    friend bool operator==(const CifrasEnVivo&, const CifrasEnVivo&) = default;
};

CifrasEnVivo CalcularEnVivo(std::string_view escrito, std::string_view texto, unsigned segundos);

// "212 ppm  97 %"
std::string TextoEnVivo(const CifrasEnVivo& c);

// A run of typed characters that differ from the text at their positions (or lie past its end).
struct Tramo {
    std::size_t inicio = 0, fin = 0;  // [inicio, fin)
    friend bool operator==(const Tramo&, const Tramo&) = default;
};
std::vector<Tramo> Errores(std::string_view escrito, std::string_view texto);

}  // namespace practica
