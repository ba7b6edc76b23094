// The Spanish layout, Caps Lock and the dead keys.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <set>
#include <string>

#include "../comun/Mecanografo.h"
#include "catalogue/Catalogo.h"
#include "keyboard/TeclasFisicas.h"
#include "keyboard/Traduccion.h"

using namespace teclado;

namespace {

constexpr std::uint8_t N = 0, S = kShift, G = kCtrl | kAlt;

std::string Un(int c) { return c < 0 ? std::string() : std::string(1, static_cast<char>(c)); }

struct Esperada {
    std::uint16_t vk;
    const char* panel1;
    const char* panel2;
    int normal, shift, altgr;  // -1: nothing
    bool caps;
};

// The layout as a Spanish keyboard user knows it, written out independently of the program's table.
const Esperada kEsperadas[] = {
    {8, "btnBorrar", nullptr, 8, 8, 8, false},
    {13, "btnIntro", nullptr, 13, 13, 13, false},
    {16, "btnMayusculasIzq", "btnMayusculasDer", -1, -1, -1, false},
    {17, "btnControlIzq", "btnControlDer", -1, -1, -1, false},
    {18, "btnAlt", nullptr, -1, -1, -1, false},
    {20, "btnBloqMayus", nullptr, -1, -1, -1, false},
    {27, "btnESC", nullptr, -1, -1, -1, false},
    {32, "btnEspacio", nullptr, ' ', ' ', ' ', false},
    {'0', "btn0", nullptr, '0', '=', -1, false},
    {'1', "btn1", nullptr, '1', '!', '|', false},
    {'2', "btn2", nullptr, '2', '"', '@', false},
    {'3', "btn3", nullptr, '3', 0xB7, '#', false},
    {'4', "btn4", nullptr, '4', '$', -1, false},
    {'5', "btn5", nullptr, '5', '%', -1, false},
    {'6', "btn6", nullptr, '6', '&', 0xAC, false},
    {'7', "btn7", nullptr, '7', '/', -1, false},
    {'8', "btn8", nullptr, '8', '(', -1, false},
    {'9', "btn9", nullptr, '9', ')', -1, false},
    {186, "btnAcentoAbierto", nullptr, -1, -1, '[', false},
    {187, "btnMas", nullptr, '+', '*', ']', false},
    {188, "btnComa", nullptr, ',', ';', -1, false},
    {189, "btnMenos", nullptr, '-', '_', -1, false},
    {190, "btnPunto", nullptr, '.', ':', -1, false},
    {191, "btnCeTrencada", nullptr, 0xE7, 0xC7, '}', true},
    {192, "btnEnye", nullptr, 0xF1, 0xD1, -1, true},
    {219, "btnComilla", nullptr, '\'', '?', -1, false},
    {220, "btnPrimero", nullptr, 0xBA, 0xAA, '\\', false},
    {221, "btnAdmiracion", nullptr, 0xA1, 0xBF, -1, false},
    {222, "btnAcento", nullptr, -1, -1, '{', false},
    {226, "btnMenor", nullptr, '<', '>', -1, false},
};

std::string Secuencia(TraductorTeclas& t, std::initializer_list<std::pair<std::uint16_t, std::uint8_t>> teclas) {
    std::string s;
    for (auto [vk, m] : teclas) s = t.Pulsar(vk, m);
    return s;
}

}  // namespace

TEST(TablaDeTeclas, CadaFilaEnCadaEstadoConYSinBloqMayus) {
    std::vector<Esperada> filas(std::begin(kEsperadas), std::end(kEsperadas));
    for (char l = 'A'; l <= 'Z'; ++l) {
        static std::set<std::string> nombres;
        const std::string& n = *nombres.insert(std::string("btn") + l).first;
        filas.push_back({static_cast<std::uint16_t>(l), n.c_str(), nullptr, l + 32, l, -1, true});
    }
    EXPECT_EQ(TablaTeclas().size(), filas.size());
    const std::uint8_t otros[] = {kCtrl, kAlt, kShift | kCtrl, kShift | kAlt, kShift | kCtrl | kAlt};
    for (const Esperada& e : filas) {
        SCOPED_TRACE("vk " + std::to_string(e.vk));
        const FilaTecla* f = BuscarFila(e.vk);
        ASSERT_NE(f, nullptr);
        EXPECT_STREQ(f->paneles[0], e.panel1);
        if (e.panel2) EXPECT_STREQ(f->paneles[1], e.panel2);
        else EXPECT_EQ(f->paneles[1], nullptr);
        for (bool caps : {false, true}) {
            TraductorTeclas t;
            t.MayusculasActivas = caps;
            const bool cambia = caps && e.caps;
            if (e.vk == VK_CAPITAL) continue;  // flips the state; covered below
            EXPECT_EQ(t.Pulsar(e.vk, N), Un(cambia ? e.shift : e.normal)) << "caps " << caps;
            t.AcentoPendiente = 0;
            EXPECT_EQ(t.Pulsar(e.vk, S), Un(cambia ? e.normal : e.shift)) << "caps " << caps;
            t.AcentoPendiente = 0;
            EXPECT_EQ(t.Pulsar(e.vk, G), Un(e.altgr)) << "caps " << caps;
            t.AcentoPendiente = 0;
            const bool ignoraModificadores = e.vk == 8 || e.vk == 13 || e.vk == 32;
            for (std::uint8_t m : otros) {
                EXPECT_EQ(t.Pulsar(e.vk, m), ignoraModificadores ? Un(e.normal) : "") << "mods " << int(m);
                t.AcentoPendiente = 0;
            }
        }
    }
}

TEST(TablaDeTeclas, TeclasFueraDeLaTablaNoBajanNadaYPierdenElAcento) {
    for (std::uint16_t vk : {9, 112, 123, 37, 38, 39, 40, 0x60, 0x69, 0x6A, 0x90, 0x5B, 0x5D, 0x2E, 0}) {
        TraductorTeclas t;
        t.AcentoPendiente = kAgudo;
        const FilaTecla* fila = reinterpret_cast<const FilaTecla*>(1);
        EXPECT_EQ(t.Pulsar(vk, N, &fila), "");
        EXPECT_EQ(fila, nullptr);
        EXPECT_EQ(t.AcentoPendiente, 0) << vk;
    }
}

TEST(BloqMayus, CambiaEnCadaPulsacionTambienRepetida) {
    TraductorTeclas t;
    EXPECT_EQ(t.Pulsar('A', N), "a");
    t.Pulsar(VK_CAPITAL, N);
    EXPECT_TRUE(t.MayusculasActivas);
    EXPECT_EQ(t.Pulsar('A', N), "A");
    EXPECT_EQ(t.Pulsar('A', S), "a");
    EXPECT_EQ(t.Pulsar('1', N), "1");
    EXPECT_EQ(t.Pulsar('1', S), "!");
    EXPECT_EQ(t.Pulsar(VK_OEM_2, N), "\xC7");
    EXPECT_EQ(t.Pulsar(VK_OEM_2, G), "}");
    t.Pulsar(VK_CAPITAL, N);  // auto-repeat delivers more key-downs: each flips it
    t.Pulsar(VK_CAPITAL, N);
    EXPECT_TRUE(t.MayusculasActivas);
    t.Pulsar(VK_CAPITAL, S);
    EXPECT_FALSE(t.MayusculasActivas);
}

TEST(Composicion, TablaCompletaEnAmbosCasos) {
    struct Fila { char letra; int grave, circ, agudo, dier; int Grave, Circ, Agudo, Dier; };
    const Fila filas[] = {
        {'a', 0xE0, 0xE2, 0xE1, 0xE4, 0xC0, 0xC2, 0xC1, 0xC4},
        {'e', 0xE8, 0xEA, 0xE9, 0xEB, 0xC8, 0xCA, 0xC9, 0xCB},
        {'i', 0xEC, 0xEE, 0xED, 0xEF, 0xCC, 0xCE, 0xCD, 0xCF},
        {'o', 0xF2, 0xF4, 0xF3, 0xF6, 0xD2, 0xD4, 0xD3, 0xD6},
        {'u', 0xF9, 0xFB, 0xFA, 0xFC, 0xD9, 0xDB, 0xDA, 0xDC},
        {'y', 'y', 'y', 0xFD, 0xFF, 'Y', 'Y', 0xDD, 'Y'},
    };
    // Dead key and its modifier for each accent.
    const std::pair<std::uint16_t, std::uint8_t> muertas[4] = {{VK_OEM_1, N}, {VK_OEM_1, S}, {VK_OEM_7, N}, {VK_OEM_7, S}};
    for (const Fila& f : filas) {
        const int min[4] = {f.grave, f.circ, f.agudo, f.dier};
        const int may[4] = {f.Grave, f.Circ, f.Agudo, f.Dier};
        const std::uint16_t vk = static_cast<std::uint16_t>(f.letra - 32);
        for (int a = 0; a < 4; ++a) {
            TraductorTeclas t;
            EXPECT_EQ(Secuencia(t, {muertas[a], {vk, N}}), Un(min[a])) << f.letra << a;
            EXPECT_EQ(t.AcentoPendiente, 0);
            EXPECT_EQ(Secuencia(t, {muertas[a], {vk, S}}), Un(may[a])) << f.letra << a;
            t.MayusculasActivas = true;  // case follows Caps Lock as for plain letters
            EXPECT_EQ(Secuencia(t, {muertas[a], {vk, N}}), Un(may[a])) << f.letra << a;
            EXPECT_EQ(Secuencia(t, {muertas[a], {vk, S}}), Un(min[a])) << f.letra << a;
        }
    }
}

TEST(TeclasMuertas, ReglasDelAcentoPendiente) {
    TraductorTeclas t;
    // The accent key alone produces nothing.
    EXPECT_EQ(t.Pulsar(VK_OEM_7, N), "");
    EXPECT_EQ(t.AcentoPendiente, kAgudo);
    EXPECT_EQ(t.Pulsar('A', N), "\xE1");
    // A consonant: the accent and the letter, two characters.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, N}, {'N', N}}), "\xB4n");
    // Shift + acute key leaves the diaeresis; Shift + U composes Ü.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, S}, {'U', S}}), "\xDC");
    // Space gives the accent alone; Backspace and Enter drop it.
    for (char acento : {kGrave, kCircunflejo, kAgudo, kDieresis}) {
        t.AcentoPendiente = acento;
        EXPECT_EQ(t.Pulsar(VK_SPACE, N), std::string(1, acento));
        EXPECT_EQ(t.AcentoPendiente, 0);
    }
    t.AcentoPendiente = kAgudo;
    EXPECT_EQ(t.Pulsar(VK_BACK, N), "\b");
    EXPECT_EQ(t.AcentoPendiente, 0);
    t.AcentoPendiente = kAgudo;
    EXPECT_EQ(t.Pulsar(VK_RETURN, N), "\r");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // Twice: still one accent; acute then Shift+grave: circumflex, the acute lost.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, N}, {VK_OEM_7, N}}), "");
    EXPECT_EQ(t.AcentoPendiente, kAgudo);
    EXPECT_EQ(t.Pulsar(VK_OEM_1, S), "");
    EXPECT_EQ(t.AcentoPendiente, kCircunflejo);
    EXPECT_EQ(t.Pulsar('E', N), "\xEA");
    // Modifiers, Caps Lock and Esc keep it.
    t.AcentoPendiente = kAgudo;
    for (std::uint16_t vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_CAPITAL, VK_ESCAPE}) {
        EXPECT_EQ(t.Pulsar(vk, N), "");
        EXPECT_EQ(t.AcentoPendiente, kAgudo) << vk;
    }
    t.MayusculasActivas = false;
    // Y with grave: plain y, accent lost; diaeresis + Shift Y: plain Y.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_1, N}, {'Y', N}}), "y");
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, S}, {'Y', S}}), "Y");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // Ctrl+B: the key yields nothing, so the accent alone; Ctrl+A: nothing at all.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, N}, {'B', kCtrl}}), "\xB4");
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, N}, {'A', kCtrl}}), "");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // The comma key: accent and comma, nothing left pending.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_1, N}, {VK_OEM_COMMA, N}}), "`,");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // AltGr on a dead key gives its bracket and leaves nothing pending.
    t.AcentoPendiente = kAgudo;
    EXPECT_EQ(t.Pulsar(VK_OEM_7, G), "{");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // Dead key in the other state: nothing output, nothing pending.
    EXPECT_EQ(t.Pulsar(VK_OEM_7, kCtrl), "");
    EXPECT_EQ(t.AcentoPendiente, 0);
    // AltGr with a vowel: nothing, accent dropped.
    EXPECT_EQ(Secuencia(t, {{VK_OEM_7, N}, {'A', G}}), "");
    EXPECT_EQ(t.AcentoPendiente, 0);
}

TEST(TeclasFisicas, MapaDelTecladoEspanol) {
    struct C { std::uint32_t codigo; std::uint16_t vk; };
    const C casos[] = {{49, VK_OEM_5}, {20, VK_OEM_4}, {21, VK_OEM_6}, {34, VK_OEM_1}, {35, VK_OEM_PLUS},
                       {47, VK_OEM_3}, {48, VK_OEM_7}, {51, VK_OEM_2}, {94, VK_OEM_102}, {59, VK_OEM_COMMA},
                       {60, VK_OEM_PERIOD}, {61, VK_OEM_MINUS}, {38, 'A'}, {10, '1'}, {19, '0'},
                       {65, VK_SPACE}, {36, VK_RETURN}, {104, VK_RETURN}, {22, VK_BACK}, {9, VK_ESCAPE},
                       {66, VK_CAPITAL}, {23, VK_TAB}, {67, 112}, {96, 123}};
    for (const C& c : casos) {
        EXPECT_TRUE(TeclaDeCodigoX11(c.codigo).conocida) << c.codigo;
        EXPECT_EQ(TeclaDeCodigoX11(c.codigo).vk, c.vk) << c.codigo;
    }
    EXPECT_FALSE(TeclaDeCodigoX11(0).conocida);
    EXPECT_FALSE(TeclaDeCodigoX11(100000).conocida);
    // Every keypad key but Enter stays outside the table.
    for (std::uint32_t c : {63u, 79u, 80u, 81u, 82u, 83u, 84u, 85u, 86u, 87u, 88u, 89u, 90u, 91u, 106u})
        EXPECT_EQ(BuscarFila(TeclaDeCodigoX11(c).vk), nullptr) << c;
}

// The physical Spanish ISO 105-key keyboard, written out from the keyboard itself: the X11 key
// code of every key (Linux evdev code + 8), the virtual-key code a Spanish keyboard reports for
// it, and for the typing keys the two legends on the keycap (lower left unshifted, upper right
// shifted; an accent on a dead key is the one it leaves pending).
struct TeclaIso {
    std::uint32_t codigo;
    const char* rotulo;
    std::uint16_t vk;
    Ranura ranura;
    const char* leyendas;  // Windows-1252; null for keys that type nothing
};
constexpr Ranura _ = Ranura::Ninguna;
const TeclaIso kTeclado105[] = {
    // Function row
    {9, "Esc", 27, _, nullptr}, {67, "F1", 112, _, nullptr}, {68, "F2", 113, _, nullptr}, {69, "F3", 114, _, nullptr},
    {70, "F4", 115, _, nullptr}, {71, "F5", 116, _, nullptr}, {72, "F6", 117, _, nullptr}, {73, "F7", 118, _, nullptr},
    {74, "F8", 119, _, nullptr}, {75, "F9", 120, _, nullptr}, {76, "F10", 121, _, nullptr}, {95, "F11", 122, _, nullptr},
    {96, "F12", 123, _, nullptr}, {107, "Impr Pant", 0x2C, _, nullptr}, {78, "Bloq Despl", 0x91, _, nullptr},
    {127, "Pausa", 0x13, _, nullptr},
    // Digit row
    {49, "\xBA \xAA", 220, _, "\xBA\xAA"}, {10, "1 !", '1', _, "1!"}, {11, "2 \"", '2', _, "2\""}, {12, "3 \xB7", '3', _, "3\xB7"},
    {13, "4 $", '4', _, "4$"}, {14, "5 %", '5', _, "5%"}, {15, "6 &", '6', _, "6&"}, {16, "7 /", '7', _, "7/"},
    {17, "8 (", '8', _, "8("}, {18, "9 )", '9', _, "9)"}, {19, "0 =", '0', _, "0="}, {20, "' ?", 219, _, "'?"},
    {21, "\xA1 \xBF", 221, _, "\xA1\xBF"}, {22, "Retroceso", 8, _, nullptr},
    // Top letter row
    {23, "Tab", 9, _, nullptr}, {24, "Q", 'Q', _, "qQ"}, {25, "W", 'W', _, "wW"}, {26, "E", 'E', _, "eE"},
    {27, "R", 'R', _, "rR"}, {28, "T", 'T', _, "tT"}, {29, "Y", 'Y', _, "yY"}, {30, "U", 'U', _, "uU"},
    {31, "I", 'I', _, "iI"}, {32, "O", 'O', _, "oO"}, {33, "P", 'P', _, "pP"}, {34, "` ^", 186, _, "`^"},
    {35, "+ *", 187, _, "+*"}, {36, "Intro", 13, _, nullptr},
    // Home row
    {66, "Bloq May\xFA", 20, _, nullptr}, {38, "A", 'A', _, "aA"}, {39, "S", 'S', _, "sS"}, {40, "D", 'D', _, "dD"},
    {41, "F", 'F', _, "fF"}, {42, "G", 'G', _, "gG"}, {43, "H", 'H', _, "hH"}, {44, "J", 'J', _, "jJ"},
    {45, "K", 'K', _, "kK"}, {46, "L", 'L', _, "lL"}, {47, "\xD1", 192, _, "\xF1\xD1"}, {48, "\xB4 \xA8", 222, _, "\xB4\xA8"},
    {51, "\xC7", 191, _, "\xE7\xC7"},
    // Bottom letter row
    {50, "May\xFAs izquierda", 16, Ranura::ShiftIzq, nullptr}, {94, "< >", 226, _, "<>"}, {52, "Z", 'Z', _, "zZ"},
    {53, "X", 'X', _, "xX"}, {54, "C", 'C', _, "cC"}, {55, "V", 'V', _, "vV"}, {56, "B", 'B', _, "bB"},
    {57, "N", 'N', _, "nN"}, {58, "M", 'M', _, "mM"}, {59, ", ;", 188, _, ",;"}, {60, ". :", 190, _, ".:"},
    {61, "- _", 189, _, "-_"}, {62, "May\xFAs derecha", 16, Ranura::ShiftDer, nullptr},
    // Space row
    {37, "Control izquierda", 17, Ranura::CtrlIzq, nullptr}, {133, "Windows izquierda", 0x5B, _, nullptr},
    {64, "Alt", 18, Ranura::AltIzq, nullptr}, {65, "Espacio", 32, _, "  "}, {108, "Alt Gr", 0, Ranura::AltGr, nullptr},
    {134, "Windows derecha", 0x5C, _, nullptr}, {135, "Men\xFA", 0x5D, _, nullptr},
    {105, "Control derecha", 17, Ranura::CtrlDer, nullptr},
    // Editing and arrow keys
    {118, "Insert", 0x2D, _, nullptr}, {110, "Inicio", 0x24, _, nullptr}, {112, "Re P\xE1g", 0x21, _, nullptr},
    {119, "Supr", 0x2E, _, nullptr}, {115, "Fin", 0x23, _, nullptr}, {117, "Av P\xE1g", 0x22, _, nullptr},
    {111, "Arriba", 0x26, _, nullptr}, {113, "Izquierda", 0x25, _, nullptr}, {116, "Abajo", 0x28, _, nullptr},
    {114, "Derecha", 0x27, _, nullptr},
    // Numeric keypad (its Enter acts as Enter)
    {77, "Bloq Num", 0x90, _, nullptr}, {106, "/", 0x6F, _, nullptr}, {63, "*", 0x6A, _, nullptr},
    {82, "-", 0x6D, _, nullptr}, {79, "7", 0x67, _, nullptr}, {80, "8", 0x68, _, nullptr}, {81, "9", 0x69, _, nullptr},
    {86, "+", 0x6B, _, nullptr}, {83, "4", 0x64, _, nullptr}, {84, "5", 0x65, _, nullptr}, {85, "6", 0x66, _, nullptr},
    {87, "1", 0x61, _, nullptr}, {88, "2", 0x62, _, nullptr}, {89, "3", 0x63, _, nullptr}, {104, "Intro", 13, _, nullptr},
    {90, "0", 0x60, _, nullptr}, {91, ".", 0x6E, _, nullptr},
};

TEST(TeclasFisicas, CadaTeclaDelTecladoEspanolDe105Teclas) {
    ASSERT_EQ(std::size(kTeclado105), 105u);
    std::set<std::uint32_t> codigos;
    for (const TeclaIso& k : kTeclado105) {
        const std::string que = std::to_string(k.codigo) + " " + k.rotulo;
        EXPECT_TRUE(codigos.insert(k.codigo).second) << que << ": written twice";
        const TeclaFisica t = TeclaDeCodigoX11(k.codigo);
        EXPECT_TRUE(t.conocida) << que;
        EXPECT_EQ(t.vk, k.vk) << que;
        EXPECT_EQ(t.ranura, k.ranura) << que;
        if (!k.leyendas) continue;
        for (int shift = 0; shift < 2; ++shift) {
            TraductorTeclas tr;
            const std::string texto = tr.Pulsar(t.vk, shift ? S : N);
            const char leyenda = k.leyendas[shift];
            const bool muerta = leyenda == kGrave || leyenda == kCircunflejo || leyenda == kAgudo || leyenda == kDieresis;
            EXPECT_EQ(muerta ? std::string(1, tr.AcentoPendiente) : texto, std::string(1, leyenda)) << que << " shift " << shift;
        }
    }
    // Nothing else is a key of the map but the level-3 shift code that some servers give the right Alt.
    for (std::uint32_t c = 0; c < 256; ++c) {
        if (!codigos.count(c) && c != 92) {
            EXPECT_FALSE(TeclaDeCodigoX11(c).conocida) << c;
        }
    }
    EXPECT_EQ(TeclaDeCodigoX11(92).ranura, Ranura::AltGr);
}

TEST(TeclasFisicas, UnaTeclaFueraDelMapaLlegaComoTeclaFueraDeLaTablaYVaciaElAcento) {
    // Japanese/Brazilian RO, keypad "=", mute, yen, a code past every keyboard.
    for (std::uint32_t codigo : {97u, 125u, 121u, 132u, 255u, 100000u}) {
        TecladoFisico f;
        TraductorTeclas t;
        EventoTecla ev[2];
        EXPECT_EQ(t.Pulsar(VK_OEM_7, N), "");
        ASSERT_EQ(f.Pulsar(TeclaDeCodigoX11(codigo), ev), 1) << codigo;
        EXPECT_EQ(ev[0].modificadores, 0) << codigo;  // no modifier comes with it
        const FilaTecla* fila = &TablaTeclas()[0];
        EXPECT_EQ(t.Pulsar(ev[0].vk, ev[0].modificadores, &fila), "") << codigo;
        EXPECT_EQ(fila, nullptr) << codigo;
        EXPECT_EQ(t.AcentoPendiente, 0) << codigo;
        EXPECT_EQ(t.Pulsar('A', N), "a") << codigo;
    }
}

TEST(TeclasFisicas, ModificadoresDesdeLasTeclasYAltGrComoCtrlAlt) {
    TecladoFisico f;
    EventoTecla ev[2];
    ASSERT_EQ(f.Pulsar(TeclaDeCodigoX11(50), ev), 1);
    EXPECT_EQ(ev[0].vk, VK_SHIFT);
    ASSERT_EQ(f.Pulsar(TeclaDeCodigoX11(38), ev), 1);
    EXPECT_EQ(ev[0].modificadores, kShift);
    f.Pulsar(TeclaDeCodigoX11(62), ev);  // both Shift keys down, one released: still Shift
    f.Soltar(TeclaDeCodigoX11(50), ev);
    f.Pulsar(TeclaDeCodigoX11(38), ev);
    EXPECT_EQ(ev[0].modificadores, kShift);
    f.Soltar(TeclaDeCodigoX11(62), ev);
    EXPECT_EQ(f.Modificadores(), 0);
    // Right Alt: Control and Alt key-downs, both with the AltGr state.
    ASSERT_EQ(f.Pulsar(TeclaDeCodigoX11(108), ev), 2);
    EXPECT_EQ(ev[0].vk, VK_CONTROL);
    EXPECT_EQ(ev[1].vk, VK_MENU);
    EXPECT_EQ(EstadoDe(ev[0].modificadores), Estado::AltGr);
    f.Pulsar(TeclaDeCodigoX11(51), ev);
    TraductorTeclas t;
    EXPECT_EQ(t.Pulsar(ev[0].vk, ev[0].modificadores), "}");
    ASSERT_EQ(f.Soltar(TeclaDeCodigoX11(108), ev), 2);
    EXPECT_EQ(f.Modificadores(), 0);
    // The level-3 key acts as AltGr too.
    EXPECT_EQ(f.Pulsar(TeclaDeCodigoX11(92), ev), 2);
    EXPECT_EQ(EstadoDe(f.Modificadores()), Estado::AltGr);
    // A key-up lost to a dialog: resynchronising drops what is no longer held.
    f.Pulsar(TeclaDeCodigoX11(50), ev);
    f.Sincronizar(0);
    EXPECT_EQ(f.Modificadores(), 0);
}

// Keys pressed or released while a menu, a popup or another window had the keyboard.
TEST(TeclasFisicas, SincronizarSigueLasTeclasQueEstanAbajo) {
    auto mapa = [](std::initializer_list<std::uint32_t> codigos) {
        std::array<std::uint8_t, 32> m{};
        for (std::uint32_t c : codigos) m[c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
        return m;
    };
    auto ranuras = [&](std::initializer_list<std::uint32_t> codigos) { return RanurasDeMapaX11(mapa(codigos).data()); };
    const std::uint8_t sI = BitRanura(Ranura::ShiftIzq), sD = BitRanura(Ranura::ShiftDer), cI = BitRanura(Ranura::CtrlIzq),
                       cD = BitRanura(Ranura::CtrlDer), aI = BitRanura(Ranura::AltIzq), gr = BitRanura(Ranura::AltGr);
    // The X key map: only the modifier keys count, each by its own position.
    EXPECT_EQ(ranuras({}), 0);
    EXPECT_EQ(ranuras({38, 41, 9, 255}), 0);
    EXPECT_EQ(ranuras({50, 62, 37, 105, 64, 108}), sI | sD | cI | cD | aI | gr);
    EXPECT_EQ(ranuras({92, 38}), gr);
    EXPECT_EQ(ranuras({62}), sD);

    struct Caso {
        const char* que;
        std::uint32_t antes;  // key held when the window last saw it, 0 for none
        std::uint8_t ahora;   // slots held now
        std::uint8_t modificadores;
        bool shift, control, alt;  // on screen
    };
    const Caso casos[] = {
        {"Alt released in a menu", 64, 0, 0, false, false, false},
        {"AltGr released in a menu", 108, 0, 0, false, false, false},
        {"Shift released in a box", 50, 0, 0, false, false, false},
        {"Shift pressed in a box, still held", 0, sI, kShift, true, false, false},
        {"AltGr pressed elsewhere, still held", 0, gr, kCtrl | kAlt, false, true, true},
        {"left Shift released, right one pressed", 50, sD, kShift, true, false, false},
        {"Control still held", 37, cI, kCtrl, false, true, false},
    };
    for (const Caso& c : casos) {
        TecladoFisico f;
        EventoTecla ev[2];
        if (c.antes) f.Pulsar(TeclaDeCodigoX11(c.antes), ev);
        const auto estado = f.Sincronizar(c.ahora);
        EXPECT_EQ(f.Modificadores(), c.modificadores) << c.que;
        EXPECT_EQ(estado[0].vk, VK_SHIFT);
        EXPECT_EQ(estado[1].vk, VK_CONTROL);
        EXPECT_EQ(estado[2].vk, VK_MENU);
        EXPECT_EQ(estado[0].abajo, c.shift) << c.que;
        EXPECT_EQ(estado[1].abajo, c.control) << c.que;
        EXPECT_EQ(estado[2].abajo, c.alt) << c.que;
        // What the tracker now holds is released by the key's own key-up.
        const std::uint8_t quedan = f.Ranuras();
        for (std::uint32_t codigo : {50u, 62u, 37u, 105u, 64u, 108u}) f.Soltar(TeclaDeCodigoX11(codigo), ev);
        EXPECT_EQ(f.Modificadores(), 0) << c.que << " " << int(quedan);
    }
    // After the sync a letter takes the modifiers held now.
    TecladoFisico f;
    EventoTecla ev[2];
    f.Pulsar(TeclaDeCodigoX11(64), ev);
    f.Sincronizar(ranuras({}));
    ASSERT_EQ(f.Pulsar(TeclaDeCodigoX11(38), ev), 1);
    TraductorTeclas t;
    EXPECT_EQ(t.Pulsar(ev[0].vk, ev[0].modificadores), "a");

    // Only the modifier flags: the tracked key of a pair is kept, a flag no key explains takes the
    // left key, and an AltGr reported as Control with Alt stays AltGr.
    EXPECT_EQ(RanurasDeBanderas(sD | aI, true, false, false, false), sD);
    EXPECT_EQ(RanurasDeBanderas(0, true, true, true, false), sI | cI | aI);
    EXPECT_EQ(RanurasDeBanderas(cD, false, true, false, false), cD);
    EXPECT_EQ(RanurasDeBanderas(gr, false, true, true, false), gr);
    EXPECT_EQ(RanurasDeBanderas(gr | cD, false, true, true, false), gr | cD);
    EXPECT_EQ(RanurasDeBanderas(gr, false, false, true, false), aI);
    EXPECT_EQ(RanurasDeBanderas(0, false, false, false, true), gr);
    EXPECT_EQ(RanurasDeBanderas(sI | cI | aI | gr, false, false, false, false), 0);
}

TEST(Repertorio, CadaCaracterDeLosTextosSePuedeTeclearDesdeLasTeclasFisicas) {
    std::set<unsigned char> usados;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        for (char c : catalogo::Texto(p)) usados.insert(static_cast<unsigned char>(c));
    });
    // The repertoire itself, whether or not the catalogue uses it yet.
    const std::string extra = " 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!$%&'()+,-./:;<=>?[]_|\"@\r"
                              "\xF1\xE7\xC7\xE1\xE9\xED\xF3\xFA\xC1\xC9\xCD\xD3\xDA\xE0\xE8\xEC\xF2\xC0\xC8\xD2\xFC\xEF\xA1\xAA\xB7\xBA\xBF";
    for (char c : extra) usados.insert(static_cast<unsigned char>(c));
    EXPECT_EQ(usados.size(), 115u);
    for (unsigned char c : usados) {
        const std::string s(1, static_cast<char>(c));
        TraductorTeclas t;
        EXPECT_EQ(prueba::Reproducir(prueba::Teclear(s), t), s) << int(c);
    }
}

TEST(Repertorio, CadaTextoDelCatalogoSeTecleaExacto) {
    int textos = 0;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        TraductorTeclas t;
        const std::string_view texto = catalogo::Texto(p);
        ASSERT_EQ(prueba::Reproducir(prueba::Teclear(texto), t), texto)
            << p.Unidad << "." << p.Leccion << "." << p.Ejercicio;
        ++textos;
    });
    EXPECT_GT(textos, 0);
}
