// The guide: which keys to press next. Found by running the key translation itself from the
// learner's state (Caps Lock, pending accent), so it always agrees with what the keys produce.
// Qt-free.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "keyboard/Traduccion.h"

namespace guia {

// One key press: a virtual key with the modifiers held for it.
struct Pulsacion {
    std::uint16_t vk = 0;
    std::uint8_t modificadores = 0;  // 0, teclado::kShift, or kCtrl | kAlt (AltGr)
    friend bool operator==(const Pulsacion&, const Pulsacion&) = default;
};

// Up to three presses: a key that drops a wrong pending accent, a dead key, the key itself.
struct Secuencia {
    std::array<Pulsacion, 3> pulsaciones{};
    std::uint8_t cantidad = 0;
    bool Vacia() const { return cantidad == 0; }
    const Pulsacion* begin() const { return pulsaciones.data(); }
    const Pulsacion* end() const { return pulsaciones.data() + cantidad; }
};

// The shortest sequence of presses after which the translator in `estado` has produced exactly
// `c`, and nothing before it. Caps Lock is left as it is (Shift and the letter give a lower-case
// letter while it is on). Empty when the keyboard cannot produce `c`.
Secuencia Pulsaciones(const teclado::TraductorTeclas& estado, unsigned char c);

// What to press next so that the copy `escrito` grows towards `texto`: Backspace while the copy
// differs from the text (erasing is the only way back), otherwise the first press for the next
// character. Empty when the copy is complete.
Secuencia Siguiente(const teclado::TraductorTeclas& estado, std::string_view escrito, std::string_view texto);

// Length of the start of `escrito` that matches `texto` position by position.
std::size_t PrefijoCorrecto(std::string_view escrito, std::string_view texto);

// The on-screen keys that show a press: the key and, when it needs one, the Shift key of the
// other hand or the AltGr key. Panel names; the second may be null.
struct Teclas {
    const char* tecla = nullptr;
    const char* modificador = nullptr;
};
Teclas TeclasDe(const Pulsacion& p);

}  // namespace guia
