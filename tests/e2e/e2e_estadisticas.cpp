// End to end: an exercise typed once with a wrong character and once right leaves two attempts
// with their key presses in the statistics file, and the statistics window, opened from the menu
// with real X key events, colours the missed key deepest red.
//
//   e2e_estadisticas PATH_TO_PULSOTECLADO

#include <X11/Xutil.h>

#include "Consulta.h"
#include "Sesion.h"
#include "catalogue/Catalogo.h"

using namespace e2e;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_estadisticas PROGRAM\n";
        return 2;
    }
    Sesion s(argv[1]);
    X& x = s.x;
    const std::string base = s.datos + "/Pulsoteclado/estadisticas.sqlite";
    s.ArrancarX();
    s.ArrancarPrograma();
    Comprobar(!fs::exists(base), "the statistics file was opened at start-up");

    // Keys while idle are not recorded.
    x.Enfocar(s.principal);
    x.Teclear("asdf");

    // 1. Unit 1 lesson 1 exercise 1 with one wrong character, then right.
    const std::string texto(catalogo::Texto(1, 1, 1));
    std::string mal = texto;
    const char esperado = texto[2];
    mal[2] = esperado == 'x' ? 'z' : 'x';
    s.Empezar();
    x.Teclear(mal);
    Comprobar(s.Veredicto().find("Ejercicio incorrecto.") != std::string::npos, "no failure message");
    s.Empezar();
    x.Teclear(texto);
    Comprobar(s.Veredicto().find("Ejercicio correcto.") != std::string::npos, "no success message");

    // 2. The statistics window from the menu: Alt+P opens "Práctica", E its "Estadísticas...".
    x.Enfocar(s.principal);
    x.Combinacion(64, 33);
    Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+P did not open the menu");
    x.Golpe(26);
    // The title reaches the X server in Latin-1 (WM_NAME).
    const std::string titulo = "Estad\xEDsticas";
    std::vector<Window> v;
    Comprobar(Esperar([&] { return !(v = x.Visibles(titulo)).empty(); }), "the statistics window did not open");
    const Window ventana = v.front();

    // The wrong key is the only one at the top of the scale, deep red (150, 0, 0); find it and
    // check from the keys around it that it is the key the text expected.
    XWindowAttributes a;
    XGetWindowAttributes(x.d, ventana, &a);
    int bx = -1, by = -1;
    Comprobar(Esperar([&] {
                  XImage* img = XGetImage(x.d, ventana, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
                  if (!img) return false;
                  for (int yy = 0; yy < a.height && bx < 0; ++yy)
                      for (int xx = 0; xx < a.width; ++xx)
                          if ((XGetPixel(img, xx, yy) & 0xFFFFFF) == 0x960000) {
                              bx = xx;
                              by = yy;
                              break;
                          }
                  XDestroyImage(img);
                  return bx >= 0;
              }),
              "no key is coloured deep red");
    // Where the letter keys lie on the keyboard: three rows of 32-pixel steps.
    const std::string panel = std::string("btn") + static_cast<char>(esperado - 32);
    int kx = -1, ky = -1;
    const struct { const char* letras; int x, y; } filas[] = {{"qwertyuiop", 58, 96}, {"asdfghjkl", 71, 128}, {"zxcvbnm", 84, 160}};
    for (const auto& f : filas)
        if (const char* p = std::strchr(f.letras, esperado)) {
            kx = f.x + 32 * static_cast<int>(p - f.letras);
            ky = f.y;
        }
    Comprobar(kx >= 0, "no letter key for the expected character");
    // The keyboard's origin if the red key is that one: inside the key's 2-pixel bevel.
    const int ox = bx - kx - 2, oy = by - ky - 2;
    const long blanco = 0xFFFFFF;
    Comprobar(x.Pixel(ventana, ox + 470, oy + 96 + 15) == blanco, "the Enter key is not where the red key says");
    Comprobar(x.Pixel(ventana, ox + 500, oy + 96 + 15) != blanco, "the gap right of Enter is not where the red key says");
    Comprobar(x.Pixel(ventana, ox + 16, oy + 128 + 3) == blanco, "Caps Lock is not where the red key says");
    Comprobar(x.Pixel(ventana, ox + kx + 15 + 32, oy + ky + 15) != 0x960000, "the next key is red as well");
    std::cout << "red key " << panel << " at " << bx << "," << by << "\n";
    if (const char* captura = std::getenv("PT_CAPTURA"))
        Ejecutar("import -display " + s.display + " -window root " + captura);

    x.Enfocar(ventana);
    x.Golpe(9);  // Esc closes it
    Comprobar(Esperar([&] { return x.Visibles(titulo).empty(); }), "Esc did not close the statistics window");

    // 3. Close the program: Alt+F, then T.
    x.Enfocar(s.principal);
    x.Combinacion(64, 41);
    Comprobar(Esperar([&] { return x.CuantasVisibles() >= 2; }), "Alt+F did not open the menu");
    x.Golpe(28);
    s.EsperarFin();

    // 4. The file: two attempts of 1.1.1, each with its presses; the wrong one with what was due.
    const auto intentos = Consulta(base, "SELECT id, origen, unidad, leccion, ejercicio, resultado, caracteres, errores, "
                                         "(SELECT count(*) FROM pulsacion p WHERE p.intento = i.id) FROM intento i ORDER BY id");
    Comprobar(intentos.size() == 2, "attempts: " + std::to_string(intentos.size()));
    const std::string n = std::to_string(texto.size());
    const std::vector<std::string> primero = {"1", "catalogo", "1", "1", "1", "incorrecto", n, "1", n};
    const std::vector<std::string> segundo = {"2", "catalogo", "1", "1", "1", "correcto", n, "0", n};
    Comprobar(intentos[0].v == primero, "first attempt: " + intentos[0].v[5] + " errors " + intentos[0].v[7] + " presses " + intentos[0].v[8]);
    Comprobar(intentos[1].v == segundo, "second attempt: " + intentos[1].v[5] + " errors " + intentos[1].v[7] + " presses " + intentos[1].v[8]);
    const auto fallo = Consulta(base, "SELECT posicion, esperado, escrito, tecla FROM pulsacion WHERE intento = 1 AND escrito <> esperado");
    Comprobar(fallo.size() == 1, "wrong presses: " + std::to_string(fallo.size()));
    Comprobar(fallo[0].v[0] == "2" && fallo[0].v[1] == std::string(1, esperado) && fallo[0].v[2] == std::string(1, mal[2]) &&
                  fallo[0].v[3] == std::to_string(mal[2] - 32),
              "the wrong press: " + fallo[0].v[0] + " " + fallo[0].v[1] + " " + fallo[0].v[2] + " " + fallo[0].v[3]);
    const auto ms = Consulta(base, "SELECT min(ms), max(ms), sum(orden = 1 AND ms = 0) FROM pulsacion");
    Comprobar(ms[0].v[0] == "0" && ms[0].v[2] == "2", "times: the first press of each attempt is 0 ms");
    std::cout << "e2e_estadisticas: ok\n";
    return 0;
}
