// End to end: the practice window of the built program under Xvfb, driven by real X key events:
// an own text pasted in and copied with one error, a one-minute timed test that ends by itself,
// the general drill while little is recorded, and after a text with every "ñ" missed, a drill
// that names it; every run an attempt in the statistics file with its origin.
//
//   e2e_practica PATH_TO_PULSOTECLADO

#include <algorithm>

#include "Consulta.h"
#include "Sesion.h"
#include "catalogue/Catalogo.h"
#include "catalogue/Cp1252.h"
#include "practica/Practica.h"

using namespace e2e;

namespace {

constexpr unsigned kAlt = 64, kCtrl = 37, kF6 = 72, kEsc = 9, kP = 33, kL = 46, kR = 27, kV = 55, kC = 54, kA = 38;

std::string Portapapeles(const Sesion& s) { return Ejecutar("DISPLAY=" + s.display + " xclip -o -selection clipboard 2>/dev/null"); }
void PonerPortapapeles(const Sesion& s, const std::string& utf8) {
    FILE* f = popen(("DISPLAY=" + s.display + " xclip -i -selection clipboard >/dev/null 2>&1").c_str(), "w");
    Comprobar(f != nullptr, "xclip");
    fwrite(utf8.data(), 1, utf8.size(), f);
    pclose(f);
    // xclip takes the selection from a child of its own: paste only once it holds it.
    Comprobar(Esperar([&] { return Portapapeles(s) == utf8; }), "the clipboard did not take the text");
}

// The program's texts are Windows-1252; the clipboard holds UTF-8.
std::string ACp1252(const std::string& utf8) {
    std::string r;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t u = b;
        if (b >= 0xE0 && i + 2 < utf8.size()) {
            u = (b & 0x0Fu) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6 | (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            i += 2;
        } else if (b >= 0xC0 && i + 1 < utf8.size()) {
            u = (b & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            ++i;
        }
        const int c = cp1252::DeUnicode(u);
        Comprobar(c >= 0, "a character outside Windows-1252 in the drill");
        r += static_cast<char>(c);
    }
    return r;
}

// Opens a command of the Práctica menu with its accelerators and waits for the window.
Window Abrir(Sesion& s, unsigned letra, const std::string& titulo) {
    std::vector<Window> v;
    Comprobar(Esperar([&] {
                  s.x.Enfocar(s.principal);
                  s.x.Combinacion(kAlt, kP);
                  Esperar([&] { return s.x.CuantasVisibles() >= 2; }, 1000);
                  s.x.Golpe(letra);
                  return Esperar([&] { return !(v = s.x.Visibles(titulo)).empty(); }, 2000);
              }),
              "the window " + titulo + " did not open");
    s.x.Enfocar(v.front());
    return v.front();
}

void Cerrar(Sesion& s, Window w, const std::string& titulo) {
    s.x.Enfocar(w);
    s.x.Golpe(kEsc);
    Comprobar(Esperar([&] { return s.x.Visibles(titulo).empty(); }), titulo + " did not close with Esc");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_practica PROGRAM\n";
        return 2;
    }
    Sesion s(argv[1]);
    X& x = s.x;
    s.ArrancarX();
    s.ArrancarPrograma();

    // 1. An own text, pasted into the editor that has the focus, copied with one wrong character.
    Window w = Abrir(s, kL, "Texto libre");
    PonerPortapapeles(s, "Hola, se\xC3\xB1or.\n\xC2\xBFQu\xC3\xA9 tal?\n");
    x.Combinacion(kCtrl, kV);
    const std::string texto = "Hola, se\xF1or.\r\xBFQu\xE9 tal?";
    std::string mal = texto;
    mal[1] = 'p';
    // The paste is checked after a short pause; F6 is refused until it has been.
    x.Golpe(kF6);
    Comprobar(!Esperar([&] { return s.x.Visibles("Pulsoteclado").size() > 1; }, 500), "F6 did not start the own text");
    x.Teclear(mal);
    std::string caja = s.Veredicto();
    Comprobar(caja.find("Copia incorrecta.") != std::string::npos, "no failure message");
    const std::string precision = practica::LineaPrecision(practica::Precision(mal, texto));
    Comprobar(caja.find(precision) != std::string::npos, "the accuracy line is not " + precision);
    Cerrar(s, w, "Texto libre");

    // 2. A one-minute timed test on a passage, which ends by itself.
    w = Abrir(s, kP, "Prueba cronometrada");
    x.Golpe(kF6);
    Comprobar(Esperar([&] { return s.x.Visibles("Pulsoteclado").size() == 1; }, 500), "a box over the timed test");
    std::string pasaje(catalogo::Texto(4, 1, 1));
    std::string copia = pasaje.substr(0, 40);
    copia[10] = copia[10] == 'x' ? 'z' : 'x';
    const auto inicio = std::chrono::steady_clock::now();
    x.Teclear(copia);
    std::vector<Window> cajas;
    Comprobar(Esperar([&] { return x.Visibles("Pulsoteclado").size() > 1; }, 75000), "the timed test did not end");
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    std::cout << "timed test ended after " << segundos << " s\n";
    Comprobar(segundos > 59 && segundos < 63, "the timed test did not end at one minute");
    caja = s.Veredicto();
    Comprobar(caja.find("se acab\xC3\xB3 el tiempo.") != std::string::npos, "not ended by the time");
    Comprobar(caja.find("Pulsaciones brutas: 40") != std::string::npos, "brutas");
    Comprobar(caja.find("Errores: 1") != std::string::npos, "errores");
    Comprobar(caja.find("= 40 - 10 \xC3\x97 1 = 30") != std::string::npos, "netas");
    Comprobar(caja.find("No apto (objetivo: 200 pulsaciones netas por minuto)") != std::string::npos, "verdict");
    Cerrar(s, w, "Prueba cronometrada");

    // 3. The review drill while under 200 key presses are recorded: over the whole keyboard.
    auto CopiarRepaso = [&](Window v) {
        PonerPortapapeles(s, "vacio");
        std::string r;
        Comprobar(Esperar([&] {
                      x.Enfocar(v);
                      x.Combinacion(kCtrl, kC);
                      r = Portapapeles(s);
                      return r != "vacio" && !r.empty();
                  }),
                  "Ctrl+C did not copy the drill");
        Comprobar(r.find('\n') != std::string::npos, "no heading in " + r);
        std::cout << "drill heading: " << r.substr(0, r.find('\n')) << "\n";
        return r;
    };
    w = Abrir(s, kR, "Repaso");
    std::string repaso = CopiarRepaso(w);
    Comprobar(repaso.find("repaso general de todo el teclado") < repaso.find('\n'), "no general drill without records");
    Cerrar(s, w, "Repaso");

    // 4. A longer own text with every "ñ" typed as "n".
    w = Abrir(s, kL, "Texto libre");
    std::string largo, largoUtf8;
    for (int i = 0; i < 8; ++i) {
        largo += "el ni\xF1o y la ni\xF1" "a comen pi\xF1" "a ";
        largoUtf8 += "el ni\xC3\xB1o y la ni\xC3\xB1" "a comen pi\xC3\xB1" "a ";
    }
    largo.pop_back();
    largoUtf8.pop_back();
    PonerPortapapeles(s, largoUtf8);
    x.Enfocar(w);
    x.Combinacion(kCtrl, kA);
    x.Combinacion(kCtrl, kV);
    x.Golpe(kF6);
    std::string sinEnes = largo;
    std::replace(sinEnes.begin(), sinEnes.end(), '\xF1', 'n');
    x.Teclear(sinEnes);
    caja = s.Veredicto();
    Comprobar(caja.find("Copia incorrecta.") != std::string::npos, "the text without its ñ was not judged wrong");
    Cerrar(s, w, "Texto libre");

    // 5. Now the drill names the missed key, and it is typed whole.
    w = Abrir(s, kR, "Repaso");
    repaso = CopiarRepaso(w);
    const std::size_t salto = repaso.find('\n');
    Comprobar(repaso.rfind("Repaso de: \xC3\xB1", 0) == 0, "the drill does not name the ñ first: " + repaso.substr(0, salto));
    const std::string drill = ACp1252(repaso.substr(salto + 1));
    Comprobar(drill.size() >= 300 && std::count(drill.begin(), drill.end(), '\xF1') >= 5, "the drill does not work on the ñ");
    x.Golpe(kF6);
    x.Teclear(drill);
    caja = s.Veredicto();
    Comprobar(caja.find("Copia correcta.") != std::string::npos, "the drill was not accepted");
    Cerrar(s, w, "Repaso");

    // Closing: the progress file is written as always.
    x.Enfocar(s.principal);
    x.Combinacion(kAlt, 41);
    Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+F did not open the menu");
    x.Golpe(28);
    s.EsperarFin();

    // 6. The attempts, in order, with their origins; the wrong key press of the first.
    const std::string base = s.datos + "/Pulsoteclado/estadisticas.sqlite";
    const std::vector<Fila> intentos = Consulta(base, "SELECT id, origen, resultado, unidad FROM intento ORDER BY id");
    std::string resumen;
    for (const Fila& f : intentos) resumen += f.v[1] + "/" + f.v[2] + "/" + f.v[3] + " ";
    std::cout << "attempts: " << resumen << "\n";
    Comprobar(resumen == "libre/incorrecto/NULL prueba/incorrecto/NULL libre/incorrecto/NULL repaso/correcto/NULL ",
              "attempts: " + resumen);
    const std::vector<Fila> mala = Consulta(base, "SELECT esperado, escrito FROM pulsacion WHERE intento = " + intentos[0].v[0] +
                                                      " AND posicion = 1 AND escrito <> esperado");
    Comprobar(mala.size() == 1 && mala[0].v[0] == "o" && mala[0].v[1] == "p", "the wrong key press of the own text");
    const std::vector<Fila> prueba = Consulta(base, "SELECT count(*) FROM pulsacion WHERE escrito <> '' AND intento = " + intentos[1].v[0]);
    Comprobar(prueba.size() == 1 && prueba[0].v[0] == "40", "the timed test's key presses: " + (prueba.empty() ? "" : prueba[0].v[0]));
    std::cout << "e2e_practica: ok\n";
    return 0;
}
