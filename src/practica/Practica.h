// The exercise run's logic that needs no widget: heading and display texts, the verdict and its
// figures, the clock, and the next-exercise search. Strings are Windows-1252. Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/Catalogo.h"

namespace practica {

using Realizados = std::uint8_t[catalogo::NumUnidades][catalogo::NumLecciones][catalogo::NumEjercicios];

// "Unidad Nº u.     Lección Nº l. <lesson>     (Ejercicio Nº e. <exercise>)"
std::string Cabecera(const catalogo::Posicion& p);

// The text to copy as shown: "«" before every line break, so each line shows where Enter is due.
std::string TextoAMostrar(std::string_view texto);

// Positions 1..L (L = length of the text) where the copy holds the text's character, and the
// accuracy in whole percent (fraction dropped).
std::uint16_t Coincidencias(std::string_view escrito, std::string_view texto);
unsigned Precision(std::string_view escrito, std::string_view texto);

// Keystrokes per minute; 0 when no second has passed.
unsigned Velocidad(std::size_t caracteres, unsigned horas, unsigned minutos, unsigned segundos);

// "09:05", "1:00:00".
std::string TextoReloj(unsigned horas, unsigned minutos, unsigned segundos);

// The exercise clock, one tick a second.
struct Reloj {
    std::uint8_t Horas = 0, Minutos = 0, Segundos = 0;
    void Poner() { Horas = Minutos = Segundos = 0; }
    void Tic();
    unsigned TotalSegundos() const { return Horas * 3600u + Minutos * 60u + Segundos; }
};

// The first existing exercise not yet done, in catalogue order; unit 1, lesson 1, exercise 1 when none.
catalogo::Posicion SiguienteEjercicio(const Realizados& hechos);

// The lines of an information box: each non-empty line followed by two line breaks, the last pair dropped.
std::string TextoMensaje(std::string_view l1, std::string_view l2 = {}, std::string_view l3 = {},
                         std::string_view l4 = {}, std::string_view l5 = {});

// The key click sounds only for these virtual keys.
bool TeclaConClic(std::uint16_t vk);

// Verdict messages.
inline constexpr const char* kCorrecto = "Ejercicio correcto. Puede pasar al siguiente.";
inline constexpr const char* kIncorrecto = "Ejercicio incorrecto.";
inline constexpr const char* kRepetir = "Deber\xE1 volver a hacerlo de nuevo.";
std::string LineaIntentos(unsigned intentos);    // "(realizado en N intentos)"
std::string LineaPrecision(unsigned precision);  // "(N% de aciertos)"
std::string LineaVelocidad(unsigned velocidad);  // "N pulsaciones por minuto."

}  // namespace practica
