// One attempt at a text, as it is recorded: where it came from, how it ended and every key pressed
// during it. The recorder fills it in memory while the learner types; the store writes it whole
// when it ends. Text is Windows-1252, like the rest of the core. Qt-free.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogo.h"

namespace estadisticas {

// Where the text came from; the store keeps it as its name.
enum class Origen : std::uint8_t { Catalogo, Libre, Prueba, Repaso };
std::string_view NombreOrigen(Origen o);  // "catalogo", "libre", "prueba", "repaso"

enum class Resultado : std::uint8_t { Correcto, Incorrecto, Abandonado };
std::string_view NombreResultado(Resultado r);  // "correcto", "incorrecto", "abandonado"

// One key-down during the attempt. 16 bytes, so a long attempt stays small in memory.
struct Pulsacion {
    std::uint32_t posicion = 0;    // 0-based place in the text where the key wrote or erased
    std::uint32_t ms = 0;          // since the previous key-down of the attempt; 0 for the first
    std::uint16_t tecla = 0;       // virtual-key code
    std::uint8_t modificadores = 0;
    char esperado = 0;             // the text's character at posicion; 0 past its end
    std::uint8_t largoEscrito = 0; // 0..2
    char escrito[2] = {0, 0};      // what the key produced; "\b" for Backspace

    std::string_view Escrito() const { return {escrito, largoEscrito}; }
    bool Borra() const { return largoEscrito == 1 && escrito[0] == '\b'; }
    // Wrote characters (not Backspace, not a key that yields nothing).
    bool Escribe() const { return largoEscrito > 0 && !Borra(); }
};

struct Intento {
    Origen origen = Origen::Catalogo;
    std::optional<catalogo::Posicion> posicion;  // only for catalogue texts
    std::chrono::system_clock::time_point inicio;
    double segundos = 0;        // from the first key press to the end
    std::uint32_t caracteres = 0;  // in the typed text at the end
    std::uint32_t errores = 0;     // presses whose text differed from the text's, corrected or not
    Resultado resultado = Resultado::Abandonado;
    std::string texto;          // the text to copy
    std::vector<Pulsacion> pulsaciones;

    // Characters per minute; nullopt when no time has passed.
    std::optional<double> Ppm() const;
};

// True when a press that wrote `escrito` at `posicion` differs from the text there.
bool EsError(std::string_view texto, std::uint32_t posicion, std::string_view escrito);

}  // namespace estadisticas
