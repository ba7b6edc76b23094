// Which finger of which hand strikes each typing key: the finger colours of the on-screen
// keyboard and the guide's choice of Shift key both read it. Qt-free.
#pragma once

#include <cstdint>
#include <string_view>

namespace teclado {

enum class Dedo : std::uint8_t { Ninguno, Menique, Anular, Corazon, Indice, Pulgar };
enum class Mano : std::uint8_t { Ninguna, Izquierda, Derecha };

struct DedoDeTecla {
    Dedo dedo = Dedo::Ninguno;
    Mano mano = Mano::Ninguna;  // the thumb strikes the space bar with either hand
};

// By panel name ("btnA"); keys outside the 55 typing keys have no finger.
DedoDeTecla DedoDe(std::string_view panel);

}  // namespace teclado
