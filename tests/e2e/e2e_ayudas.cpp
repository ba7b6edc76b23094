// End to end, the aids while typing: turned on in the settings dialog with real keys, the next
// key lit on the on-screen keyboard as a unit-1 drill and an accented capital of unit 3 are typed,
// a wrong character shown red until it is erased, the live figures in the heading, and the
// settings still there after a restart.
//
//   e2e_ayudas PATH_TO_PULSOTECLADO

#include <fstream>
#include <map>

#include "Sesion.h"
#include "catalogue/Catalogo.h"
#include "store/Configuracion.h"

using namespace e2e;

namespace {

struct Caja {
    int x, y, ancho, alto;
};

// Where some keys sit inside the on-screen keyboard (left, top, width, height).
const std::map<std::string, Caja> kTeclas = {
    {"btnQ", {58, 96, 30, 30}},        {"btnW", {90, 96, 30, 30}},        {"btnE", {122, 96, 30, 30}},
    {"btnR", {154, 96, 30, 30}},       {"btnT", {186, 96, 30, 30}},       {"btnEspacio", {133, 192, 193, 30}},
    {"btnBorrar", {429, 64, 56, 30}},  {"btnAcento", {391, 128, 30, 30}}, {"btnA", {71, 128, 30, 30}},
    {"btnN", {244, 160, 30, 30}},      {"btnMayusculasDer", {404, 160, 81, 30}},
    {"btnMayusculasIzq", {13, 160, 37, 30}},
};

const std::map<char, std::string> kTeclaDe = {{'q', "btnQ"}, {'w', "btnW"}, {'e', "btnE"},
                                              {'r', "btnR"}, {'t', "btnT"}, {' ', "btnEspacio"}};

constexpr unsigned kTab = 23, kEspacio = 65, kAlt = 64, kShiftIzq = 50, kAcentoAgudo = 48, kRetroceso = 22;

// Pixels of one colour (or, with color -1, dark pixels: text) in a rectangle of the window.
int Contar(X& x, Window w, int px, int py, int ancho, int alto, long color) {
    XImage* img = XGetImage(x.d, w, px, py, static_cast<unsigned>(ancho), static_cast<unsigned>(alto), AllPlanes, ZPixmap);
    if (!img) return -1;
    int n = 0;
    for (int j = 0; j < alto; ++j)
        for (int i = 0; i < ancho; ++i)
        {
            const long p = static_cast<long>(XGetPixel(img, i, j) & 0xFFFFFF);
            if (color >= 0 ? p == color : ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++n;
        }
    XDestroyImage(img);
    return n;
}

// The settings dialog's title, as WM_NAME carries it (Latin-1 or UTF-8 by the toolkit's choice).
std::vector<Window> Dialogos(X& x) {
    std::vector<Window> v = x.Visibles("Configuraci\xF3n");
    for (Window w : x.Visibles("Configuración")) v.push_back(w);
    return v;
}

std::string LeerFichero(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_ayudas PROGRAM\n";
        return 2;
    }
    Sesion s(argv[1]);
    X& x = s.x;

    // Every exercise done but the first drill (1.1.1) and the first acute-accent drill (3.4.1).
    s.ProgresoConPendientes({{1, 1, 1}, {3, 4, 1}});
    const std::string conf = s.config + "/Pulsoteclado/pulsoteclado.conf";

    s.ArrancarX();
    s.ArrancarPrograma();

    // The guide's ring: black at the right inside edge of the key, just within the bevel.
    auto Marcada = [&](const std::string& tecla) {
        const Caja& k = kTeclas.at(tecla);
        return x.Pixel(s.principal, 8 + k.x + k.ancho - 4, s.menu + 32 + k.y + k.alto - 10) == 0;
    };
    auto EsperarMarca = [&](const std::string& tecla, const std::string& paso) {
        Comprobar(Esperar([&] { return Marcada(tecla); }, 5000), paso + ": " + tecla + " is not marked");
    };
    auto EsperarSinMarca = [&](const std::string& tecla, const std::string& paso) {
        Comprobar(Esperar([&] { return !Marcada(tecla); }, 5000), paso + ": " + tecla + " is still marked");
    };
    // The light red behind a wrong character, on the first line of the typed text (units 1 to 3).
    auto Rojos = [&] { return Contar(x, s.principal, 8, s.menu + 416, 400, 16, 0xFFCDCD); };

    // 1. All three aids on, from "&Configuración" > "&Ayudas...", with the keyboard only.
    Comprobar(Esperar([&] { return s.GrisF1() == 160; }), "the window is not idle");
    x.Enfocar(s.principal);
    x.Combinacion(kAlt, 54);  // Alt+C
    Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+C did not open the menu");
    x.Golpe(38);  // A
    std::vector<Window> dialogo;
    Comprobar(Esperar([&] { return !(dialogo = Dialogos(x)).empty(); }), "no settings dialog");
    x.Enfocar(dialogo.front());
    // OK, Cancel, the tabs, then the page: the guide, its wait, the marks, the figures.
    for (unsigned k : {kTab, kTab, kTab, kEspacio, kTab, kTab, kEspacio, kTab, kEspacio}) x.Golpe(k);
    x.Combinacion(kAlt, 32);  // Alt+O: "&Ok"
    Comprobar(Esperar([&] { return Dialogos(x).empty(); }), "the settings dialog stayed open");
    Comprobar(Esperar([&] { return LeerFichero(conf).find("VelocidadYAciertos=true") != std::string::npos; }),
              "the settings file was not written");
    const std::string ajustes = LeerFichero(conf);
    std::cout << ajustes;
    for (const char* clave : {"SiguienteTecla=true", "MarcarErrores=true", "EsperaSiguienteTecla=0"})
        Comprobar(ajustes.find(clave) != std::string::npos, std::string("the settings file lacks ") + clave);

    // 2. Unit 1: the mark goes from key to key through the drill.
    const std::string drill(catalogo::Texto(1, 1, 1));
    Comprobar(drill.rfind("qwert qwert", 0) == 0, "1.1.1 is not the drill expected");
    Comprobar(!Marcada("btnQ"), "a key is marked while idle");
    s.Empezar();
    for (std::size_t i = 0; i < 12; ++i) {
        const std::string paso = "drill character " + std::to_string(i);
        EsperarMarca(kTeclaDe.at(drill[i]), paso);
        x.Teclear(drill.substr(i, 1));
        if (kTeclaDe.at(drill[i + 1]) != kTeclaDe.at(drill[i])) EsperarSinMarca(kTeclaDe.at(drill[i]), paso);
    }
    // The live figures at the right end of the heading line.
    Comprobar(Esperar([&] { return Contar(x, s.principal, 8 + 775 - 104, s.menu + 4 + 4, 100, 14, -1) > 10; }),
              "no live figures in the heading");
    // 3. A wrong character shows red, the mark goes to Backspace; erasing clears both.
    Comprobar(Rojos() == 0, "red before any error");
    x.Teclear(drill[12] == 'x' ? "z" : "x");
    Comprobar(Esperar([&] { return Rojos() > 20; }), "the wrong character is not red");
    EsperarMarca("btnBorrar", "after the error");
    x.Golpe(kRetroceso);
    Comprobar(Esperar([&] { return Rojos() == 0; }), "erasing did not clear the red");
    EsperarSinMarca("btnBorrar", "after erasing");
    EsperarMarca(kTeclaDe.at(drill[12]), "after erasing");
    // The rest of the drill: the verdict is the usual one.
    x.Teclear(drill.substr(12));
    Comprobar(s.Veredicto().find("Ejercicio correcto.") != std::string::npos, "the drill was not accepted");

    // 4. Unit 3, "Ángela": the acute dead key alone, then the right Shift and A, then N.
    const std::string angela(catalogo::Texto(3, 4, 1));
    Comprobar(angela.rfind("\xC1ngela", 0) == 0, "3.4.1 does not start with \"Ángela\"");
    s.Empezar();
    EsperarMarca("btnAcento", "first step of \"Á\"");
    Comprobar(!Marcada("btnA") && !Marcada("btnMayusculasDer"), "first step of \"Á\" marks A or Shift");
    x.Golpe(kAcentoAgudo);
    EsperarMarca("btnA", "second step of \"Á\"");
    EsperarMarca("btnMayusculasDer", "second step of \"Á\"");
    EsperarSinMarca("btnAcento", "second step of \"Á\"");
    Comprobar(!Marcada("btnMayusculasIzq"), "the left Shift is marked for a left-hand key");
    x.Combinacion(kShiftIzq, 38);
    EsperarMarca("btnN", "after \"Á\"");
    EsperarSinMarca("btnMayusculasDer", "after \"Á\"");

    // 5. Close and start again: the file still holds the aids, and they act.
    auto PararYCerrar = [&] {
        x.Enfocar(s.principal);
        x.Golpe(72);  // F6: stop
        Comprobar(Esperar([&] { return s.GrisF1() == 160; }), "F6 did not stop the exercise");
        x.Combinacion(kAlt, 41);  // Alt+F, then T
        Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+F did not open the menu");
        x.Golpe(28);
        s.EsperarFin();
    };
    PararYCerrar();
    Comprobar(LeerFichero(conf) == ajustes, "the settings file changed at close");
    s.ArrancarPrograma();
    s.Empezar();
    EsperarMarca("btnAcento", "after the restart");
    x.Teclear("x");
    Comprobar(Esperar([&] { return Rojos() > 20; }), "after the restart the wrong character is not red");
    PararYCerrar();
    std::cout << "e2e_ayudas: ok\n";
    return 0;
}
