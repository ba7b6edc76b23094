#include "keyboard/Traduccion.h"

#include <array>

namespace teclado {

namespace {

constexpr FilaTecla F(std::uint16_t vk, Tipo t, const char* p, unsigned char n, unsigned char s,
                      unsigned char a, const char* p2 = nullptr) {
    return FilaTecla{vk, t, {p, p2}, n, s, a};
}

constexpr auto kTabla = [] {
    using T = Tipo;
    std::array<FilaTecla, 26> letras{};
    const char* nombres[26] = {"btnA", "btnB", "btnC", "btnD", "btnE", "btnF", "btnG", "btnH", "btnI",
                               "btnJ", "btnK", "btnL", "btnM", "btnN", "btnO", "btnP", "btnQ", "btnR",
                               "btnS", "btnT", "btnU", "btnV", "btnW", "btnX", "btnY", "btnZ"};
    for (int i = 0; i < 26; ++i)
        letras[i] = F(static_cast<std::uint16_t>('A' + i), T::Letra, nombres[i],
                      static_cast<unsigned char>('a' + i), static_cast<unsigned char>('A' + i), 0);
    std::array<FilaTecla, 26 + 33> t{};
    const FilaTecla otras[33] = {
        F(VK_BACK, T::Borrar, "btnBorrar", 8, 8, 8),
        F(VK_RETURN, T::Intro, "btnIntro", 13, 13, 13),
        F(VK_SHIFT, T::Modificador, "btnMayusculasIzq", 0, 0, 0, "btnMayusculasDer"),
        F(VK_CONTROL, T::Modificador, "btnControlIzq", 0, 0, 0, "btnControlDer"),
        F(VK_MENU, T::Modificador, "btnAlt", 0, 0, 0),
        F(VK_CAPITAL, T::BloqMayus, "btnBloqMayus", 0, 0, 0),
        F(VK_ESCAPE, T::Esc, "btnESC", 0, 0, 0),
        F(VK_SPACE, T::Espacio, "btnEspacio", ' ', ' ', ' '),
        F('0', T::Simbolo, "btn0", '0', '=', 0),
        F('1', T::Simbolo, "btn1", '1', '!', '|'),
        F('2', T::Simbolo, "btn2", '2', '"', '@'),
        F('3', T::Simbolo, "btn3", '3', 0xB7, '#'),
        F('4', T::Simbolo, "btn4", '4', '$', 0),
        F('5', T::Simbolo, "btn5", '5', '%', 0),
        F('6', T::Simbolo, "btn6", '6', '&', 0xAC),
        F('7', T::Simbolo, "btn7", '7', '/', 0),
        F('8', T::Simbolo, "btn8", '8', '(', 0),
        F('9', T::Simbolo, "btn9", '9', ')', 0),
        F(VK_OEM_1, T::Muerta, "btnAcentoAbierto", 0x60, 0x5E, '['),
        F(VK_OEM_PLUS, T::Simbolo, "btnMas", '+', '*', ']'),
        F(VK_OEM_COMMA, T::Simbolo, "btnComa", ',', ';', 0),
        F(VK_OEM_MINUS, T::Simbolo, "btnMenos", '-', '_', 0),
        F(VK_OEM_PERIOD, T::Simbolo, "btnPunto", '.', ':', 0),
        F(VK_OEM_2, T::Letra, "btnCeTrencada", 0xE7, 0xC7, '}'),
        F(VK_OEM_3, T::Letra, "btnEnye", 0xF1, 0xD1, 0),
        F(VK_OEM_4, T::Simbolo, "btnComilla", '\'', '?', 0),
        F(VK_OEM_5, T::Simbolo, "btnPrimero", 0xBA, 0xAA, '\\'),
        F(VK_OEM_6, T::Simbolo, "btnAdmiracion", 0xA1, 0xBF, 0),
        F(VK_OEM_7, T::Muerta, "btnAcento", 0xB4, 0xA8, '{'),
        F(VK_OEM_102, T::Simbolo, "btnMenor", '<', '>', 0),
        F(0, T::Simbolo, nullptr, 0, 0, 0), F(0, T::Simbolo, nullptr, 0, 0, 0),
        F(0, T::Simbolo, nullptr, 0, 0, 0)};
    int n = 0;
    for (const auto& f : otras)
        if (f.paneles[0]) t[n++] = f;
    for (const auto& f : letras) t[n++] = f;
    return t;
}();

constexpr std::size_t kFilas = 26 + 30;

// Direct index by virtual-key code: a key press never searches.
const auto kIndice = [] {
    std::array<std::int8_t, 256> idx{};
    idx.fill(-1);
    for (std::size_t i = 0; i < kFilas; ++i) idx[kTabla[i].vk] = static_cast<std::int8_t>(i);
    return idx;
}();

bool EsVocalOY(std::uint16_t vk) {
    return vk == 'A' || vk == 'E' || vk == 'I' || vk == 'O' || vk == 'U' || vk == 'Y';
}

}  // namespace

Estado EstadoDe(std::uint8_t m) {
    m &= kShift | kCtrl | kAlt;
    if (m == 0) return Estado::Ninguno;
    if (m == kShift) return Estado::Shift;
    if (m == (kCtrl | kAlt)) return Estado::AltGr;
    return Estado::Otro;
}

std::span<const FilaTecla> TablaTeclas() { return {kTabla.data(), kFilas}; }

const FilaTecla* BuscarFila(std::uint16_t vk) {
    if (vk > 255 || kIndice[vk] < 0) return nullptr;
    return &kTabla[static_cast<std::size_t>(kIndice[vk])];
}

unsigned char Componer(char acento, unsigned char letra) {
    // Rows a e i o u y; columns grave, circumflex, acute, diaeresis; lower case then upper case.
    static constexpr unsigned char kMin[6][4] = {{0xE0, 0xE2, 0xE1, 0xE4}, {0xE8, 0xEA, 0xE9, 0xEB},
                                                 {0xEC, 0xEE, 0xED, 0xEF}, {0xF2, 0xF4, 0xF3, 0xF6},
                                                 {0xF9, 0xFB, 0xFA, 0xFC}, {0, 0, 0xFD, 0xFF}};
    static constexpr unsigned char kMay[6][4] = {{0xC0, 0xC2, 0xC1, 0xC4}, {0xC8, 0xCA, 0xC9, 0xCB},
                                                 {0xCC, 0xCE, 0xCD, 0xCF}, {0xD2, 0xD4, 0xD3, 0xD6},
                                                 {0xD9, 0xDB, 0xDA, 0xDC}, {0, 0, 0xDD, 0}};
    int col = acento == kGrave ? 0 : acento == kCircunflejo ? 1 : acento == kAgudo ? 2 : acento == kDieresis ? 3 : -1;
    if (col < 0) return 0;
    const char* vocales = "aeiouy";
    for (int r = 0; r < 6; ++r) {
        if (letra == static_cast<unsigned char>(vocales[r])) return kMin[r][col];
        if (letra == static_cast<unsigned char>(vocales[r] - 32)) return kMay[r][col];
    }
    return 0;
}

std::string TraductorTeclas::Pulsar(std::uint16_t vk, std::uint8_t modificadores, const FilaTecla** salida) {
    std::string texto;
    const FilaTecla* f = BuscarFila(vk);
    if (salida) *salida = f;
    if (!f) {
        AcentoPendiente = 0;
        return texto;
    }
    const Estado estado = EstadoDe(modificadores);
    auto ch = [&](unsigned char c) { if (c) texto.push_back(static_cast<char>(c)); };
    switch (f->tipo) {
    case Tipo::Borrar:
    case Tipo::Intro:
        ch(f->normal);
        AcentoPendiente = 0;
        return texto;
    case Tipo::Espacio:
        if (AcentoPendiente) texto.push_back(AcentoPendiente);
        else ch(' ');
        AcentoPendiente = 0;
        return texto;
    case Tipo::Modificador:
    case Tipo::Esc:
        return texto;
    case Tipo::BloqMayus:
        MayusculasActivas = !MayusculasActivas;
        return texto;
    case Tipo::Muerta:
        AcentoPendiente = 0;
        if (estado == Estado::Ninguno) AcentoPendiente = static_cast<char>(f->normal);
        else if (estado == Estado::Shift) AcentoPendiente = static_cast<char>(f->shift);
        else if (estado == Estado::AltGr) ch(f->altgr);
        return texto;
    case Tipo::Letra: {
        const bool minuscula = (estado == Estado::Ninguno) != MayusculasActivas;
        if (estado == Estado::Ninguno || estado == Estado::Shift) ch(minuscula ? f->normal : f->shift);
        else if (estado == Estado::AltGr) ch(f->altgr);
        break;
    }
    case Tipo::Simbolo:
        if (estado == Estado::Ninguno) ch(f->normal);
        else if (estado == Estado::Shift) ch(f->shift);
        else if (estado == Estado::AltGr) ch(f->altgr);
        break;
    }
    // Accent step for the character keys.
    if (AcentoPendiente) {
        if (EsVocalOY(vk)) {
            if (texto.size() == 1) {
                unsigned char c = Componer(AcentoPendiente, static_cast<unsigned char>(texto[0]));
                if (c) texto[0] = static_cast<char>(c);
            }
        } else {
            texto.insert(texto.begin(), AcentoPendiente);
        }
        AcentoPendiente = 0;
    }
    return texto;
}

}  // namespace teclado
