// Which finger strikes each typing key of the on-screen keyboard, by panel name. Qt-free: the
// finger colours, the guide's choice of Shift key and the statistics per finger all read it.
#pragma once

#include <string_view>

namespace teclado {

enum class Dedo : signed char {
    Ninguno = -1,
    MeniqueIzq, AnularIzq, MedioIzq, IndiceIzq, Pulgares, IndiceDer, MedioDer, AnularDer, MeniqueDer
};
inline constexpr int kNumDedos = 9;

// The 55 typing keys, by panel name, in the order of the keyboard's rows.
inline constexpr int kNumTeclasEscritura = 55;
std::string_view TeclaEscritura(int indice);
int IndiceTeclaEscritura(std::string_view panel);  // -1 outside the 55

// Ninguno for a panel outside the 55 typing keys.
Dedo DedoDeTecla(std::string_view panel);
Dedo DedoDeTecla(int indice);
inline bool ManoIzquierda(Dedo d) { return d >= Dedo::MeniqueIzq && d <= Dedo::IndiceIzq; }
inline bool ManoDerecha(Dedo d) { return d >= Dedo::IndiceDer && d <= Dedo::MeniqueDer; }

}  // namespace teclado
