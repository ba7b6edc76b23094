// Physical keys: X11/Wayland key codes (Linux evdev code + 8) of a 105-key ISO keyboard mapped to
// the virtual-key codes a Spanish keyboard reports, whatever layout the desktop uses. The modifier
// set is tracked from the modifier keys themselves. Qt-free.
#pragma once

#include <cstdint>

namespace teclado {

// The modifier keys the tracker follows.
enum class Ranura : std::int8_t { Ninguna = -1, ShiftIzq, ShiftDer, CtrlIzq, CtrlDer, AltIzq, AltGr };

struct TeclaFisica {
    std::uint16_t vk = 0;           // 0 for AltGr, which gives Control and Alt
    Ranura ranura = Ranura::Ninguna;
    bool conocida = false;          // the code is a key of the map
};

// Key code to key; conocida false for codes outside the map.
TeclaFisica TeclaDeCodigoX11(std::uint32_t codigo);

struct EventoTecla {
    std::uint16_t vk;
    std::uint8_t modificadores;  // kShift | kCtrl | kAlt
};

class TecladoFisico {
public:
    // Key-down; fills up to two events (AltGr gives Control and Alt, as a Spanish keyboard does)
    // and returns how many. A key outside the map gives VK_DESCONOCIDA.
    int Pulsar(const TeclaFisica& t, EventoTecla salida[2]);
    // Key-up. Auto-repeat key-ups (synthesised between repeats) must not reach here.
    int Soltar(const TeclaFisica& t, EventoTecla salida[2]);
    std::uint8_t Modificadores() const;
    // Drops the modifiers that are no longer held (for instance after a key-up went to a dialog).
    void Sincronizar(bool shift, bool ctrl, bool alt);
    void Reiniciar() { abajo_ = 0; }

private:
    int Emitir(const TeclaFisica& t, EventoTecla salida[2]) const;
    std::uint8_t abajo_ = 0;  // one bit per Ranura
};

}  // namespace teclado
