#include "guia/Guia.h"

#include "keyboard/Dedos.h"

namespace guia {

namespace {

using teclado::TraductorTeclas;

constexpr std::uint8_t kAltGr = teclado::kCtrl | teclado::kAlt;
constexpr std::uint8_t kEstados[3] = {0, teclado::kShift, kAltGr};

// Presses the guide may propose: every row of the key table that yields text or an accent, in
// the three modifier states, and Tab, which drops a pending accent and yields nothing (so a wrong
// accent can be dropped without a character to erase). Caps Lock is never proposed, nor Esc,
// which empties the copy.
template <typename F>
bool ParaCadaPulsacion(F&& f) {
    if (f(Pulsacion{teclado::VK_TAB, 0})) return true;
    for (const teclado::FilaTecla& fila : teclado::TablaTeclas()) {
        using teclado::Tipo;
        if (fila.tipo == Tipo::Modificador || fila.tipo == Tipo::BloqMayus || fila.tipo == Tipo::Esc) continue;
        for (std::uint8_t m : kEstados)
            if (f(Pulsacion{fila.vk, m})) return true;
    }
    return false;
}

// Breadth first over the accent states (Caps Lock fixed): at most five states, so at most two
// presses that yield nothing can be useful before the one that yields `c`.
bool Buscar(const TraductorTeclas& estado, unsigned char c, int profundidad, Secuencia& s) {
    return ParaCadaPulsacion([&](const Pulsacion& p) {
        TraductorTeclas t = estado;
        const std::string texto = t.Pulsar(p.vk, p.modificadores);
        s.pulsaciones[s.cantidad] = p;
        if (profundidad == 1) {
            if (texto.size() == 1 && static_cast<unsigned char>(texto[0]) == c) {
                ++s.cantidad;
                return true;
            }
            return false;
        }
        // A press on the way must yield nothing and change the pending accent.
        if (!texto.empty() || t.AcentoPendiente == estado.AcentoPendiente) return false;
        ++s.cantidad;
        if (Buscar(t, c, profundidad - 1, s)) return true;
        --s.cantidad;
        return false;
    });
}

}  // namespace

Secuencia Pulsaciones(const TraductorTeclas& estado, unsigned char c) {
    Secuencia s;
    for (int profundidad = 1; profundidad <= 3; ++profundidad) {
        s.cantidad = 0;
        if (Buscar(estado, c, profundidad, s)) return s;
    }
    return {};
}

std::size_t PrefijoCorrecto(std::string_view escrito, std::string_view texto) {
    std::size_t i = 0;
    while (i < escrito.size() && i < texto.size() && escrito[i] == texto[i]) ++i;
    return i;
}

Secuencia Siguiente(const TraductorTeclas& estado, std::string_view escrito, std::string_view texto) {
    const std::size_t n = PrefijoCorrecto(escrito, texto);
    if (n < escrito.size()) {
        Secuencia s;
        s.pulsaciones[0] = Pulsacion{teclado::VK_BACK, 0};
        s.cantidad = 1;
        return s;
    }
    if (n >= texto.size()) return {};
    return Pulsaciones(estado, static_cast<unsigned char>(texto[n]));
}

Teclas TeclasDe(const Pulsacion& p) {
    Teclas t;
    if (p.vk == teclado::VK_TAB) t.tecla = "btnTabulador";
    else if (const teclado::FilaTecla* fila = teclado::BuscarFila(p.vk)) t.tecla = fila->paneles[0];
    if (!t.tecla) return t;
    const teclado::Estado e = teclado::EstadoDe(p.modificadores);
    if (e == teclado::Estado::AltGr) {
        t.modificador = "Panel55";
    } else if (e == teclado::Estado::Shift) {
        // The other hand holds Shift.
        t.modificador = teclado::DedoDe(t.tecla).mano == teclado::Mano::Derecha ? "btnMayusculasIzq" : "btnMayusculasDer";
    }
    return t;
}

}  // namespace guia
