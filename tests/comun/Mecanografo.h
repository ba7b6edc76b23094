// A test typist: the physical keys (X11 key codes) that type a Windows-1252 text on the Spanish
// keyboard, found by asking the key translation itself, never by a second copy of the layout.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "keyboard/TeclasFisicas.h"
#include "keyboard/Traduccion.h"

namespace prueba {

struct Golpe {
    std::uint32_t codigo;  // X11 key code
    bool abajo;
};

inline constexpr std::uint32_t kShiftIzq = 50, kAltGr = 108, kIntro = 36, kEspacio = 65;

inline std::uint32_t CodigoDeVk(std::uint16_t vk) {
    for (std::uint32_t c = 8; c < 256; ++c) {
        const teclado::TeclaFisica t = teclado::TeclaDeCodigoX11(c);
        if (t.conocida && t.vk == vk) return c;
    }
    throw std::logic_error("no physical key for virtual key " + std::to_string(vk));
}

struct Forma {
    std::uint16_t muerta = 0;  // dead key first, or 0
    std::uint8_t modMuerta = 0;
    std::uint16_t vk = 0;
    std::uint8_t mod = 0;
};

// How each character is typed with Caps Lock off.
inline const std::map<unsigned char, Forma>& Formas() {
    static const std::map<unsigned char, Forma> formas = [] {
        std::map<unsigned char, Forma> f;
        const std::uint8_t estados[3] = {0, teclado::kShift, teclado::kCtrl | teclado::kAlt};
        for (const auto& fila : teclado::TablaTeclas())
            for (std::uint8_t m : estados) {
                teclado::TraductorTeclas t;
                const std::string s = t.Pulsar(fila.vk, m);
                if (s.size() == 1 && !f.count(static_cast<unsigned char>(s[0])))
                    f[static_cast<unsigned char>(s[0])] = Forma{0, 0, fila.vk, m};
            }
        for (std::uint16_t muerta : {teclado::VK_OEM_1, teclado::VK_OEM_7})
            for (std::uint8_t mm : {std::uint8_t{0}, std::uint8_t{teclado::kShift}})
                for (const auto& fila : teclado::TablaTeclas())
                    for (std::uint8_t m : {std::uint8_t{0}, std::uint8_t{teclado::kShift}}) {
                        teclado::TraductorTeclas t;
                        t.Pulsar(muerta, mm);
                        const std::string s = t.Pulsar(fila.vk, m);
                        if (s.size() == 1 && !f.count(static_cast<unsigned char>(s[0])))
                            f[static_cast<unsigned char>(s[0])] = Forma{muerta, mm, fila.vk, m};
                    }
        return f;
    }();
    return formas;
}

inline void Golpear(std::vector<Golpe>& g, std::uint16_t vk, std::uint8_t mod) {
    const std::uint32_t c = CodigoDeVk(vk);
    const std::uint32_t m = (mod & teclado::kShift) ? kShiftIzq : (mod ? kAltGr : 0);
    if (m) g.push_back({m, true});
    g.push_back({c, true});
    g.push_back({c, false});
    if (m) g.push_back({m, false});
}

// Throws for a character no key sequence produces.
inline std::vector<Golpe> Teclear(std::string_view texto) {
    std::vector<Golpe> g;
    for (char ch : texto) {
        const unsigned char c = static_cast<unsigned char>(ch);
        auto it = Formas().find(c);
        if (it == Formas().end()) throw std::runtime_error("character cannot be typed: " + std::to_string(c));
        if (it->second.muerta) Golpear(g, it->second.muerta, it->second.modMuerta);
        Golpear(g, it->second.vk, it->second.mod);
    }
    return g;
}

// Replays physical keys through the physical layer and the translation, as the window does.
inline std::string Reproducir(const std::vector<Golpe>& golpes, teclado::TraductorTeclas& t) {
    teclado::TecladoFisico fisico;
    std::string salida;
    for (const Golpe& g : golpes) {
        teclado::EventoTecla ev[2];
        const teclado::TeclaFisica tecla = teclado::TeclaDeCodigoX11(g.codigo);
        const int n = g.abajo ? fisico.Pulsar(tecla, ev) : fisico.Soltar(tecla, ev);
        if (g.abajo)
            for (int i = 0; i < n; ++i) salida += t.Pulsar(ev[i].vk, ev[i].modificadores);
    }
    return salida;
}

}  // namespace prueba
