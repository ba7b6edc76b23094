// End to end: modifier keys whose key-down or key-up went to a menu, a popup or a message box.
// Typing must go on with the modifiers physically held, and the on-screen Shift, Control and Alt
// must show them.
//
//   e2e_modificadores PATH_TO_PULSOTECLADO

#include "Sesion.h"
#include "catalogue/Catalogo.h"

using namespace e2e;

namespace {

constexpr unsigned kAlt = 64, kAltDerecha = 108, kShift = 50, kF = 41, kE = 26, kEsc = 9, kIntro = 36;

// Where the on-screen modifier keys lie inside the keyboard panel (left, top, width, height).
struct Sitio {
    const char* nombre;
    int izq, arriba, ancho, alto;
};
constexpr Sitio kShiftIzq{"left Shift", 13, 160, 37, 30};
constexpr Sitio kAltEnPantalla{"Alt", 93, 192, 37, 30};
constexpr Sitio kControlIzq{"left Control", 13, 192, 38, 30};

struct Prueba {
    Sesion& s;
    X& x = s.x;
    int siguiente = 1;  // the exercise of unit 1 lesson 1 that is current

    // A lowered key has its shadow at the top left and its light at the bottom right.
    bool Abajo(const Sitio& t) {
        const int x0 = 8 + t.izq, y0 = s.menu + 32 + t.arriba;
        const long arriba = x.Pixel(s.principal, x0, y0), abajo = x.Pixel(s.principal, x0 + t.ancho - 1, y0 + t.alto - 1);
        return (arriba & 0xFF) < (abajo & 0xFF);
    }
    void DebeEstar(const Sitio& t, bool abajo, const std::string& cuando) {
        Comprobar(Esperar([&] { return Abajo(t) == abajo; }, 5000),
                  std::string("the on-screen ") + t.nombre + (abajo ? " is up" : " is down") + " " + cuando);
    }

    // The exercise started from the menu or with F6: typing it whole must earn the correct verdict,
    // which proves every letter arrived.
    void TeclearCorrecto(const std::string& que) {
        Comprobar(Esperar([&] { return s.GrisF1() > 200; }, 5000), que + ": the exercise did not start");
        x.Teclear(catalogo::Texto(1, 1, siguiente));
        const std::string caja = s.Veredicto();
        Comprobar(caja.find("Ejercicio correcto.") != std::string::npos, que + ": the typed text was not the exercise");
        ++siguiente;
    }

    // A verdict box over the main window, focused; returns once it is there.
    Window Caja() {
        std::vector<Window> cajas;
        Comprobar(Esperar([&] {
                      cajas.clear();
                      for (Window w : x.Visibles("Pulsoteclado"))
                          if (w != s.principal) cajas.push_back(w);
                      return !cajas.empty();
                  }),
                  "no verdict box");
        x.Enfocar(cajas.front());
        return cajas.front();
    }
    void CajaCerrada() {
        Comprobar(Esperar([&] { return x.Visibles("Pulsoteclado").size() == 1; }), "the verdict box stayed open");
        x.Enfocar(s.principal);
    }

    // A wrong copy of the current exercise, its last character an upper-case X; the box is left
    // open. conShift: Shift goes down for that X and stays down.
    void TeclearMal(bool conShift) {
        s.Empezar();
        const std::string texto(catalogo::Texto(1, 1, siguiente));
        x.Teclear(texto.substr(0, texto.size() - 1));
        if (conShift) {
            x.Tecla(kShift, true);
            DebeEstar(kShiftIzq, true, "while Shift is held in the main window");
            x.Teclear("x");
        } else {
            x.Teclear("X");
        }
    }

    // Alt (or the right Alt) with F opens "&Fichero"; the modifier is released inside the menu.
    void AbrirFichero(unsigned alt) {
        x.Enfocar(s.principal);
        const int antes = x.CuantasVisibles();
        x.Tecla(alt, true);
        x.Golpe(kF);
        Comprobar(Esperar([&] { return x.CuantasVisibles() > antes; }), "Alt+F did not open the menu");
        x.Tecla(alt, false);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_modificadores PROGRAM\n";
        return 2;
    }
    Sesion s(argv[1]);
    s.ArrancarX();
    s.ArrancarPrograma();
    Prueba p{s};
    X& x = s.x;
    Comprobar(Esperar([&] { return s.GrisF1() == 160; }), "the window is not idle");

    // 1. Alt+F, Alt released in the menu, E ("&Empezar"): the Alt key-up went to the menu.
    p.AbrirFichero(kAlt);
    x.Golpe(kE);
    p.DebeEstar(kAltEnPantalla, false, "after the menu closed");
    p.TeclearCorrecto("Alt+F, E");

    // 2. The same with the right Alt, which this X server's layout makes a plain Alt.
    p.AbrirFichero(kAltDerecha);
    x.Golpe(kE);
    p.DebeEstar(kAltEnPantalla, false, "after the menu opened with the right Alt closed");
    p.DebeEstar(kControlIzq, false, "after the menu opened with the right Alt closed");
    p.TeclearCorrecto("right Alt+F, E");

    // 3. Alt+F, Esc closes the menu, Esc leaves the menu bar, F6 starts.
    const int sinMenu = x.CuantasVisibles();
    p.AbrirFichero(kAlt);
    x.Golpe(kEsc);
    x.Golpe(kEsc);
    Comprobar(Esperar([&] { return x.CuantasVisibles() == sinMenu; }), "Esc did not close the menu");
    p.DebeEstar(kAltEnPantalla, false, "after the menu was closed with Esc");
    s.Empezar();  // F6
    p.TeclearCorrecto("Alt+F, Esc, Esc, F6");

    // 4. Shift pressed in the main window, released while the verdict box has the keyboard: once
    // the box is closed with Enter the on-screen Shift is up and letters come out in lower case.
    p.TeclearMal(true);
    p.Caja();
    x.Tecla(kShift, false);
    x.Golpe(kIntro);
    p.CajaCerrada();
    p.DebeEstar(kShiftIzq, false, "after Shift was released over the box");
    s.Empezar();
    p.TeclearCorrecto("Shift released over a box");

    // 5. Shift held while the box is dismissed with Enter: the main window sees it held, then
    // its release, then lower-case letters.
    p.TeclearMal(false);
    p.Caja();
    x.Tecla(kShift, true);
    x.Golpe(kIntro);
    p.CajaCerrada();
    p.DebeEstar(kShiftIzq, true, "while Shift, pressed over the box, is still held");
    x.Tecla(kShift, false);
    p.DebeEstar(kShiftIzq, false, "after Shift was released in the main window");
    s.Empezar();
    p.TeclearCorrecto("Shift held while a box was dismissed");

    std::cout << "e2e_modificadores: ok\n";
    return 0;
}
