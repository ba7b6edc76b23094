// Free practice: an own text made ready for the keyboard, the timed test's score, the review drill.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "catalogue/Catalogo.h"
#include "catalogue/Cp1252.h"
#include "practica/Libre.h"
#include "practica/Repaso.h"

using namespace practica;

TEST(TextoPropio, FicheroUtf8OWindows1252) {
    bool utf8 = false;
    // A byte-order mark is dropped; accents, the euro sign and a four-byte character survive.
    EXPECT_EQ(DecodificarFichero("\xEF\xBB\xBF" "a\xC3\xB1o \xE2\x82\xAC \xF0\x9F\x98\x80", &utf8), U"a\u00F1o \u20AC \U0001F600");
    EXPECT_TRUE(utf8);
    // Not UTF-8: every byte is read as Windows-1252, also the ones before the first bad sequence.
    EXPECT_EQ(DecodificarFichero("\xC3\xA1 caf\xE9 \x93s\xED\x94 \x80", &utf8), U"\u00C3\u00A1 caf\u00E9 \u201Cs\u00ED\u201D \u20AC");
    EXPECT_FALSE(utf8);
    // A sequence cut at the end, an overlong form and an encoded surrogate are not UTF-8 either.
    for (const char* b : {"fin\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        DecodificarFichero(b, &utf8);
        EXPECT_FALSE(utf8) << b;
    }
    // A byte the code page leaves undefined stays a character of its own, so it gets listed.
    EXPECT_EQ(DecodificarFichero("a\x81", &utf8), U"a\u0081");
    EXPECT_EQ(NoTecleables(U"a\u0081").size(), 1u);
}

TEST(TextoPropio, SaltosDeLineaComoIntro) {
    EXPECT_EQ(NormalizarSaltos(U"uno\r\ndos\ntres\rcuatro\u2029cinco\n"), U"uno\rdos\rtres\rcuatro\rcinco");
    // Blank lines and runs of spaces inside are kept; only the breaks at the very end go.
    EXPECT_EQ(NormalizarSaltos(U"a  b\n\n\nc \n\r\n"), U"a  b\r\r\rc ");
    EXPECT_EQ(NormalizarSaltos(U"\n\n"), U"");
}

TEST(TextoPropio, LoQueElTecladoPuedeEscribir) {
    // Every character of every catalogue text can be typed: the set comes from the translation.
    catalogo::ParaCadaEjercicio([](const catalogo::Posicion& p) {
        for (char c : catalogo::Texto(p))
            ASSERT_TRUE(Tecleable(cp1252::AUnicode(static_cast<unsigned char>(c)))) << int(static_cast<unsigned char>(c));
    });
    for (char32_t c : {U'\u00F1', U'\u00DC', U'\u00C0', U'^', U'`', U'\u00B4', U'\u00A8', U'\u00BF', U'\r', U'\u00AC', U'\u00B7', U'{'})
        EXPECT_TRUE(Tecleable(c)) << static_cast<unsigned>(c);
    for (char32_t c : {U'\u00AB', U'\u20AC', U'\t', U'\n', U'\b', U'\u00E3', U'~', U'\u00E6', U'\u201C', U'\u00A0', U'\u00DF'})
        EXPECT_FALSE(Tecleable(c)) << static_cast<unsigned>(c);
}

TEST(TextoPropio, ListaYReemplazos) {
    const std::u32string t = U"\u201CHola\u201D\u2014dijo\u2026\u00A0\u00ABya\u00BB \u2018s\u00ED\u2019\t5\u20AC, 5 \u20AC, \u00E3\u00E3 \u201E\u2013\u2009";
    const std::vector<NoTecleable> lista = NoTecleables(t);
    ASSERT_GE(lista.size(), 3u);
    EXPECT_EQ(lista[0].caracter, U'\u201C');  // in order of first appearance
    EXPECT_EQ(lista[0].veces, 1u);
    const auto buscar = [&](char32_t c) { return std::find_if(lista.begin(), lista.end(), [&](const NoTecleable& n) { return n.caracter == c; }); };
    ASSERT_NE(buscar(U'\u20AC'), lista.end());
    EXPECT_EQ(buscar(U'\u20AC')->veces, 2u);
    EXPECT_EQ(buscar(U'\u20AC')->reemplazo, U"euros");
    ASSERT_NE(buscar(U'\u00E3'), lista.end());
    EXPECT_EQ(buscar(U'\u00E3')->veces, 2u);
    EXPECT_TRUE(buscar(U'\u00E3')->reemplazo.empty());  // no replacement: the learner edits it

    const std::u32string r = Reemplazar(t);
    EXPECT_EQ(r, U"\"Hola\"-dijo... \"ya\" 's\u00ED' 5 euros, 5 euros, \u00E3\u00E3 \"- ");
    const std::vector<NoTecleable> quedan = NoTecleables(r);
    ASSERT_EQ(quedan.size(), 1u);  // only what has no replacement is left, and it still blocks
    EXPECT_EQ(quedan[0].caracter, U'\u00E3');
    EXPECT_FALSE(TextoDelTeclado(r).has_value());
    const std::optional<std::string> listo = TextoDelTeclado(U"\u00BFA\u00F1o?\r\u00DCbeda");
    ASSERT_TRUE(listo.has_value());
    EXPECT_EQ(*listo, "\xBF" "A\xF1o?\r\xDC" "beda");
    EXPECT_EQ(NombreCaracter(U'\t'), "tabulador");
    EXPECT_EQ(NombreCaracter(U'\u2009'), "espacio especial");
    EXPECT_EQ(NombreCaracter(U'\u201C'), "\xE2\x80\x9C");
}

TEST(PruebaCronometrada, PuntuacionComoEnLasOposiciones) {
    // One wrong character in what was reached; what was not reached is no error.
    EXPECT_EQ(ErroresCopia("hola mumdo", "hola mundo y algo m\xE1s"), 1u);
    EXPECT_EQ(ErroresCopia("", "abc"), 0u);
    EXPECT_EQ(ErroresCopia("abc\xB4", "abc"), 1u);  // an accent left over past the end
    // 310 characters typed (10 of them erased afterwards) in a minute, 3 errors left, 10 per error.
    ResultadoPrueba r = Puntuar("ab_d_f_h", "abcdefgh", 310, 60000, 10, 200);
    EXPECT_EQ(r.errores, 3u);
    EXPECT_EQ(r.netas, 280);
    EXPECT_EQ(r.ppmBrutas, 310u);
    EXPECT_EQ(r.ppmNetas, 280u);
    EXPECT_TRUE(r.apto);
    // Three minutes: per-minute figures are a third; exactly the target is enough.
    r = Puntuar("abc", "abc", 630, 180000, 10, 210);
    EXPECT_EQ(r.ppmBrutas, 210u);
    EXPECT_TRUE(r.apto);
    r = Puntuar("abc", "abc", 629, 180000, 10, 210);
    EXPECT_FALSE(r.apto);
    // More penalty than keystrokes: never below zero, and the formula says so.
    r = Puntuar("xxxxx", "abcde", 40, 30000, 10, 200);
    EXPECT_EQ(r.netas, 0);
    EXPECT_EQ(r.ppmNetas, 0u);
    EXPECT_EQ(r.ppmBrutas, 80u);
    EXPECT_FALSE(r.apto);
    const std::vector<std::string> l = LineasResultado(r);
    const auto tiene = [&](const std::string& s) { return std::any_of(l.begin(), l.end(), [&](const std::string& x) { return x.find(s) != std::string::npos; }); };
    EXPECT_TRUE(tiene("Pulsaciones brutas: 40"));
    EXPECT_TRUE(tiene("Errores: 5"));
    EXPECT_TRUE(tiene("= brutas - 10 \xD7 errores = 40 - 10 \xD7 5 = -10, que cuenta como 0"));
    EXPECT_TRUE(tiene("No apto (objetivo: 200 pulsaciones netas por minuto)"));
    EXPECT_TRUE(tiene("Tiempo: 0 min 30 s"));
    EXPECT_EQ(PorMinuto(100, 0), 0u);
}

TEST(PruebaCronometrada, RelojYTextoCorto) {
    EXPECT_EQ(TextoCuentaAtras(900000), "15:00");
    EXPECT_EQ(TextoCuentaAtras(60000), "01:00");
    EXPECT_EQ(TextoCuentaAtras(59001), "01:00");  // rounded up: 00:00 only at the end
    EXPECT_EQ(TextoCuentaAtras(59000), "00:59");
    EXPECT_EQ(TextoCuentaAtras(1), "00:01");
    EXPECT_EQ(TextoCuentaAtras(0), "00:00");
    EXPECT_TRUE(TextoCortoParaPrueba(299, 1));
    EXPECT_FALSE(TextoCortoParaPrueba(300, 1));
    EXPECT_TRUE(TextoCortoParaPrueba(4499, 15));
}

namespace {
// Every token of the catalogue, as written and with its outer punctuation trimmed off.
const std::set<std::string>& TokensCatalogo() {
    static const std::set<std::string> t = [] {
        std::set<std::string> r;
        catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
            std::string_view s = catalogo::Texto(p);
            std::size_t i = 0;
            while (i <= s.size()) {
                std::size_t j = s.find_first_of(" \r", i);
                if (j == std::string_view::npos) j = s.size();
                std::string w(s.substr(i, j - i));
                r.insert(w);
                for (std::size_t a = 0; a < w.size(); ++a)
                    for (std::size_t b = a + 1; b <= w.size(); ++b) r.insert(w.substr(a, b - a));
                i = j + 1;
            }
        });
        return r;
    }();
    return t;
}
std::size_t Veces(std::string_view s, char c) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), c)); }
}  // namespace

TEST(Repaso, PalabrasDelCatalogoConLasTeclasDebiles) {
    const std::string objetivos = "\xF1\xE1\xFCp\xBF";  // ñ á ü p ¿
    const std::string a = GenerarRepaso(objetivos, 1), b = GenerarRepaso(objetivos, 2);
    for (const std::string& r : {a, b}) {
        EXPECT_GE(r.size(), kLargoRepaso);
        EXPECT_LT(r.size(), kLargoRepaso + 20);
        EXPECT_EQ(r.find("  "), std::string::npos);
        EXPECT_EQ(r.find('\r'), std::string::npos);
        std::size_t i = 0;
        while (i < r.size()) {
            std::size_t j = r.find(' ', i);
            if (j == std::string::npos) j = r.size();
            EXPECT_TRUE(TokensCatalogo().count(r.substr(i, j - i))) << r.substr(i, j - i);
            i = j + 1;
        }
        // Each weak character far more often than in ordinary text: about every fourth word.
        for (char c : objetivos) EXPECT_GE(Veces(r, c), 5u) << c << " in " << r;
    }
    EXPECT_NE(a, b);                          // a new drill each time
    EXPECT_EQ(a, GenerarRepaso(objetivos, 1));  // and reproducible from its seed
    // A character no catalogue word holds is left out; the drill is still made.
    const std::string sinEuro = GenerarRepaso("\x80z", 3);
    EXPECT_GE(Veces(sinEuro, 'z'), 5u);
    EXPECT_GE(GenerarRepaso("", 4).size(), kLargoRepaso);
    EXPECT_EQ(CabeceraRepaso(objetivos), "Repaso de: \xF1, \xE1, \xFC, p, \xBF");
}

TEST(Repaso, ObjetivosDeTeclasYAcentos) {
    // Five keys at most, then three accent characters at most; repeats and what no word holds go.
    EXPECT_EQ(ObjetivosRepaso("p \rq\xF1wz", "\xE1p\xFC\xE9\xF3"), "pq\xF1wz\xE1\xFC\xE9");
    EXPECT_EQ(ObjetivosRepaso("", "\xE1"), "\xE1");
    EXPECT_EQ(ObjetivosRepaso(" ", ""), "");
}

TEST(Repaso, GeneralSobreTodoElTeclado) {
    const std::string r = GenerarRepaso(TodoElTeclado(), 7);
    std::size_t distintos = 0;
    for (char c : TodoElTeclado()) distintos += Veces(r, c) > 0;
    EXPECT_GE(distintos, TodoElTeclado().size() * 3 / 4) << r;
}

TEST(TextoLargo, LineasComoLasParteLaEtiqueta) {
    using V = std::vector<std::size_t>;
    EXPECT_EQ(InicioLineas("aaa bbb ccc", 7, true), (V{0, 8}));     // the space hangs at the edge
    EXPECT_EQ(InicioLineas("abcdefghij", 4, true), (V{0, 4, 8}));   // a word longer than a line is cut
    EXPECT_EQ(InicioLineas("ab\rcd\r\re", 9, true), (V{0, 3, 6, 7}));
    EXPECT_EQ(InicioLineas("ab\rcd", 2, true), (V{0, 2, 3}));       // no room for the mark: it goes down
    EXPECT_EQ(InicioLineas("ab\rcd", 2, false), (V{0, 3}));
    EXPECT_EQ(InicioLineas("uno dos\rtres", 5, true), (V{0, 4, 8})); // the mark goes down with its word
    EXPECT_EQ(InicioLineas("uno dos tres\rcuatro cinco seis siete", 10, false), (V{0, 8, 13, 20, 31}));
    // No line is wider than asked, and the lines put back together are the text.
    std::string largo;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) { largo += catalogo::Texto(p); largo += '\r'; });
    const V m = InicioLineas(largo, 60, true);
    std::string junto;
    for (std::size_t k = 0; k < m.size(); ++k) {
        const std::size_t b = k + 1 < m.size() ? m[k + 1] : largo.size();
        std::string_view linea(largo.data() + m[k], b - m[k]);
        junto += linea;
        while (!linea.empty() && linea.back() == ' ') linea.remove_suffix(1);
        ASSERT_LE(linea.size(), 60u) << linea;
    }
    EXPECT_EQ(junto, largo);
}
