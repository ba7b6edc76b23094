// What the store tests share: the block as the file must hold it, and a child that saves forever.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/Configuracion.h"

namespace prueba {

// Built field by field, little-endian, rather than by copying memory, so a layout fault shows.
inline std::vector<std::uint8_t> BloqueDe(const almacen::TConfiguracion& c) {
    std::vector<std::uint8_t> b;
    b.reserve(almacen::kTamanoBloque);
    b.push_back(c.Reservado0);
    b.push_back(c.Reservado1);
    b.insert(b.end(), std::begin(c.Reservado2), std::end(c.Reservado2));
    b.push_back(c.VerManos);
    b.push_back(c.PintarTecladoActivo);
    b.push_back(c.SonidoTeclaActivo);
    b.push_back(c.SonidoLeccionActivo);
    b.insert(b.end(), std::begin(c.Reservado56), std::end(c.Reservado56));
    for (const auto& u : c.Realizados)
        for (const auto& l : u) b.insert(b.end(), std::begin(l), std::end(l));
    for (const auto& u : c.Intentos)
        for (const auto& l : u)
            for (std::uint16_t v : l) {
                b.push_back(static_cast<std::uint8_t>(v));
                b.push_back(static_cast<std::uint8_t>(v >> 8));
            }
    return b;
}

// In a forked child: saves a and b in turn until killed.
[[noreturn]] inline void GuardarSinFin(const std::string& ruta, const almacen::TConfiguracion& a,
                                       const almacen::TConfiguracion& b) {
    try {
        for (;;) {
            almacen::GuardarConfiguracion(ruta, a);
            almacen::GuardarConfiguracion(ruta, b);
        }
    } catch (...) {
    }
    ::_exit(3);
}

}  // namespace prueba
