// Physical keys: X11/Wayland key codes (Linux evdev code + 8) of a 105-key ISO keyboard mapped to
// the virtual-key codes a Spanish keyboard reports, whatever layout the desktop uses. The modifier
// set is tracked from the modifier keys themselves. Qt-free.
#pragma once

#include <array>
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

// Whether the on-screen key of a modifier (VK_SHIFT, VK_CONTROL, VK_MENU) is down.
struct EstadoModificador {
    std::uint16_t vk;
    bool abajo;
};

constexpr std::uint8_t BitRanura(Ranura r) { return static_cast<std::uint8_t>(1u << static_cast<int>(r)); }

// The modifier keys held according to an X11 key map (32 bytes, one bit per key code, as
// XQueryKeymap gives it), one bit per Ranura.
std::uint8_t RanurasDeMapaX11(const std::uint8_t mapa[32]);

// Where only the modifier flags are known: the slots held now, keeping which key of a pair the
// tracker saw (actuales) and taking the left one for a flag no tracked key explains. Where the
// platform reports AltGr as Control with Alt rather than on a flag of its own, a tracked AltGr
// stays while both flags are on.
std::uint8_t RanurasDeBanderas(std::uint8_t actuales, bool shift, bool ctrl, bool alt, bool altgr);

class TecladoFisico {
public:
    // Key-down; fills up to two events (AltGr gives Control and Alt, as a Spanish keyboard does)
    // and returns how many. A key outside the map gives VK_DESCONOCIDA.
    int Pulsar(const TeclaFisica& t, EventoTecla salida[2]);
    // Key-up. Auto-repeat key-ups (synthesised between repeats) must not reach here.
    int Soltar(const TeclaFisica& t, EventoTecla salida[2]);
    std::uint8_t Modificadores() const;
    std::uint8_t Ranuras() const { return abajo_; }
    // Takes the modifier keys held now (one bit per Ranura) after key events may have gone
    // elsewhere (a menu, a popup, another window): a key released there is dropped, one pressed
    // there and still held is seen. Gives how Shift, Control and Alt must show on screen.
    std::array<EstadoModificador, 3> Sincronizar(std::uint8_t ranuras);
    void Reiniciar() { abajo_ = 0; }

private:
    int Emitir(const TeclaFisica& t, EventoTecla salida[2]) const;
    std::uint8_t abajo_ = 0;  // one bit per Ranura
};

}  // namespace teclado
