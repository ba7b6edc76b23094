// The catalogue tables and the generator that builds them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/Catalogo.h"

namespace fs = std::filesystem;

TEST(Catalogo, LeccionesSinEjerciciosYOrden) {
    EXPECT_FALSE(catalogo::TituloLeccion(6, 4).empty());
    EXPECT_FALSE(catalogo::TituloLeccion(7, 1).empty());
    for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
        EXPECT_FALSE(catalogo::Existe(6, 4, e));
        EXPECT_FALSE(catalogo::Existe(7, 1, e));
    }
    EXPECT_EQ(catalogo::EjerciciosDeUnidad(7), 0);
    EXPECT_EQ(catalogo::EjerciciosDeUnidad(1), 128);
    int n = 0;
    catalogo::Posicion anterior{0, 0, 0};
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        const auto clave = [](const catalogo::Posicion& q) { return q.Unidad * 10000 + q.Leccion * 100 + q.Ejercicio; };
        EXPECT_LT(clave(anterior), clave(p));
        EXPECT_FALSE(catalogo::TituloEjercicio(p.Unidad, p.Leccion, p.Ejercicio).empty());
        EXPECT_EQ(catalogo::Texto(p).size(), catalogo::Entrada(p.Unidad, p.Leccion, p.Ejercicio).Longitud);
        anterior = p;
        ++n;
    });
    int lecciones = 0;
    for (int u = 1; u <= 7; ++u)
        for (int l = 1; l <= 12; ++l) lecciones += !catalogo::TituloLeccion(u, l).empty();
    EXPECT_EQ(lecciones, 53);
    EXPECT_GE(n, 285);
    EXPECT_EQ(catalogo::Texto(1, 1, 1).substr(0, 5), "qwert");
}

namespace {

// Windows-1252 letters: A-Z, a-z and 0xC0-0xFF but for the signs 0xD7 and 0xF7.
bool Letra(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}
bool Mayuscula(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7); }
bool Digito(unsigned char c) { return c >= '0' && c <= '9'; }

std::string Donde(int u, int l, int e = 0) {
    return std::to_string(u) + "." + std::to_string(l) + (e ? "." + std::to_string(e) : "");
}

}  // namespace

// Unit 5 times the learner, so no passage may be much harder to type than another: few capitals
// (each one a Shift chord) and few digits (off the home rows) in every one of them.
TEST(Catalogo, PasajesDeVelocidadDeDificultadPareja) {
    for (int l = 1; l <= catalogo::NumLecciones; ++l)
        for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
            if (!catalogo::Existe(5, l, e)) continue;
            const std::string_view t = catalogo::Texto(5, l, e);
            size_t letras = 0, mayusculas = 0, digitos = 0;
            for (unsigned char c : t) {
                letras += Letra(c);
                mayusculas += Mayuscula(c);
                digitos += Digito(c);
            }
            EXPECT_LE(mayusculas * 100, letras * 4) << Donde(5, l, e) << ": capitals above 4 % of the letters";
            EXPECT_LE(digitos * 100, t.size() * 3) << Donde(5, l, e) << ": digits above 3 % of the characters";
        }
}

// The prose lessons are where ¿ and ¡ are practised in context: every lesson of units 4 and 5 holds
// a question and an exclamation, and the two units begin words with each capital accented vowel.
TEST(Catalogo, LaProsaPracticaPreguntasExclamacionesYMayusculasConTilde) {
    const std::string vocales = "\xC1\xC9\xCD\xD3\xDA";  // Á É Í Ó Ú
    int iniciales[5] = {};
    const auto abreYCierra = [](std::string_view t, char abre, char cierra) {
        const size_t a = t.find(abre);
        return a != std::string_view::npos && t.find(cierra, a + 1) != std::string_view::npos;
    };
    for (int u = 4; u <= 5; ++u)
        for (int l = 1; l <= catalogo::NumLecciones; ++l) {
            bool pregunta = false, exclamacion = false, hayEjercicios = false;
            for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
                if (!catalogo::Existe(u, l, e)) continue;
                hayEjercicios = true;
                const std::string_view t = catalogo::Texto(u, l, e);
                pregunta = pregunta || abreYCierra(t, '\xBF', '?');
                exclamacion = exclamacion || abreYCierra(t, '\xA1', '!');
                for (size_t i = 0; i < t.size(); ++i) {
                    const size_t v = vocales.find(t[i]);
                    const bool inicio = i == 0 || (!Letra(t[i - 1]) && !Digito(t[i - 1]));
                    if (v != std::string::npos && inicio) ++iniciales[v];
                }
            }
            if (!hayEjercicios) continue;
            EXPECT_TRUE(pregunta) << Donde(u, l) << ": no passage with a question";
            EXPECT_TRUE(exclamacion) << Donde(u, l) << ": no passage with an exclamation";
        }
    for (int v = 0; v < 5; ++v) EXPECT_GE(iniciales[v], 2) << "capital accented vowel " << v << " begins too few words";
}

namespace {

struct Salida {
    int codigo;
    std::string errores;
};

// Runs the generator on seven unit files of which the first holds `unidad1`.
Salida Generar(const std::string& unidad1, int unidad = 1) {
    const fs::path dir = fs::temp_directory_path() / ("generador_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string args;
    for (int u = 1; u <= 7; ++u) {
        const fs::path f = dir / ("unidad" + std::to_string(u) + ".txt");
        std::ofstream(f, std::ios::binary) << (u == unidad ? unidad1 : std::string());
        args += " " + f.string();
    }
    const std::string cmd = std::string(PT_GENERADOR) + " " + (dir / "out.cpp").string() + args + " 2>" + (dir / "err").string();
    const int rc = std::system(cmd.c_str());
    std::ifstream e(dir / "err");
    std::string err((std::istreambuf_iterator<char>(e)), {});
    fs::remove_all(dir);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, err};
}

std::string Drill(const std::string& linea) {
    return "# Lecci\xC3\xB3n 1: Uno.\n## Ejercicio 1: T\xC3\xADtulo uno.\n" + linea + "\n";
}

const std::string kBien = [] {
    std::string s;
    while (s.size() < 150) s += "asdfg ";
    return s + "asdfg";
}();

}  // namespace

TEST(Generador, AceptaUnFicheroCorrecto) {
    const Salida s = Generar(Drill(kBien));
    EXPECT_EQ(s.codigo, 0) << s.errores;
}

TEST(Generador, RechazaCadaFaltaConFicheroYLinea) {
    struct Caso { std::string contenido; std::string linea; std::string motivo; int unidad; };
    const std::string cab = "# Lecci\xC3\xB3n 1: Uno.\n## Ejercicio 1: T.\n";
    const std::string pasaje(500, 'a');
    const Caso casos[] = {
        {Drill(kBien + " #"), "unidad1.txt:3:", "outside the repertoire", 1},
        {Drill(kBien + "  asdfg"), "unidad1.txt:3:", "two spaces", 1},
        {Drill(" " + kBien), "unidad1.txt:3:", "starts with a space", 1},
        {Drill(kBien + " "), "unidad1.txt:3:", "ends with a space", 1},
        {cab + pasaje + " \n" + pasaje + "\n", "unidad4.txt:3:", "space before a line break", 4},
        {cab + pasaje + "\n\n" + pasaje + "\n", "unidad4.txt:5:", "blank line inside a text", 4},
        {Drill(kBien) + "## Ejercicio 1: Otra vez.\n" + kBien + "a\n", "unidad1.txt:4:", "declared twice", 1},
        {Drill(kBien) + "## Ejercicio 16: Fuera.\n" + kBien + "b\n", "unidad1.txt:4:", "out of range", 1},
        {"# Lecci\xC3\xB3n 13: Fuera.\n", "unidad1.txt:1:", "out of range", 1},
        {Drill(kBien + " \xE2\x82\xAC"), "unidad1.txt:3:", "outside the repertoire", 1},       // euro sign
        {Drill(kBien + " \xE2\x80\x94"), "unidad1.txt:3:", "outside the repertoire", 1},       // em dash
        {Drill(kBien + " \xE4\xB8\xAD"), "unidad1.txt:3:", "cannot be held in Windows-1252", 1},
        {Drill(kBien + " A"), "unidad1.txt:3:", "not used in units 1 and 2", 1},
        {Drill("asdfg"), "unidad1.txt:2:", "characters; unit 1 takes 143 to 254", 1},
        {Drill(kBien) + "## Ejercicio 2: Igual.\n" + kBien + "\n", "unidad1.txt:4:", "same text as", 1},
        {Drill(kBien + "\r"), "unidad1.txt:3:", "carriage return", 1},
        {"texto suelto\n", "unidad1.txt:1:", "text outside an exercise", 1},
        {cab + "El & y el && doble " + pasaje + "\n", "unidad4.txt:3:", "stored once", 4},
        {cab + "Plaça " + pasaje + "\n", "unidad4.txt:3:", "only in unit 6", 4},
    };
    for (const Caso& c : casos) {
        const Salida s = Generar(c.contenido, c.unidad);
        EXPECT_EQ(s.codigo, 1) << c.motivo;
        EXPECT_NE(s.errores.find(c.linea), std::string::npos) << c.motivo << "\n" << s.errores;
        EXPECT_NE(s.errores.find(c.motivo), std::string::npos) << c.motivo << "\n" << s.errores;
    }
}
