// End to end: the built program under its own Xvfb, in a scratch home, driven by real X key
// events with physical key codes (XTest).
//
//   e2e_pulsoteclado PATH_TO_PULSOTECLADO

#include <fstream>

#include "Sesion.h"
#include "catalogue/Catalogo.h"
#include "practica/Practica.h"
#include "store/Configuracion.h"

using namespace e2e;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_pulsoteclado PROGRAM\n";
        return 2;
    }
    Sesion s(argv[1]);
    X& x = s.x;

    // Every exercise done but unit 1 lesson 1 exercise 1 and the first accent drill (3.4.1).
    s.ProgresoConPendientes({{1, 1, 1}, {3, 4, 1}});
    const std::string fichero = s.FicheroProgreso();

    s.ArrancarX();
    s.ArrancarPrograma();
    const Window principal = s.principal;
    auto Empezar = [&] { s.Empezar(); };
    auto Veredicto = [&] { return s.Veredicto(); };

    // 1. Unit 1 lesson 1 exercise 1, with one wrong character.
    const std::string texto(catalogo::Texto(1, 1, 1));
    std::string mal = texto;
    mal[2] = mal[2] == 'x' ? 'z' : 'x';
    Empezar();
    x.Teclear(mal);

    const std::string precision = practica::LineaPrecision(practica::Precision(mal, texto));
    std::string caja = Veredicto();
    Comprobar(caja.find("Ejercicio incorrecto.") != std::string::npos, "no failure message");
    Comprobar(caja.find("Deberá volver a hacerlo de nuevo.") != std::string::npos, "no second line");
    Comprobar(caja.find(precision) != std::string::npos, "the accuracy line is not " + precision);
    // 2. Again, right.
    Empezar();
    x.Teclear(texto);

    caja = Veredicto();
    Comprobar(caja.find("Ejercicio correcto. Puede pasar al siguiente.") != std::string::npos, "no success message");
    Comprobar(caja.find("(realizado en 2 intentos)") != std::string::npos, "wrong attempt count");
    // 3. The next open exercise is the acute-accent drill of unit 3: typed with the dead key.
    const std::string acentos(catalogo::Texto(3, 4, 1));
    Comprobar(acentos.find('\xE1') != std::string::npos, "3.4.1 has no accented vowel");
    Empezar();
    x.Teclear(acentos);
    caja = Veredicto();
    Comprobar(caja.find("(realizado en 1 intentos)") != std::string::npos, "the accented drill was not accepted");
    // 4. Close from the menu with its accelerators: Alt+F, then T.
    x.Enfocar(principal);
    x.Combinacion(64, 41);
    Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+F did not open the menu");
    x.Golpe(28);
    s.EsperarFin();

    // 5. The progress file, byte by byte.
    std::ifstream f(fichero, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(f)), {});
    Comprobar(b.size() == 3948, "file size " + std::to_string(b.size()));
    auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(b[i])); };
    Comprobar(byte(0) == 1, "byte 0");
    Comprobar(byte(156) == 1 && byte(1416) == 2 && byte(1417) == 0, "unit 1 lesson 1 exercise 1: done in 2 attempts");
    const std::size_t k = 180 * 2 + 15 * 3;
    Comprobar(byte(156 + k) == 1 && byte(1416 + 2 * k) == 1 && byte(1417 + 2 * k) == 0, "3.4.1: done in 1 attempt");
    std::uint32_t suma = 0;
    for (std::size_t i = 0; i < 3936; ++i) suma += byte(i);
    Comprobar(b.compare(3936, 8, std::string("\x1A" "ChkZORP", 8)) == 0, "trailer marker");
    const std::uint32_t guardada = byte(3944) | byte(3945) << 8 | byte(3946) << 16 | byte(3947) << 24;
    Comprobar(guardada == suma, "trailer sum");
    std::cout << "e2e: ok\n";
    return 0;
}
