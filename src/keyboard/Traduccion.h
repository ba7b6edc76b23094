// The program's own Spanish keyboard layout: Windows virtual-key codes with their modifier state,
// Caps Lock and dead-key accents turned into Windows-1252 text. Qt-free.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace teclado {

// Modifier set bits as the key events carry them.
enum Modificador : std::uint8_t { kShift = 1, kCtrl = 2, kAlt = 4 };

// The only states the table distinguishes; every other set is Otro.
enum class Estado { Ninguno, Shift, AltGr, Otro };
Estado EstadoDe(std::uint8_t modificadores);

enum class Tipo : std::uint8_t { Borrar, Intro, Modificador, BloqMayus, Esc, Espacio, Letra, Simbolo, Muerta };

// Panels of the on-screen keyboard by name.
struct FilaTecla {
    std::uint16_t vk;
    Tipo tipo;
    const char* paneles[2];  // second may be null
    unsigned char normal;    // character, or for a dead key the accent it leaves pending; 0 = none
    unsigned char shift;
    unsigned char altgr;
};

std::span<const FilaTecla> TablaTeclas();
const FilaTecla* BuscarFila(std::uint16_t vk);  // null for a key outside the table

// The accents a dead key can leave pending.
inline constexpr char kGrave = '\x60', kCircunflejo = '\x5E', kAgudo = '\xB4', kDieresis = '\xA8';

// Composed vowel (or y) in the case of the letter given, or 0 where the table has no entry.
unsigned char Componer(char acento, unsigned char letra);

// Virtual-key codes used by name elsewhere.
enum Vk : std::uint16_t {
    VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
    VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_F1 = 112, VK_F12 = 123,
    VK_OEM_1 = 186, VK_OEM_PLUS = 187, VK_OEM_COMMA = 188, VK_OEM_MINUS = 189, VK_OEM_PERIOD = 190,
    VK_OEM_2 = 191, VK_OEM_3 = 192, VK_OEM_4 = 219, VK_OEM_5 = 220, VK_OEM_6 = 221, VK_OEM_7 = 222,
    VK_OEM_102 = 226,
    // A physical key the program's map does not know (media keys, extra keys of other national
    // keyboards): it reaches the translation as a key outside the table.
    VK_DESCONOCIDA = 255
};

class TraductorTeclas {
public:
    bool MayusculasActivas = false;
    char AcentoPendiente = 0;  // 0 when no accent waits; otherwise one of the four accents

    void Reiniciar() { MayusculasActivas = false; AcentoPendiente = 0; }

    // Key-down: the text the key produces (zero to two characters). *fila receives the table row
    // whose panels go down, or null for a key outside the table.
    std::string Pulsar(std::uint16_t vk, std::uint8_t modificadores, const FilaTecla** fila = nullptr);
};

}  // namespace teclado
