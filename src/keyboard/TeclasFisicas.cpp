#include "keyboard/TeclasFisicas.h"

#include <array>

#include "keyboard/Traduccion.h"

namespace teclado {

namespace {

struct Entrada {
    std::uint16_t codigo;  // X11 key code = evdev + 8
    std::uint16_t vk;
    Ranura ranura;
};

// Spanish ISO keyboard; positions named by their evdev key.
constexpr Entrada kMapa[] = {
    {9, VK_ESCAPE, Ranura::Ninguna},                                  // KEY_ESC
    {10, '1', Ranura::Ninguna}, {11, '2', Ranura::Ninguna}, {12, '3', Ranura::Ninguna},
    {13, '4', Ranura::Ninguna}, {14, '5', Ranura::Ninguna}, {15, '6', Ranura::Ninguna},
    {16, '7', Ranura::Ninguna}, {17, '8', Ranura::Ninguna}, {18, '9', Ranura::Ninguna},
    {19, '0', Ranura::Ninguna},
    {20, VK_OEM_4, Ranura::Ninguna},                                  // KEY_MINUS: ' ?
    {21, VK_OEM_6, Ranura::Ninguna},                                  // KEY_EQUAL: ¡ ¿
    {22, VK_BACK, Ranura::Ninguna},
    {23, VK_TAB, Ranura::Ninguna},
    {24, 'Q', Ranura::Ninguna}, {25, 'W', Ranura::Ninguna}, {26, 'E', Ranura::Ninguna},
    {27, 'R', Ranura::Ninguna}, {28, 'T', Ranura::Ninguna}, {29, 'Y', Ranura::Ninguna},
    {30, 'U', Ranura::Ninguna}, {31, 'I', Ranura::Ninguna}, {32, 'O', Ranura::Ninguna},
    {33, 'P', Ranura::Ninguna},
    {34, VK_OEM_1, Ranura::Ninguna},                                  // KEY_LEFTBRACE: ` ^
    {35, VK_OEM_PLUS, Ranura::Ninguna},                               // KEY_RIGHTBRACE: + *
    {36, VK_RETURN, Ranura::Ninguna},
    {37, VK_CONTROL, Ranura::CtrlIzq},
    {38, 'A', Ranura::Ninguna}, {39, 'S', Ranura::Ninguna}, {40, 'D', Ranura::Ninguna},
    {41, 'F', Ranura::Ninguna}, {42, 'G', Ranura::Ninguna}, {43, 'H', Ranura::Ninguna},
    {44, 'J', Ranura::Ninguna}, {45, 'K', Ranura::Ninguna}, {46, 'L', Ranura::Ninguna},
    {47, VK_OEM_3, Ranura::Ninguna},                                  // KEY_SEMICOLON: ñ
    {48, VK_OEM_7, Ranura::Ninguna},                                  // KEY_APOSTROPHE: ´ ¨
    {49, VK_OEM_5, Ranura::Ninguna},                                  // KEY_GRAVE: º ª
    {50, VK_SHIFT, Ranura::ShiftIzq},
    {51, VK_OEM_2, Ranura::Ninguna},                                  // KEY_BACKSLASH: ç
    {52, 'Z', Ranura::Ninguna}, {53, 'X', Ranura::Ninguna}, {54, 'C', Ranura::Ninguna},
    {55, 'V', Ranura::Ninguna}, {56, 'B', Ranura::Ninguna}, {57, 'N', Ranura::Ninguna},
    {58, 'M', Ranura::Ninguna},
    {59, VK_OEM_COMMA, Ranura::Ninguna}, {60, VK_OEM_PERIOD, Ranura::Ninguna},
    {61, VK_OEM_MINUS, Ranura::Ninguna},                              // KEY_SLASH: - _
    {62, VK_SHIFT, Ranura::ShiftDer},
    {63, 0x6A, Ranura::Ninguna},                                      // keypad *
    {64, VK_MENU, Ranura::AltIzq},
    {65, VK_SPACE, Ranura::Ninguna},
    {66, VK_CAPITAL, Ranura::Ninguna},
    {67, 112, Ranura::Ninguna}, {68, 113, Ranura::Ninguna}, {69, 114, Ranura::Ninguna},
    {70, 115, Ranura::Ninguna}, {71, 116, Ranura::Ninguna}, {72, 117, Ranura::Ninguna},
    {73, 118, Ranura::Ninguna}, {74, 119, Ranura::Ninguna}, {75, 120, Ranura::Ninguna},
    {76, 121, Ranura::Ninguna},                                       // F1..F10
    {77, 0x90, Ranura::Ninguna}, {78, 0x91, Ranura::Ninguna},         // Num Lock, Scroll Lock
    // Keypad keys report the codes of the keypad (outside the translation table).
    {79, 0x67, Ranura::Ninguna}, {80, 0x68, Ranura::Ninguna}, {81, 0x69, Ranura::Ninguna},
    {82, 0x6D, Ranura::Ninguna}, {83, 0x64, Ranura::Ninguna}, {84, 0x65, Ranura::Ninguna},
    {85, 0x66, Ranura::Ninguna}, {86, 0x6B, Ranura::Ninguna}, {87, 0x61, Ranura::Ninguna},
    {88, 0x62, Ranura::Ninguna}, {89, 0x63, Ranura::Ninguna}, {90, 0x60, Ranura::Ninguna},
    {91, 0x6E, Ranura::Ninguna},
    {92, 0, Ranura::AltGr},                                           // ISO_Level3_Shift
    {94, VK_OEM_102, Ranura::Ninguna},                                // KEY_102ND: < >
    {95, 122, Ranura::Ninguna}, {96, 123, Ranura::Ninguna},           // F11, F12
    {104, VK_RETURN, Ranura::Ninguna},                                // keypad Enter acts as Enter
    {105, VK_CONTROL, Ranura::CtrlDer},
    {106, 0x6F, Ranura::Ninguna},                                     // keypad /
    {107, 0x2C, Ranura::Ninguna},                                     // Print Screen
    {108, 0, Ranura::AltGr},                                          // right Alt
    {110, 0x24, Ranura::Ninguna}, {111, 0x26, Ranura::Ninguna}, {112, 0x21, Ranura::Ninguna},
    {113, 0x25, Ranura::Ninguna}, {114, 0x27, Ranura::Ninguna}, {115, 0x23, Ranura::Ninguna},
    {116, 0x28, Ranura::Ninguna}, {117, 0x22, Ranura::Ninguna}, {118, 0x2D, Ranura::Ninguna},
    {119, 0x2E, Ranura::Ninguna},                                     // Home..Delete
    {127, 0x13, Ranura::Ninguna},                                     // Pause
    {133, 0x5B, Ranura::Ninguna}, {134, 0x5C, Ranura::Ninguna},       // Windows keys
    {135, 0x5D, Ranura::Ninguna},                                     // menu key
};

const auto kPorCodigo = [] {
    std::array<TeclaFisica, 256> t;
    // Filled explicitly: GCC 12 at -O2 zero-fills a value-initialised array of this struct, which
    // would make every code outside the map a left Shift.
    t.fill(TeclaFisica{0, Ranura::Ninguna, false});
    for (const auto& e : kMapa) t[e.codigo] = TeclaFisica{e.vk, e.ranura, true};
    return t;
}();

constexpr std::uint8_t Bit(Ranura r) { return BitRanura(r); }

constexpr std::uint8_t kShifts = Bit(Ranura::ShiftIzq) | Bit(Ranura::ShiftDer);
constexpr std::uint8_t kControles = Bit(Ranura::CtrlIzq) | Bit(Ranura::CtrlDer);

std::uint8_t ModificadoresDe(std::uint8_t ranuras) {
    std::uint8_t m = 0;
    if (ranuras & kShifts) m |= kShift;
    if (ranuras & (kControles | Bit(Ranura::AltGr))) m |= kCtrl;
    if (ranuras & (Bit(Ranura::AltIzq) | Bit(Ranura::AltGr))) m |= kAlt;
    return m;
}

}  // namespace

std::uint8_t RanurasDeMapaX11(const std::uint8_t mapa[32]) {
    std::uint8_t r = 0;
    for (std::uint32_t byte = 0; byte < 32; ++byte)
        for (std::uint32_t bit = 0; mapa[byte] >> bit; ++bit)
            if (mapa[byte] & (1u << bit)) {
                const TeclaFisica t = TeclaDeCodigoX11(byte * 8 + bit);
                if (t.ranura != Ranura::Ninguna) r |= Bit(t.ranura);
            }
    return r;
}

std::uint8_t RanurasDeBanderas(std::uint8_t actuales, bool shift, bool ctrl, bool alt, bool altgr) {
    std::uint8_t r = 0;
    if (shift) r |= (actuales & kShifts) ? (actuales & kShifts) : Bit(Ranura::ShiftIzq);
    const bool altgrComoCtrlAlt = !altgr && ctrl && alt && (actuales & Bit(Ranura::AltGr));
    if (altgr || altgrComoCtrlAlt) r |= Bit(Ranura::AltGr);
    // Control and Alt flags that such an AltGr explains add no key of their own.
    if (ctrl) r |= (actuales & kControles) ? (actuales & kControles) : altgrComoCtrlAlt ? 0 : Bit(Ranura::CtrlIzq);
    if (alt && ((actuales & Bit(Ranura::AltIzq)) || !altgrComoCtrlAlt)) r |= Bit(Ranura::AltIzq);
    return r;
}

TeclaFisica TeclaDeCodigoX11(std::uint32_t codigo) {
    if (codigo >= kPorCodigo.size()) return {};
    return kPorCodigo[codigo];
}

std::uint8_t TecladoFisico::Modificadores() const { return ModificadoresDe(abajo_); }

int TecladoFisico::Emitir(const TeclaFisica& t, EventoTecla salida[2]) const {
    const std::uint8_t m = Modificadores();
    if (t.ranura == Ranura::AltGr) {
        salida[0] = {VK_CONTROL, m};
        salida[1] = {VK_MENU, m};
        return 2;
    }
    // A key outside the map still counts: it drops a pending accent like any key outside the table.
    salida[0] = {t.conocida ? t.vk : static_cast<std::uint16_t>(VK_DESCONOCIDA), m};
    return 1;
}

int TecladoFisico::Pulsar(const TeclaFisica& t, EventoTecla salida[2]) {
    if (t.ranura != Ranura::Ninguna) abajo_ |= Bit(t.ranura);
    return Emitir(t, salida);
}

int TecladoFisico::Soltar(const TeclaFisica& t, EventoTecla salida[2]) {
    if (t.ranura != Ranura::Ninguna) abajo_ &= static_cast<std::uint8_t>(~Bit(t.ranura));
    return Emitir(t, salida);
}

std::array<EstadoModificador, 3> TecladoFisico::Sincronizar(std::uint8_t ranuras) {
    abajo_ = ranuras & (kShifts | kControles | Bit(Ranura::AltIzq) | Bit(Ranura::AltGr));
    const std::uint8_t m = Modificadores();
    return {{{VK_SHIFT, (m & kShift) != 0}, {VK_CONTROL, (m & kCtrl) != 0}, {VK_MENU, (m & kAlt) != 0}}};
}

}  // namespace teclado
