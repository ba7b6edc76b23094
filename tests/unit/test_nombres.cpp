// The spoken names: every character the texts may hold has one, and a way to make it that the
// keys really give; every key of the on-screen keyboard has a name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "catalogue/Catalogo.h"
#include "guia/Guia.h"
#include "guia/Nombres.h"
#include "keyboard/Traduccion.h"

using guia::ComoSeHace;
using guia::NombreCaracter;

namespace {

// The repertoire of the exercise texts, and whatever the catalogue uses besides.
std::set<unsigned char> Repertorio() {
    std::set<unsigned char> r;
    const std::string base = " 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!$%&'()+,-./:;<=>?[]_|\"@\r"
                             "\xF1\xE7\xC7\xE1\xE9\xED\xF3\xFA\xC1\xC9\xCD\xD3\xDA\xE0\xE8\xEC\xF2\xC0\xC8\xD2\xFC\xEF\xA1\xAA\xB7\xBA\xBF";
    for (char c : base) r.insert(static_cast<unsigned char>(c));
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        for (char c : catalogo::Texto(p)) r.insert(static_cast<unsigned char>(c));
    });
    return r;
}

std::string Como(unsigned char c, bool mayusculas = false) {
    teclado::TraductorTeclas t;
    t.MayusculasActivas = mayusculas;
    return ComoSeHace(c, guia::Pulsaciones(t, c));
}

}  // namespace

TEST(NombresHablados, CubrenElRepertorioConNombresDistintos) {
    const auto repertorio = Repertorio();
    EXPECT_EQ(repertorio.size(), 115u);
    std::set<std::string> vistos;
    for (unsigned char c : repertorio) {
        const std::string nombre(NombreCaracter(c));
        EXPECT_FALSE(nombre.empty()) << int(c);
        EXPECT_TRUE(vistos.insert(nombre).second) << "two characters called " << nombre;
        // Every character has a way to be made, and it starts with its name.
        for (bool mayusculas : {false, true}) {
            const std::string como = Como(c, mayusculas);
            EXPECT_EQ(como.rfind(nombre, 0), 0u) << int(c) << ": " << como;
        }
    }
    EXPECT_TRUE(NombreCaracter('#').empty());  // outside the repertoire
}

TEST(NombresHablados, ComoSeHaceCadaClaseDeCaracter) {
    EXPECT_EQ(Como('\xE1'), "a con tilde: acento, luego a");
    EXPECT_EQ(Como('\xF1'), "eñe");
    EXPECT_EQ(Como('\xBF'), "abre interrogación: mayúsculas y la tecla de la exclamación");
    EXPECT_EQ(Como(' '), "espacio");
    EXPECT_EQ(Como('\r'), "intro");
    EXPECT_EQ(Como('A'), "a mayúscula");
    EXPECT_EQ(Como('@'), "arroba: alt gr y el dos");
    EXPECT_EQ(Como('\xC1'), "a mayúscula con tilde: acento, luego mayúsculas y a");
    EXPECT_EQ(Como('\xFC'), "u con diéresis: mayúsculas y acento, luego u");
    EXPECT_EQ(Como('\xE0'), "a con acento grave: acento grave, luego a");
    // With Caps Lock on, a lower-case letter takes Shift, and a capital is its key alone.
    EXPECT_EQ(Como('a', true), "a: mayúsculas y a");
    EXPECT_EQ(Como('A', true), "a mayúscula");
    // A wrong copy: the next thing to do is erase.
    teclado::TraductorTeclas t;
    EXPECT_EQ(ComoSeHace('b', guia::Siguiente(t, "ax", "ab")), "retroceso");
    EXPECT_EQ(ComoSeHace('b', guia::Secuencia{}), "");
}

TEST(NombresHablados, PrimerasPalabras) {
    EXPECT_EQ(guia::PrimerasPalabras("El ni\xF1o  come\rpan con miel", 4), "El niño come pan");
    EXPECT_EQ(guia::PrimerasPalabras("  dos palabras", 8), "dos palabras");
    EXPECT_EQ(guia::PrimerasPalabras("", 3), "");
}

TEST(NombresDeTeclas, CadaTeclaDeLaTablaTieneNombre) {
    for (const teclado::FilaTecla& f : teclado::TablaTeclas())
        for (const char* panel : f.paneles) {
            if (panel) {
                EXPECT_FALSE(guia::NombreTecla(panel).empty()) << panel;
            }
        }
    EXPECT_EQ(guia::NombreTecla("btnBloqMayus"), "Bloq. Mayús.");
    EXPECT_EQ(guia::NombreTecla("btnNoExiste"), "");
}
