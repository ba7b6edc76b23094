// A made-up learner's history: the catalogue's texts typed over and over, slowly getting faster,
// with slips, corrected slips, forgotten tildes and wrong capitals, the dead key pressed before
// each accented vowel, until the requested number of key presses has been written.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "catalogue/Catalogo.h"
#include "estadisticas/Almacen.h"
#include "estadisticas/Registro.h"
#include "keyboard/Traduccion.h"

namespace historia {

struct Tecla {
    std::uint16_t vk = 0;
    std::uint8_t mods = 0;
    std::uint16_t muerta = 0;  // dead key first, or 0
    std::uint8_t modsMuerta = 0;
};

// How a Windows-1252 character is typed, read from the key table.
inline Tecla ComoSeEscribe(unsigned char c) {
    for (const teclado::FilaTecla& f : teclado::TablaTeclas()) {
        if (f.tipo == teclado::Tipo::Muerta || f.tipo == teclado::Tipo::Modificador) continue;
        if (f.normal == c) return {f.vk, 0, 0, 0};
        if (f.shift == c) return {f.vk, teclado::kShift, 0, 0};
        if (f.altgr == c) return {f.vk, teclado::kCtrl | teclado::kAlt, 0, 0};
    }
    for (const teclado::FilaTecla& f : teclado::TablaTeclas()) {
        if (f.tipo != teclado::Tipo::Muerta) continue;
        for (const unsigned char acento : {f.normal, f.shift})
            for (char v : std::string("aeiouyAEIOUY")) {
                if (teclado::Componer(static_cast<char>(acento), static_cast<unsigned char>(v)) != c) continue;
                const bool mayuscula = v >= 'A' && v <= 'Z';
                return {static_cast<std::uint16_t>(mayuscula ? v : v - 32), static_cast<std::uint8_t>(mayuscula ? teclado::kShift : 0),
                        f.vk, static_cast<std::uint8_t>(acento == f.shift ? teclado::kShift : 0)};
            }
    }
    return {teclado::VK_SPACE, 0, 0, 0};
}

// Writes attempts until `pulsaciones` key presses are stored; returns how many attempts.
inline std::size_t Generar(estadisticas::BaseDatos& db, std::uint64_t pulsaciones, unsigned semilla = 7) {
    std::vector<catalogo::Posicion> textos;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) { textos.push_back(p); });
    std::mt19937 azar(semilla);
    std::uniform_real_distribution<double> u(0, 1);
    auto inicio = std::chrono::system_clock::now() - std::chrono::hours(24 * 120);
    std::uint64_t hechas = 0;
    std::size_t intentos = 0;
    for (std::size_t k = 0; hechas < pulsaciones; ++k) {
        const catalogo::Posicion p = textos[k % textos.size()];
        const std::string texto(catalogo::Texto(p));
        const double soltura = std::min(1.0, static_cast<double>(hechas) / static_cast<double>(pulsaciones));
        const double msMedio = 380 - 200 * soltura;  // the learner gets faster
        estadisticas::RegistroIntento r;
        r.Empezar(estadisticas::Origen::Catalogo, p, texto, inicio);
        auto t = estadisticas::RegistroIntento::Reloj::time_point{} + std::chrono::hours(1);
        std::string escrito;
        auto pulsar = [&](std::uint16_t vk, std::uint8_t mods, const std::string& sale) {
            t += std::chrono::milliseconds(static_cast<int>(msMedio * (0.5 + u(azar))));
            r.Pulsar(vk, mods, sale, escrito.size(), t);
            if (sale == "\b") {
                if (!escrito.empty()) escrito.pop_back();
            } else {
                escrito += sale;
            }
            ++hechas;
        };
        for (std::size_t i = 0; i < texto.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(texto[i]);
            const Tecla tc = ComoSeEscribe(c);
            const double fallo = 0.04 - 0.025 * soltura;
            if (tc.muerta && u(azar) < 0.15) {
                // The tilde forgotten: the plain vowel.
                pulsar(tc.vk, tc.mods, std::string(1, static_cast<char>(tc.mods ? tc.vk : tc.vk + 32)));
            } else if (c >= 'a' && c <= 'z' && u(azar) < fallo) {
                // A neighbour's letter, corrected two times in three.
                const char vecina = static_cast<char>('a' + (c - 'a' + 1 + static_cast<int>(azar() % 2)) % 26);
                pulsar(static_cast<std::uint16_t>(vecina - 32), 0, std::string(1, vecina));
                if (u(azar) < 0.67) {
                    pulsar(teclado::VK_BACK, 0, "\b");
                    pulsar(tc.vk, tc.mods, std::string(1, static_cast<char>(c)));
                }
            } else {
                if (tc.muerta) pulsar(tc.muerta, tc.modsMuerta, "");
                pulsar(tc.vk, tc.mods, std::string(1, static_cast<char>(c)));
            }
        }
        const bool bien = escrito == texto;
        if (auto in = r.Terminar(bien ? estadisticas::Resultado::Correcto : estadisticas::Resultado::Incorrecto,
                                 escrito.size(), t)) {
            db.Guardar(*in);
            ++intentos;
        }
        inicio += std::chrono::minutes(233);
    }
    return intentos;
}

}  // namespace historia
