// Whole-process figures on the X server named by DISPLAY (ejecutar.sh runs it under Xvfb):
//  - start-up: from fork/exec to the first mapped and painted top-level window of the given
//    title, for a bare Qt window and for the program, alternated N times; medians and ratio;
//  - memory: the program's peak resident memory (VmHWM) once it has started and set up its
//    sound output (sonido=no when no sign of that appeared within 15 s: no sound server).
//
//   medir_arranque --base VENTANA_VACIA --programa PULSOTECLADO [--veces N] [--casa DIR]
//
// The screen's root must be black (Xvfb -br): a Qt window has no background of its own, so it
// shows black from its mapping until its first paint reaches the server.
// Prints key=value lines on stdout; the single runs go to stderr.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/Catalogo.h"

namespace fs = std::filesystem;
using Reloj = std::chrono::steady_clock;

namespace {

std::string g_casa;
pid_t g_hijo = 0;

void Salir(int codigo) {
    if (g_hijo > 0) {
        kill(g_hijo, SIGKILL);
        waitpid(g_hijo, nullptr, 0);
    }
    std::exit(codigo);
}

[[noreturn]] void Fallo(const std::string& m) {
    std::cerr << "medir_arranque: " << m << "\n";
    Salir(1);
    std::abort();
}

pid_t Lanzar(const std::vector<std::string>& args) {
    const pid_t p = fork();
    if (p == 0) {
        const std::string datos = g_casa + "/datos", runtime = g_casa + "/runtime", config = g_casa + "/config";
        setenv("HOME", g_casa.c_str(), 1);
        setenv("XDG_DATA_HOME", datos.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);  // the aids' settings file, if the caller put one there
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        const int nulo = open("/dev/null", O_WRONLY);
        if (nulo >= 0) {
            dup2(nulo, 1);
            dup2(nulo, 2);
        }
        std::vector<char*> v;
        for (const auto& a : args) v.push_back(const_cast<char*>(a.c_str()));
        v.push_back(nullptr);
        execv(v[0], v.data());
        _exit(127);
    }
    return p;
}

bool NombreEs(Display* d, Window w, const std::string& titulo) {
    char* t = nullptr;
    bool igual = false;
    if (XFetchName(d, w, &t) && t) {
        igual = titulo == t;
        XFree(t);
    }
    return igual;
}

// Any of a few sample points no longer black: the first paint has reached the server.
bool Pintada(Display* d, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    const int puntos[3][2] = {{a.width / 2, a.height / 2}, {a.width / 4, a.height / 4}, {3 * a.width / 4, 3 * a.height / 4}};
    for (const auto& p : puntos) {
        XImage* img = XGetImage(d, w, p[0], p[1], 1, 1, AllPlanes, ZPixmap);
        if (!img) continue;
        const unsigned long pixel = XGetPixel(img, 0, 0);
        XDestroyImage(img);
        if (pixel != 0) return true;
    }
    return false;
}

bool Existe(Display* d, const std::string& titulo) {
    Window raiz, padre, *hijos = nullptr;
    unsigned n = 0;
    bool hay = false;
    if (XQueryTree(d, DefaultRootWindow(d), &raiz, &padre, &hijos, &n)) {
        for (unsigned i = 0; i < n && !hay; ++i) {
            XWindowAttributes a;
            hay = XGetWindowAttributes(d, hijos[i], &a) && a.map_state == IsViewable && NombreEs(d, hijos[i], titulo);
        }
        if (hijos) XFree(hijos);
    }
    return hay;
}

struct Arranque {
    double ms;
    int ancho, alto;
};

// Starts the program and waits for its window of that title mapped and painted.
Arranque Medir(Display* d, const std::vector<std::string>& args, const std::string& titulo) {
    XSync(d, True);  // nothing left over from the previous run
    const auto t0 = Reloj::now();
    g_hijo = Lanzar(args);
    const auto limite = t0 + std::chrono::seconds(30);
    std::optional<Window> ventana;
    while (Reloj::now() < limite) {
        // Map notifications of the root's children tell which window to look at.
        while (!ventana && XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && NombreEs(d, e.xmap.window, titulo)) ventana = e.xmap.window;
        }
        if (ventana && Pintada(d, *ventana)) {
            const auto t1 = Reloj::now();
            XWindowAttributes a;
            XGetWindowAttributes(d, *ventana, &a);
            return {std::chrono::duration<double, std::milli>(t1 - t0).count(), a.width, a.height};
        }
        int estado;
        if (waitpid(g_hijo, &estado, WNOHANG) == g_hijo) {
            g_hijo = 0;
            Fallo(args[0] + " ended before showing its window");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(ventana ? 250 : 500));
    }
    Fallo(args[0] + ": no painted window \"" + titulo + "\" within 30 s");
}

void Parar(Display* d, const std::string& titulo) {
    if (g_hijo > 0) {
        kill(g_hijo, SIGTERM);
        waitpid(g_hijo, nullptr, 0);
        g_hijo = 0;
    }
    // The window gone and the root repainted black before the next run.
    const auto limite = Reloj::now() + std::chrono::seconds(5);
    while (Existe(d, titulo) && Reloj::now() < limite) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

long CampoKb(pid_t pid, const std::string& campo) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind(campo + ":", 0) == 0) return std::strtol(linea.c_str() + campo.size() + 1, nullptr, 10);
    return -1;
}

// What shows that the sound output has been set up: the PulseAudio client's main-loop thread
// (Qt Multimedia's PulseAudio output connected to a server), or a Qt Multimedia back-end plug-in
// mapped. Empty while neither is there.
std::string SonidoPreparado(pid_t pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    std::error_code e;
    for (const auto& hilo : fs::directory_iterator(base + "/task", e)) {
        std::ifstream f(hilo.path() / "comm");
        std::string nombre;
        if (std::getline(f, nombre) && nombre == "threaded-ml") return "PulseAudio (hilo threaded-ml)";
    }
    std::ifstream f(base + "/maps");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.find("/plugins/multimedia/") != std::string::npos) return linea.substr(linea.find('/'));
    return {};
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string base, programa;
    int veces = 15;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--base") base = fs::absolute(argv[++i]).string();
        else if (a == "--programa") programa = fs::absolute(argv[++i]).string();
        else if (a == "--veces") veces = std::max(1, std::atoi(argv[++i]));
        else if (a == "--casa") g_casa = fs::absolute(argv[++i]).string();
    }
    if (base.empty() || programa.empty()) {
        std::cerr << "usage: medir_arranque --base VENTANA_VACIA --programa PULSOTECLADO [--veces N] [--casa DIR]\n";
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    bool casaPropia = false;
    if (g_casa.empty()) {
        char plantilla[] = "/tmp/pulsoteclado-bench-XXXXXX";
        if (!mkdtemp(plantilla)) Fallo("mkdtemp");
        g_casa = plantilla;
        casaPropia = true;
    }
    fs::create_directories(g_casa + "/datos");
    fs::create_directories(g_casa + "/runtime");
    fs::permissions(g_casa + "/runtime", fs::perms::owner_all);

    Display* d = XOpenDisplay(nullptr);
    if (!d) Fallo("cannot open the display (DISPLAY unset?)");
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // windows vanish between calls
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);

    const std::string tituloBase = "ventana_vacia", tituloPrograma = "Pulsoteclado";
    const std::vector<std::string> argsBase = {base, "--titulo", tituloBase, "--quedarse", "30000"};
    const std::vector<std::string> argsPrograma = {programa};

    // One run of each first, not counted: page cache, font cache, the progress file created.
    Medir(d, argsBase, tituloBase);
    Parar(d, tituloBase);
    Medir(d, argsPrograma, tituloPrograma);
    Parar(d, tituloPrograma);

    std::vector<double> tBase, tPrograma;
    Arranque ultimoBase{}, ultimoPrograma{};
    for (int i = 0; i < veces; ++i) {
        ultimoBase = Medir(d, argsBase, tituloBase);
        Parar(d, tituloBase);
        ultimoPrograma = Medir(d, argsPrograma, tituloPrograma);
        Parar(d, tituloPrograma);
        tBase.push_back(ultimoBase.ms);
        tPrograma.push_back(ultimoPrograma.ms);
        std::cerr << "run " << i + 1 << ": ventana_vacia " << ultimoBase.ms << " ms, pulsoteclado " << ultimoPrograma.ms
                  << " ms\n";
    }

    // Memory: the program started, its sound output set up, then settled.
    Medir(d, argsPrograma, tituloPrograma);
    const pid_t pid = g_hijo;
    std::string sonido;
    const auto limite = Reloj::now() + std::chrono::seconds(15);
    while ((sonido = SonidoPreparado(pid)).empty() && Reloj::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    long hwm = CampoKb(pid, "VmHWM");
    auto estable = Reloj::now();
    while (Reloj::now() < limite && Reloj::now() - estable < std::chrono::milliseconds(1500)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const long h = CampoKb(pid, "VmHWM");
        if (h != hwm) {
            hwm = h;
            estable = Reloj::now();
        }
    }
    const long rss = CampoKb(pid, "VmRSS");
    Parar(d, tituloPrograma);

    std::size_t catalogo = 0;
    for (int u = 1; u <= catalogo::NumUnidades; ++u)
        for (int l = 1; l <= catalogo::NumLecciones; ++l) {
            catalogo += catalogo::TituloLeccion(u, l).size();
            for (int e = 1; e <= catalogo::NumEjercicios; ++e)
                catalogo += catalogo::Texto(u, l, e).size() + catalogo::TituloEjercicio(u, l, e).size();
        }

    const double mBase = Mediana(tBase), mPrograma = Mediana(tPrograma);
    std::cout << "veces=" << veces << "\n"
              << "ventana_vacia_ms=" << mBase << "\n"
              << "ventana_vacia_min_ms=" << *std::min_element(tBase.begin(), tBase.end()) << "\n"
              << "ventana_vacia_max_ms=" << *std::max_element(tBase.begin(), tBase.end()) << "\n"
              << "ventana_vacia_tamano=" << ultimoBase.ancho << "x" << ultimoBase.alto << "\n"
              << "pulsoteclado_ms=" << mPrograma << "\n"
              << "pulsoteclado_min_ms=" << *std::min_element(tPrograma.begin(), tPrograma.end()) << "\n"
              << "pulsoteclado_max_ms=" << *std::max_element(tPrograma.begin(), tPrograma.end()) << "\n"
              << "pulsoteclado_tamano=" << ultimoPrograma.ancho << "x" << ultimoPrograma.alto << "\n"
              << "cociente=" << mPrograma / mBase << "\n"
              << "vmhwm_kb=" << hwm << "\n"
              << "vmrss_kb=" << rss << "\n"
              << "sonido=" << (sonido.empty() ? "no" : sonido) << "\n"
              << "catalogo_bytes=" << catalogo << "\n"
              // As if every catalogue page were resident: a bound for "the whole catalogue in memory".
              << "vmhwm_mas_catalogo_kb=" << hwm + static_cast<long>((catalogo + 1023) / 1024) << "\n";
    XCloseDisplay(d);
    if (casaPropia) {
        std::error_code e;
        fs::remove_all(g_casa, e);
    }
    return 0;
}
