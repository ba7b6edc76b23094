// End to end: the built program under its own Xvfb, in a scratch home, driven by real X key
// events with physical key codes (XTest). It waits on the windows themselves, never on fixed
// sleeps, and leaves no process behind.
//
//   e2e_pulsoteclado PATH_TO_PULSOTECLADO

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "../comun/Mecanografo.h"
#include "catalogue/Catalogo.h"
#include "practica/Practica.h"
#include "store/Configuracion.h"

namespace fs = std::filesystem;

namespace {

pid_t g_xvfb = 0, g_programa = 0;
std::string g_casa, g_display;

void Limpiar() {
    for (pid_t* p : {&g_programa, &g_xvfb})
        if (*p > 0) {
            kill(*p, SIGKILL);
            waitpid(*p, nullptr, 0);
            *p = 0;
        }
    if (!g_casa.empty()) fs::remove_all(g_casa);
}

[[noreturn]] void Fallo(const std::string& motivo) {
    std::cerr << "FALLO: " << motivo << "\n";
    // What the screen showed, for whoever reads the failure.
    if (!g_display.empty() && std::system(("import -display " + g_display + " -window root /tmp/pulsoteclado-e2e-fallo.png 2>/dev/null").c_str()) == 0)
        std::cerr << "screen: /tmp/pulsoteclado-e2e-fallo.png\n";
    Limpiar();
    std::exit(1);
}

void Comprobar(bool c, const std::string& motivo) {
    if (!c) Fallo(motivo);
}

// Polls until the condition holds or the time runs out.
bool Esperar(const std::function<bool()>& cond, int ms = 20000) {
    const auto fin = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < fin) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return cond();
}

pid_t Lanzar(const std::vector<std::string>& args, const std::vector<std::string>& entorno) {
    pid_t p = fork();
    if (p == 0) {
        for (const auto& e : entorno) putenv(strdup(e.c_str()));
        std::vector<char*> v;
        for (const auto& a : args) v.push_back(const_cast<char*>(a.c_str()));
        v.push_back(nullptr);
        int nulo = open("/dev/null", 1);
        if (nulo >= 0) dup2(nulo, 2);
        execvp(v[0], v.data());
        _exit(127);
    }
    return p;
}

struct X {
    Display* d = nullptr;

    std::vector<Window> Visibles(const std::string& nombre) {
        std::vector<Window> r;
        Window raiz, padre, *hijos = nullptr;
        unsigned n = 0;
        if (!XQueryTree(d, DefaultRootWindow(d), &raiz, &padre, &hijos, &n)) return r;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(d, hijos[i], &a) || a.map_state != IsViewable) continue;
            char* t = nullptr;
            if (XFetchName(d, hijos[i], &t) && t) {
                if (nombre == t) r.push_back(hijos[i]);
                XFree(t);
            }
        }
        if (hijos) XFree(hijos);
        return r;
    }

    void Enfocar(Window w) {
        XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
        XSync(d, False);
    }

    void Tecla(unsigned codigo, bool abajo) {
        XTestFakeKeyEvent(d, codigo, abajo ? True : False, 0);
        XSync(d, False);
    }
    void Golpe(unsigned codigo) {
        Tecla(codigo, true);
        Tecla(codigo, false);
    }
    void Combinacion(unsigned mod, unsigned codigo) {
        Tecla(mod, true);
        Golpe(codigo);
        Tecla(mod, false);
    }
    void Teclear(std::string_view texto) {
        for (const prueba::Golpe& g : prueba::Teclear(texto)) Tecla(g.codigo, g.abajo);
    }

};

std::string Ejecutar(const std::string& orden) {
    std::string r;
    if (FILE* f = popen(orden.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) r.append(buf, n);
        pclose(f);
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_pulsoteclado PROGRAM\n";
        return 2;
    }
    const std::string programa = fs::absolute(argv[1]).string();
    signal(SIGPIPE, SIG_IGN);
    char plantilla[] = "/tmp/pulsoteclado-e2e-XXXXXX";
    Comprobar(mkdtemp(plantilla) != nullptr, "mkdtemp");
    g_casa = plantilla;
    const std::string datos = g_casa + "/datos", runtime = g_casa + "/runtime";
    fs::create_directories(datos + "/Pulsoteclado");
    fs::create_directories(runtime);
    chmod(runtime.c_str(), 0700);

    // Every exercise done but unit 1 lesson 1 exercise 1 and the first accent drill (3.4.1).
    almacen::TConfiguracion c{};
    almacen::ConfiguracionPorDefecto(c);
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) { c.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] = 1; });
    c.Realizados[0][0][0] = 0;
    c.Realizados[2][3][0] = 0;
    const std::string fichero = datos + "/Pulsoteclado/pulsoteclado.cfg";
    almacen::GuardarConfiguracion(fichero, c);

    // Our own X server on a free display.
    int pantalla = 0;
    for (int n = 60 + getpid() % 100;; ++n)
        if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) && !fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
            pantalla = n;
            break;
        }
    const std::string display = ":" + std::to_string(pantalla);
    g_display = display;
    g_xvfb = Lanzar({"Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
    X x;
    Comprobar(Esperar([&] { return (x.d = XOpenDisplay(display.c_str())) != nullptr; }), "Xvfb did not start");
    // Windows come and go between a query and a look at them: such errors are not failures.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int ev, er, ma, mi;
    Comprobar(XTestQueryExtension(x.d, &ev, &er, &ma, &mi), "no XTest extension");

    const std::vector<std::string> entorno = {"DISPLAY=" + display, "HOME=" + g_casa, "XDG_DATA_HOME=" + datos,
                                              "XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=xcb", "LANG=C.UTF-8"};
    g_programa = Lanzar({programa}, entorno);
    std::vector<Window> v;
    Comprobar(Esperar([&] { return !(v = x.Visibles("Pulsoteclado")).empty(); }), "the main window never showed");
    const Window principal = v.front();
    XWindowAttributes a;
    XGetWindowAttributes(x.d, principal, &a);
    std::cout << "main window " << a.width << "x" << a.height << "\n";
    const int menu = a.height - 554;  // the menu bar sits above the 792 x 554 client area

    // The F1 panel is medium grey while idle and button-faced during a run: the mode on screen.
    auto GrisF1 = [&] {
        XImage* img = XGetImage(x.d, principal, 8 + 69 + 15, menu + 32 + 16 + 15, 1, 1, AllPlanes, ZPixmap);
        if (!img) return -1;
        const int r = static_cast<int>((XGetPixel(img, 0, 0) >> 16) & 0xFF);
        XDestroyImage(img);
        return r;
    };
    auto Empezar = [&] {
        Comprobar(Esperar([&] { return GrisF1() == 160; }), "the window is not idle");
        Comprobar(Esperar([&] {
                      x.Enfocar(principal);
                      if (GrisF1() == 160) x.Golpe(72);  // F6
                      return Esperar([&] { return GrisF1() > 200; }, 1000);
                  }),
                  "F6 did not start the exercise");
    };
    auto Veredicto = [&]() {
        std::vector<Window> cajas;
        Comprobar(Esperar([&] {
                      cajas.clear();
                      for (Window w : x.Visibles("Pulsoteclado"))
                          if (w != principal) cajas.push_back(w);
                      return !cajas.empty();
                  }),
                  "no verdict box");
        x.Enfocar(cajas.front());
        // A marker first, so that the previous box's text is never read again.
        Ejecutar("printf vacio | DISPLAY=" + display + " xclip -i -selection clipboard >/dev/null 2>&1");
        std::string texto;
        Esperar([&] {
            x.Combinacion(37, 54);  // Ctrl+C copies the box's text
            texto = Ejecutar("DISPLAY=" + display + " xclip -o -selection clipboard 2>/dev/null");
            return !texto.empty() && texto != "vacio";
        });
        x.Golpe(36);  // Enter closes it
        Comprobar(Esperar([&] { return x.Visibles("Pulsoteclado").size() == 1; }), "the verdict box stayed open");
        std::cout << "box: " << texto << "\n";
        return texto;
    };

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
    Comprobar(Esperar([&] {
                  Window raiz, padre, *hijos = nullptr;
                  unsigned n = 0;
                  XQueryTree(x.d, DefaultRootWindow(x.d), &raiz, &padre, &hijos, &n);
                  int visibles = 0;
                  for (unsigned i = 0; i < n; ++i) {
                      XWindowAttributes at;
                      if (XGetWindowAttributes(x.d, hijos[i], &at) && at.map_state == IsViewable) ++visibles;
                  }
                  if (hijos) XFree(hijos);
                  return visibles >= 2;
              }),
              "Alt+F did not open the menu");
    x.Golpe(28);
    int estado = 0;
    Comprobar(Esperar([&] { return waitpid(g_programa, &estado, WNOHANG) == g_programa; }), "the program did not close");
    g_programa = 0;
    Comprobar(WIFEXITED(estado) && WEXITSTATUS(estado) == 0,
              "the program did not exit cleanly: " + std::string(WIFSIGNALED(estado) ? strsignal(WTERMSIG(estado)) : "exit " + std::to_string(WEXITSTATUS(estado))));

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
    XCloseDisplay(x.d);
    Limpiar();
    std::cout << "e2e: ok\n";
    return 0;
}
