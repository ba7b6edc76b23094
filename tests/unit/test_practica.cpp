// Heading, display text, verdict figures, clock and the next-exercise search.
#include <gtest/gtest.h>

#include <cstring>

#include "catalogue/Catalogo.h"
#include "practica/Practica.h"

using namespace practica;
using catalogo::Posicion;

TEST(Cabecera, TrecePiezasConNumerosDeUnaYDosCifras) {
    EXPECT_EQ(Cabecera({1, 1, 1}),
              "Unidad N\xBA 1.     Lecci\xF3n N\xBA 1. Conociendo el teclado.     (Ejercicio N\xBA 1. "
              "Mano izquierda, primera l\xEDnea de letras.)");
    const std::string c = Cabecera({1, 10, 12});
    EXPECT_EQ(c.rfind("Unidad N\xBA 1.     Lecci\xF3n N\xBA 10. Palabras con letras duplicadas (II).     (Ejercicio N\xBA 12. ", 0), 0u) << c;
    EXPECT_EQ(c.back(), ')');
}

TEST(TextoAMostrar, MarcaAntesDeCadaSaltoDeLinea) {
    EXPECT_EQ(TextoAMostrar("uno\rdos\rtres"), "uno\xAB\rdos\xAB\rtres");
    EXPECT_EQ(TextoAMostrar("sin saltos & nada"), "sin saltos & nada");
}

TEST(Veredicto, PrecisionVelocidadYLineas) {
    EXPECT_EQ(Precision("abd", "abc"), 66u);
    EXPECT_EQ(LineaPrecision(66), "(66% de aciertos)");
    // A pending accent that overflows the last character: only the first L count.
    EXPECT_EQ(Coincidencias("ab\xB4x", "abc"), 2);
    EXPECT_EQ(Precision("xyz", "abc"), 0u);
    EXPECT_EQ(Precision("abc", "abc"), 100u);
    EXPECT_EQ(Velocidad(614, 0, 2, 3), 299u);
    EXPECT_EQ(LineaVelocidad(299), "299 pulsaciones por minuto.");
    EXPECT_EQ(Velocidad(614, 0, 0, 0), 0u);  // no second yet: no failure
    EXPECT_EQ(Velocidad(100, 1, 0, 0), 1u);
    EXPECT_EQ(LineaIntentos(1), "(realizado en 1 intentos)");
}

TEST(Reloj, TextoYAcarreo) {
    EXPECT_EQ(TextoReloj(0, 0, 0), "00:00");
    EXPECT_EQ(TextoReloj(0, 9, 5), "09:05");
    EXPECT_EQ(TextoReloj(1, 0, 0), "1:00:00");
    EXPECT_EQ(TextoReloj(12, 3, 40), "12:03:40");
    Reloj r;
    for (int i = 0; i < 59 * 60 + 59; ++i) r.Tic();
    EXPECT_EQ(TextoReloj(r.Horas, r.Minutos, r.Segundos), "59:59");
    r.Tic();
    EXPECT_EQ(TextoReloj(r.Horas, r.Minutos, r.Segundos), "1:00:00");
    EXPECT_EQ(r.TotalSegundos(), 3600u);
}

TEST(Mensaje, RegladeLineas) {
    EXPECT_EQ(TextoMensaje("uno", "", "tres"), "uno\r\rtres");
    EXPECT_EQ(TextoMensaje("uno"), "uno");
    EXPECT_EQ(TextoMensaje(""), "");
    EXPECT_EQ(TextoMensaje("a", "b", "c", "d", "e"), "a\r\rb\r\rc\r\rd\r\re");
    EXPECT_EQ(TextoMensaje("", "", "", "", "x"), "x");
}

TEST(Clic, SoloLasTeclasDeLaLista) {
    for (std::uint16_t vk : {8, 13, 20, 27, 32, 48, 57, 65, 90, 187, 192, 219, 222, 226}) EXPECT_TRUE(TeclaConClic(vk)) << vk;
    for (std::uint16_t vk : {16, 17, 18, 186, 9, 112, 193, 218, 223, 225, 47, 58, 64, 91}) EXPECT_FALSE(TeclaConClic(vk)) << vk;
}

TEST(SiguienteEjercicio, PrimeroSinHacerDesdeElPrincipio) {
    Realizados hechos{};
    EXPECT_EQ(SiguienteEjercicio(hechos), (Posicion{1, 1, 1}));
    // Done up to 1.2.3, and a later exercise done out of order.
    for (int l = 1; l <= 2; ++l)
        for (int e = 1; e <= 15; ++e)
            if (l == 1 || e <= 3) hechos[0][l - 1][e - 1] = 1;
    hechos[3][0][0] = 1;
    EXPECT_EQ(SiguienteEjercicio(hechos), (Posicion{1, 2, 4}));
    // Every slot done, existing or not: back to the first.
    std::memset(hechos, 1, sizeof hechos);
    EXPECT_EQ(SiguienteEjercicio(hechos), (Posicion{1, 1, 1}));
    // Only slots without an exercise left undone: never landed on.
    hechos[5][3][0] = 0;  // unit 6 lesson 4 has a title and no exercise
    hechos[6][0][0] = 0;  // unit 7
    hechos[0][11][0] = 0; // unit 1 lesson 12 does not exist
    EXPECT_EQ(SiguienteEjercicio(hechos), (Posicion{1, 1, 1}));
}
