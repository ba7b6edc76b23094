// What every end-to-end program needs: its own Xvfb, the built program in a scratch home, real X
// key events with physical key codes (XTest), and waits on the windows themselves, never fixed
// sleeps. A failure leaves no process behind.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "../comun/Mecanografo.h"
#include "catalogue/Catalogo.h"
#include "store/Configuracion.h"

namespace e2e {

namespace fs = std::filesystem;

inline pid_t g_xvfb = 0, g_programa = 0;
inline std::string g_casa, g_display;

inline void Limpiar() {
    for (pid_t* p : {&g_programa, &g_xvfb})
        if (*p > 0) {
            kill(*p, SIGKILL);
            waitpid(*p, nullptr, 0);
            *p = 0;
        }
    if (!g_casa.empty()) fs::remove_all(g_casa);
}

[[noreturn]] inline void Fallo(const std::string& motivo) {
    std::cerr << "FALLO: " << motivo << "\n";
    // What the screen showed, for whoever reads the failure.
    if (!g_display.empty() && std::system(("import -display " + g_display + " -window root /tmp/pulsoteclado-e2e-fallo.png 2>/dev/null").c_str()) == 0)
        std::cerr << "screen: /tmp/pulsoteclado-e2e-fallo.png\n";
    Limpiar();
    std::exit(1);
}

inline void Comprobar(bool c, const std::string& motivo) {
    if (!c) Fallo(motivo);
}

// Polls until the condition holds or the time runs out.
inline bool Esperar(const std::function<bool()>& cond, int ms = 20000) {
    const auto fin = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < fin) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return cond();
}

inline pid_t Lanzar(const std::vector<std::string>& args, const std::vector<std::string>& entorno) {
    pid_t p = fork();
    if (p == 0) {
        for (const auto& e : entorno) putenv(strdup(e.c_str()));
        std::vector<char*> v;
        for (const auto& a : args) v.push_back(const_cast<char*>(a.c_str()));
        v.push_back(nullptr);
        int nulo = open("/dev/null", 1);
        if (nulo >= 0 && !getenv("PT_E2E_STDERR")) dup2(nulo, 2);
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

    // Every viewable top-level window, named or not (menus and popups have no name).
    int CuantasVisibles() {
        Window raiz, padre, *hijos = nullptr;
        unsigned n = 0;
        XQueryTree(d, DefaultRootWindow(d), &raiz, &padre, &hijos, &n);
        int visibles = 0;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes at;
            if (XGetWindowAttributes(d, hijos[i], &at) && at.map_state == IsViewable) ++visibles;
        }
        if (hijos) XFree(hijos);
        return visibles;
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

    // One pixel of a window, as 0xRRGGBB, or -1 where it cannot be read.
    long Pixel(Window w, int px, int py) {
        XImage* img = XGetImage(d, w, px, py, 1, 1, AllPlanes, ZPixmap);
        if (!img) return -1;
        const long p = static_cast<long>(XGetPixel(img, 0, 0) & 0xFFFFFF);
        XDestroyImage(img);
        return p;
    }
};

inline std::string Ejecutar(const std::string& orden) {
    std::string r;
    if (FILE* f = popen(orden.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) r.append(buf, n);
        pclose(f);
    }
    return r;
}

// A scratch home (data, config and runtime folders), an X server on a free display, and the
// program started in them. The main window's client area is 792 x 554 below the menu bar.
struct Sesion {
    std::string programa, datos, config, runtime, display;
    X x;
    Window principal = 0;
    int menu = 0;  // height of the menu bar

    explicit Sesion(const std::string& prog) : programa(fs::absolute(prog).string()) {
        signal(SIGPIPE, SIG_IGN);
        char plantilla[] = "/tmp/pulsoteclado-e2e-XXXXXX";
        Comprobar(mkdtemp(plantilla) != nullptr, "mkdtemp");
        g_casa = plantilla;
        datos = g_casa + "/datos";
        config = g_casa + "/config";
        runtime = g_casa + "/runtime";
        fs::create_directories(datos + "/Pulsoteclado");
        fs::create_directories(config + "/Pulsoteclado");
        fs::create_directories(runtime);
        chmod(runtime.c_str(), 0700);
    }
    ~Sesion() {
        if (x.d) XCloseDisplay(x.d);
        Limpiar();
    }

    std::string FicheroProgreso() const { return datos + "/Pulsoteclado/pulsoteclado.cfg"; }

    // A progress file in which every exercise is done but the ones given.
    void ProgresoConPendientes(std::initializer_list<catalogo::Posicion> pendientes) const {
        almacen::TConfiguracion c{};
        almacen::ConfiguracionPorDefecto(c);
        catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) { c.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] = 1; });
        for (const catalogo::Posicion& p : pendientes) c.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] = 0;
        almacen::GuardarConfiguracion(FicheroProgreso(), c);
    }

    void ArrancarX() {
        // Xvfb takes a free display itself and writes its number when it is ready: a display
        // chosen here could be taken by another session (or another worktree's tests) before
        // Xvfb locks it, and the two sessions would then share one server.
        int tubo[2];
        Comprobar(pipe(tubo) == 0, "pipe");
        g_xvfb = Lanzar({"Xvfb", "-displayfd", std::to_string(tubo[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
        close(tubo[1]);
        std::string numero;
        pollfd p{tubo[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 20000) > 0 && read(tubo[0], &c, 1) == 1 && c != '\n') numero += c;
        close(tubo[0]);
        Comprobar(!numero.empty(), "Xvfb did not start");
        display = ":" + numero;
        g_display = display;
        Comprobar(Esperar([&] { return (x.d = XOpenDisplay(display.c_str())) != nullptr; }), "Xvfb did not start");
        // Windows come and go between a query and a look at them: such errors are not failures.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        int ev, er, ma, mi;
        Comprobar(XTestQueryExtension(x.d, &ev, &er, &ma, &mi), "no XTest extension");
    }

    // Starts the program and waits for its main window.
    void ArrancarPrograma(const std::vector<std::string>& masEntorno = {}) {
        std::vector<std::string> entorno = {"DISPLAY=" + display, "HOME=" + g_casa, "XDG_DATA_HOME=" + datos,
                                            "XDG_CONFIG_HOME=" + config, "XDG_RUNTIME_DIR=" + runtime,
                                            "QT_QPA_PLATFORM=xcb", "LANG=C.UTF-8"};
        entorno.insert(entorno.end(), masEntorno.begin(), masEntorno.end());
        g_programa = Lanzar({programa}, entorno);
        std::vector<Window> v;
        Comprobar(Esperar([&] { return !(v = x.Visibles("Pulsoteclado")).empty(); }), "the main window never showed");
        principal = v.front();
        XWindowAttributes a;
        XGetWindowAttributes(x.d, principal, &a);
        std::cout << "main window " << a.width << "x" << a.height << "\n";
        menu = a.height - 554;
    }

    // The F1 panel is medium grey while idle and button-faced during a run: the mode on screen.
    int GrisF1() {
        const long p = x.Pixel(principal, 8 + 69 + 15, menu + 32 + 16 + 15);
        return p < 0 ? -1 : static_cast<int>((p >> 16) & 0xFF);
    }

    void Empezar() {
        Comprobar(Esperar([&] { return GrisF1() == 160; }), "the window is not idle");
        Comprobar(Esperar([&] {
                      x.Enfocar(principal);
                      if (GrisF1() == 160) x.Golpe(72);  // F6
                      return Esperar([&] { return GrisF1() > 200; }, 1000);
                  }),
                  "F6 did not start the exercise");
    }

    // Waits for a message box over the main window, copies its text and closes it with Enter.
    std::string Veredicto() {
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
    }

    // Waits for the program to end and checks that it exited cleanly.
    void EsperarFin() {
        int estado = 0;
        Comprobar(Esperar([&] { return waitpid(g_programa, &estado, WNOHANG) == g_programa; }), "the program did not close");
        g_programa = 0;
        Comprobar(WIFEXITED(estado) && WEXITSTATUS(estado) == 0,
                  "the program did not exit cleanly: " +
                      std::string(WIFSIGNALED(estado) ? strsignal(WTERMSIG(estado)) : "exit " + std::to_string(WEXITSTATUS(estado))));
    }
};

}  // namespace e2e
