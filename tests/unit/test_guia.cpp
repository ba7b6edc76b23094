// The guide's key sequences and the live figures.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "catalogue/Catalogo.h"
#include "guia/Guia.h"
#include "keyboard/Traduccion.h"
#include "practica/EnVivo.h"

using namespace teclado;
using guia::Pulsacion;

namespace {

constexpr std::uint8_t S = kShift, G = kCtrl | kAlt;

std::vector<Pulsacion> Lista(const guia::Secuencia& s) { return {s.begin(), s.end()}; }

TraductorTeclas Desde(bool mayusculas, char acento = 0) {
    TraductorTeclas t;
    t.MayusculasActivas = mayusculas;
    t.AcentoPendiente = acento;
    return t;
}

std::set<unsigned char> Repertorio() {
    std::set<unsigned char> r;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        for (char c : catalogo::Texto(p)) r.insert(static_cast<unsigned char>(c));
    });
    return r;
}

}  // namespace

// Every character of the catalogue, from every state a learner can be in: the proposed presses,
// fed to the translation, give that character and nothing else, and leave no accent pending.
TEST(Guia, LasPulsacionesPropuestasDanElCaracter) {
    const std::set<unsigned char> repertorio = Repertorio();
    ASSERT_GT(repertorio.size(), 100u);
    for (bool mayusculas : {false, true})
        for (char acento : {char(0), kGrave, kCircunflejo, kAgudo, kDieresis})
            for (unsigned char c : repertorio) {
                TraductorTeclas t = Desde(mayusculas, acento);
                const guia::Secuencia s = guia::Pulsaciones(t, c);
                ASSERT_FALSE(s.Vacia()) << int(c);
                std::string salida;
                for (const Pulsacion& p : s) {
                    salida += t.Pulsar(p.vk, p.modificadores);
                    EXPECT_NE(p.vk, VK_CAPITAL);
                }
                EXPECT_EQ(salida, std::string(1, static_cast<char>(c)))
                    << "char " << int(c) << " caps " << mayusculas << " accent " << int(acento);
                EXPECT_EQ(t.AcentoPendiente, 0);
                EXPECT_EQ(t.MayusculasActivas, mayusculas);
                for (const Pulsacion& p : s) EXPECT_NE(guia::TeclasDe(p).tecla, nullptr) << int(c);
            }
}

TEST(Guia, AcentosEnDosPasosYMayusculas) {
    using V = std::vector<Pulsacion>;
    // á: the acute dead key, then A; once the accent is pending, only A.
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false), 0xE1)), (V{{VK_OEM_7, 0}, {'A', 0}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false, kAgudo), 0xE1)), (V{{'A', 0}}));
    // Á: the dead key, then Shift and A; with Caps Lock on, A alone.
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false), 0xC1)), (V{{VK_OEM_7, 0}, {'A', S}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(true), 0xC1)), (V{{VK_OEM_7, 0}, {'A', 0}}));
    // ü: Shift and the dead key (diaeresis), then U.
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false), 0xFC)), (V{{VK_OEM_7, S}, {'U', 0}}));
    // Caps Lock on: Shift gives the lower-case letter; digits ignore it.
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(true), 'a')), (V{{'A', S}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(true), 'A')), (V{{'A', 0}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(true), '1')), (V{{'1', 0}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false), '@')), (V{{'2', G}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false), '\r')), (V{{VK_RETURN, 0}}));
    // A wrong accent pending: another dead key replaces it; a plain letter needs it dropped first.
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false, kGrave), 0xE1)), (V{{VK_OEM_7, 0}, {'A', 0}}));
    EXPECT_EQ(Lista(guia::Pulsaciones(Desde(false, kAgudo), 'n')), (V{{VK_TAB, 0}, {'N', 0}}));
    // A character the keyboard cannot give.
    EXPECT_TRUE(guia::Pulsaciones(Desde(false), 0xA9).Vacia());
}

TEST(Guia, ShiftDeLaOtraManoYAltGr) {
    auto teclas = [](Pulsacion p) {
        const guia::Teclas t = guia::TeclasDe(p);
        return std::string(t.tecla ? t.tecla : "-") + "+" + (t.modificador ? t.modificador : "-");
    };
    EXPECT_EQ(teclas({'A', S}), "btnA+btnMayusculasDer");
    EXPECT_EQ(teclas({'P', S}), "btnP+btnMayusculasIzq");
    EXPECT_EQ(teclas({VK_OEM_7, S}), "btnAcento+btnMayusculasIzq");
    EXPECT_EQ(teclas({'5', S}), "btn5+btnMayusculasDer");
    EXPECT_EQ(teclas({'6', S}), "btn6+btnMayusculasIzq");
    EXPECT_EQ(teclas({'2', G}), "btn2+Panel55");
    EXPECT_EQ(teclas({'J', 0}), "btnJ+-");
    EXPECT_EQ(teclas({VK_BACK, 0}), "btnBorrar+-");
    EXPECT_EQ(teclas({VK_TAB, 0}), "btnTabulador+-");
}

TEST(Guia, SiguienteBorraMientrasLaCopiaDifiere) {
    const TraductorTeclas t;
    using V = std::vector<Pulsacion>;
    EXPECT_EQ(Lista(guia::Siguiente(t, "", "ab")), (V{{'A', 0}}));
    EXPECT_EQ(Lista(guia::Siguiente(t, "a", "ab")), (V{{'B', 0}}));
    EXPECT_EQ(Lista(guia::Siguiente(t, "ax", "abc")), (V{{VK_BACK, 0}}));
    // Past the end (a dead key that did not combine) is a difference too.
    EXPECT_EQ(Lista(guia::Siguiente(t, "ab\xB4", "ab")), (V{{VK_BACK, 0}}));
    EXPECT_TRUE(guia::Siguiente(t, "ab", "ab").Vacia());
    EXPECT_EQ(guia::PrefijoCorrecto("abxd", "abcd"), 2u);
}

TEST(EnVivo, VelocidadAciertosYErrores) {
    using practica::CifrasEnVivo;
    EXPECT_EQ(practica::CalcularEnVivo("", "abc", 0), (CifrasEnVivo{0, 100}));
    // 614 characters in 2 minutes 3 seconds: 299 a minute, as the timed unit counts them.
    const std::string copia(614, 'a');
    EXPECT_EQ(practica::CalcularEnVivo(copia, copia, 123).ppm, 299u);
    EXPECT_EQ(practica::CalcularEnVivo("abd", "abc", 0), (CifrasEnVivo{0, 66}));
    // Characters past the end of the text count as typed and wrong.
    EXPECT_EQ(practica::CalcularEnVivo("ab\xB4", "ab", 60).aciertos, 66u);
    EXPECT_EQ(practica::TextoEnVivo({212, 97}), "212 ppm  97 %");

    using V = std::vector<practica::Tramo>;
    EXPECT_EQ(practica::Errores("abc", "abc"), V{});
    EXPECT_EQ(practica::Errores("xbyy", "abcd"), (V{{0, 1}, {2, 4}}));
    EXPECT_EQ(practica::Errores("ab\xB4n", "ab"), (V{{2, 4}}));
}
