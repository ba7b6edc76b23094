// The real main window, driven by physical key events as the X server sends them:
//  - key to screen: one key-down, from the event to the typed text painted (translation, append,
//    the label's synchronous repaint, the lowered key painted, the backing store flushed and,
//    on xcb, the X server done with the picture);
//  - the key that completes an exercise, up to the verdict message being requested;
//  - a unit-4 exercise started (the on-screen keyboard hidden) and stopped (shown), repaint included;
//  - key to screen again with every aid while typing on (next key, error marks, live figures).
//
// Runs on whatever Qt platform QT_QPA_PLATFORM names (offscreen by default). Sounds go to a
// recording platform, so no figure waits for audio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>

#include <cstdio>
#include <memory>
#include <string>

#include "Ayudas.h"
#include "AyudasEscritura.h"
#include "Muestras.h"
#include "Pintado.h"
#include "Pulsoteclado.h"
#include "platform/Texto.h"

using catalogo::Posicion;

namespace {

// Records when the verdict box was asked for.
class PlataformaCronometrada : public PlataformaPrueba {
public:
    medida::Reloj::time_point ultimoMensaje;
    void MostrarMensaje(QWidget* w, const QString& t) override {
        ultimoMensaje = medida::Reloj::now();
        PlataformaPrueba::MostrarMensaje(w, t);
    }
};

struct Estado {
    QTemporaryDir casa;
    PlataformaCronometrada plataforma;
    std::unique_ptr<TfrmPulsoteclado> w;
    Display* x11 = nullptr;
    Posicion masLarga, unidad1, unidad4;
};
Estado* g = nullptr;

void Terminar() { medida::Terminar(g->x11); }
void Asentar() { medida::Asentar(g->x11); }

void Ir(Posicion p) {
    TfrmPulsoteclado& w = *g->w;
    if (w.EnEjercicio) w.AlternarEjercicio();
    w.UnidadActual = p.Unidad;
    w.LeccionActual = p.Leccion;
    w.EjercicioActual = p.Ejercicio;
    w.MostrarEjercicio();
    w.AlternarEjercicio();
    Asentar();
}

// The first `n` characters of the exercise typed with physical keys.
void TeclearPrincipio(Posicion p, std::size_t n) {
    Ir(p);
    Teclear(g->w.get(), catalogo::Texto(p).substr(0, n));
    Asentar();
}

const std::uint32_t kTeclaA = prueba::CodigoDeVk('A');
const std::uint32_t kBorrar = prueba::CodigoDeVk(teclado::VK_BACK);

// One timed key-down of "a" on an exercise two characters short of its end, then the
// character taken back (untimed) so that every iteration starts from the same state.
void TeclaAPantalla(benchmark::State& state, Posicion p, bool conTeclado, bool conAyudas = false) {
    TfrmPulsoteclado& w = *g->w;
    const std::string_view texto = catalogo::Texto(p);
    AjustesAyudas ayudas;
    ayudas.SiguienteTecla = ayudas.MarcarErrores = ayudas.VelocidadYAciertos = conAyudas;
    w.AplicarAyudas(ayudas);
    TeclearPrincipio(p, texto.size() - 2);
    // Units above 3 hide the keyboard during a run; shown here, the lowered key is painted too.
    if (conTeclado && !w.panelTeclado->isVisible()) {
        w.panelTeclado->show();
        Asentar();
    }
    if (w.Escritos != texto.size() - 2 || w.panelTeclado->isVisible() != conTeclado) {
        state.SkipWithError("the exercise is not in the expected state");
        return;
    }
    // With the guide on, the key that gets its mark after the "a" (Backspace, or the next key).
    auto marcada = [&] {
        for (const DefTecla& d : PanelTeclado::Disposicion())
            if (w.Boton(d.nombre)->Marca()) return true;
        return false;
    };
    medida::ContadorPintado texto_, tecla_;
    w.lblTextoEscrito->installEventFilter(&texto_);
    Panel* teclaA = w.Boton("btnA");
    teclaA->installEventFilter(&tecla_);
    medida::Muestras m;
    bool bien = true;
    for (auto _ : state) {
        const int antesTexto = texto_.veces, antesTecla = tecla_.veces;
        const auto t0 = medida::Reloj::now();
        Fisica(&w, kTeclaA, true);
        Terminar();
        const auto t1 = medida::Reloj::now();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
        bien = bien && texto_.veces > antesTexto && (!conTeclado || tecla_.veces > antesTecla) &&
               w.Escritos == texto.size() - 1 && w.EnEjercicio && (!conAyudas || !conTeclado || marcada());
        Fisica(&w, kTeclaA, false);
        Golpe(&w, kBorrar);
        Asentar();
    }
    w.lblTextoEscrito->removeEventFilter(&texto_);
    teclaA->removeEventFilter(&tecla_);
    w.AplicarAyudas(AjustesAyudas{});
    if (!bien) state.SkipWithError("a key did not paint the typed text and the lowered key");
    state.counters["caracteres"] = static_cast<double>(texto.size());
    m.Publicar(state);
}

// The last character of the longest passage typed: from its key-down to the verdict request.
void TeclaQueCompleta(benchmark::State& state) {
    TfrmPulsoteclado& w = *g->w;
    const Posicion p = g->masLarga;
    const std::string_view texto = catalogo::Texto(p);
    const std::vector<prueba::Golpe> ultima = prueba::Teclear(texto.substr(texto.size() - 1));
    medida::Muestras m;
    bool bien = true;
    for (auto _ : state) {
        Ir(p);
        // The rest of the text as if typed: the same state the keys leave, without 1,455 repaints.
        w.TextoEscrito.assign(texto.substr(0, texto.size() - 1));
        w.Escritos = static_cast<std::uint16_t>(texto.size() - 1);
        w.lblTextoEscrito->setText(DeCp1252(w.TextoEscrito));
        Asentar();
        const qsizetype antes = g->plataforma.mensajes.size();
        double s = -1;
        for (const prueba::Golpe& golpe : ultima) {
            const auto t0 = medida::Reloj::now();
            Fisica(&w, golpe.codigo, golpe.abajo);
            if (g->plataforma.mensajes.size() > antes && s < 0) s = medida::Segundos(t0, g->plataforma.ultimoMensaje);
        }
        bien = bien && s >= 0 && g->plataforma.mensajes.size() == antes + 1 &&
               g->plataforma.mensajes.back().startsWith(QString::fromLatin1(practica::kCorrecto));
        state.SetIterationTime(s < 0 ? 0 : s);
        if (s >= 0) m.Anotar(s);
        Asentar();
    }
    if (!bien) state.SkipWithError("the last key did not bring the verdict 'correcto'");
    state.counters["caracteres"] = static_cast<double>(texto.size());
    m.Publicar(state);
}

// A unit-4 exercise started (keyboard hidden) or stopped (keyboard shown), each with its repaint.
void AlternarUnidad4(benchmark::State& state, bool empezar) {
    TfrmPulsoteclado& w = *g->w;
    Ir(g->unidad4);
    w.AlternarEjercicio();  // stopped: the keyboard is on screen
    Asentar();
    medida::Muestras m;
    bool bien = true;
    medida::ContadorPintado teclado_;
    w.Boton("btnEspacio")->installEventFilter(&teclado_);
    for (auto _ : state) {
        if (!empezar) {
            w.AlternarEjercicio();
            Asentar();
        }
        const int antes = teclado_.veces;
        const auto t0 = medida::Reloj::now();
        w.AlternarEjercicio();
        Terminar();
        const auto t1 = medida::Reloj::now();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
        bien = bien && w.EnEjercicio == empezar && w.panelTeclado->isVisible() == !empezar &&
               (empezar || teclado_.veces > antes);
        if (empezar) {
            w.AlternarEjercicio();
        }
        Asentar();
    }
    w.Boton("btnEspacio")->removeEventFilter(&teclado_);
    if (!bien) state.SkipWithError("the keyboard was not hidden or shown and painted");
    m.Publicar(state);
}

Posicion MasLarga(int desde, int hasta) {
    Posicion mejor{};
    std::size_t largo = 0;
    catalogo::ParaCadaEjercicio([&](const Posicion& p) {
        if (p.Unidad >= desde && p.Unidad <= hasta && catalogo::Texto(p).size() > largo) {
            largo = catalogo::Texto(p).size();
            mejor = p;
        }
    });
    return mejor;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Estado estado;
    g = &estado;
    qputenv("XDG_DATA_HOME", estado.casa.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (estado.casa.path() + QStringLiteral("/config")).toUtf8());
    EstablecerPlataforma(&estado.plataforma);
    if (auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) estado.x11 = x->display();

    estado.masLarga = MasLarga(1, catalogo::NumUnidades);
    estado.unidad1 = MasLarga(1, 3);
    estado.unidad4 = MasLarga(4, 4);

    estado.w = std::make_unique<TfrmPulsoteclado>();
    TfrmPulsoteclado& w = *estado.w;
    // Hands coloured by finger and coloured keys: the most painting a key can cost.
    w.Configuracion.VerManos = 2;
    w.Configuracion.PintarTecladoActivo = 1;
    w.AplicarPantalla();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) {
        std::fprintf(stderr, "the window was never exposed\n");
        return 2;
    }
    Asentar();

    auto nombre = [](const char* n, Posicion p) {
        return std::string(n) + "/" + std::to_string(p.Unidad) + "." + std::to_string(p.Leccion) + "." +
               std::to_string(p.Ejercicio);
    };
    benchmark::RegisterBenchmark(nombre("TeclaTextoMasLargo", estado.masLarga).c_str(),
                                 [](benchmark::State& s) { TeclaAPantalla(s, g->masLarga, false); })
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("TeclaTextoMasLargoConTeclado", estado.masLarga).c_str(),
                                 [](benchmark::State& s) { TeclaAPantalla(s, g->masLarga, true); })
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("TeclaUnidades1a3", estado.unidad1).c_str(),
                                 [](benchmark::State& s) { TeclaAPantalla(s, g->unidad1, true); })
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("TeclaConAyudasTextoMasLargo", estado.masLarga).c_str(),
                                 [](benchmark::State& s) { TeclaAPantalla(s, g->masLarga, false, true); })
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("TeclaConAyudasUnidades1a3", estado.unidad1).c_str(),
                                 [](benchmark::State& s) { TeclaAPantalla(s, g->unidad1, true, true); })
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("TeclaQueCompleta", estado.masLarga).c_str(), TeclaQueCompleta)
        ->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("EmpezarOcultaTeclado", estado.unidad4).c_str(),
                                 [](benchmark::State& s) { AlternarUnidad4(s, true); })
        ->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(nombre("PararMuestraTeclado", estado.unidad4).c_str(),
                                 [](benchmark::State& s) { AlternarUnidad4(s, false); })
        ->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("qpa", QGuiApplication::platformName().toStdString());
    benchmark::AddCustomContext("texto_mas_largo", std::to_string(catalogo::Texto(estado.masLarga).size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    estado.w.reset();
    EstablecerPlataforma(nullptr);
    return 0;
}
