// The recording of one attempt while it runs: started with its origin, fed every key-down with
// what it wrote or erased, ended with its result. Keeps everything in memory; nothing here touches
// a file, so it may sit on the key path. Qt-free.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "estadisticas/Intento.h"

namespace estadisticas {

class RegistroIntento {
public:
    using Reloj = std::chrono::steady_clock;

    // Starts a new attempt at `texto` (Windows-1252), dropping one that was under way.
    void Empezar(Origen origen, std::optional<catalogo::Posicion> posicion, std::string texto,
                 std::chrono::system_clock::time_point inicio = std::chrono::system_clock::now());
    bool Activo() const { return activo_; }
    // Something has been written (not only erased, not only keys that yield nothing).
    bool AlgoEscrito() const { return escrito_; }

    // One key-down: `producido` is what the key produced ("\b" for Backspace, empty for a dead key),
    // `largoAntes` the length of the typed text before the key acted.
    void Pulsar(std::uint16_t tecla, std::uint8_t modificadores, std::string_view producido,
                std::size_t largoAntes, Reloj::time_point cuando = Reloj::now());

    // Ends the attempt. Returns it when something was written; an attempt with nothing written is
    // dropped. `caracteres` is the length of the typed text at the end.
    std::optional<Intento> Terminar(Resultado resultado, std::size_t caracteres, Reloj::time_point cuando = Reloj::now());
    void Descartar();

private:
    Intento actual_;
    bool activo_ = false;
    bool escrito_ = false;
    Reloj::time_point primera_{}, anterior_{};
};

}  // namespace estadisticas
