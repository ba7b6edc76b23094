#include "practica/EnVivo.h"

#include "practica/Practica.h"

namespace practica {

CifrasEnVivo CalcularEnVivo(std::string_view escrito, std::string_view texto, unsigned segundos) {
    CifrasEnVivo c;
    c.ppm = Velocidad(escrito.size(), 0, 0, segundos);
    if (!escrito.empty()) c.aciertos = static_cast<unsigned>(Coincidencias(escrito, texto) * 100u / escrito.size());
    return c;
}

std::string TextoEnVivo(const CifrasEnVivo& c) {
    return std::to_string(c.ppm) + " ppm  " + std::to_string(c.aciertos) + " %";
}

std::vector<Tramo> Errores(std::string_view escrito, std::string_view texto) {
    std::vector<Tramo> r;
    for (std::size_t i = 0; i < escrito.size(); ++i) {
        if (i < texto.size() && escrito[i] == texto[i]) continue;
        if (!r.empty() && r.back().fin == i) ++r.back().fin;
        else r.push_back({i, i + 1});
    }
    return r;
}

}  // namespace practica
