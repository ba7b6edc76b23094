// The practice window, driven by physical key events as the X server sends them:
//  - the window opened: built, its text chosen, shown and painted (and on xcb the X server done
//    with the picture), for an own text and for the review drill;
//  - key to screen with every aid on (next key, error marks, live figures) and the keyboard shown,
//    on a 20,000-character own text whose copy has reached its last page: one key-down, from the
//    event to the typed text painted.
//
// Runs on whatever Qt platform QT_QPA_PLATFORM names (offscreen by default).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtGui/qguiapplication_platform.h>

#include <memory>
#include <string>

#include "Ayudas.h"
#include "Muestras.h"
#include "Pintado.h"
#include "PracticaLibre.h"
#include "platform/Texto.h"

namespace {

struct Estado {
    QTemporaryDir casa;
    PlataformaPrueba plataforma;
    almacen::TConfiguracion cfg{};
    Display* x11 = nullptr;
    std::string texto;  // the 20,000-character own text, Windows-1252
};
Estado* g = nullptr;

void Terminar() { medida::Terminar(g->x11); }
void Asentar() { medida::Asentar(g->x11); }

AjustesAyudas TodasLasAyudas() {
    AjustesAyudas a;
    a.SiguienteTecla = a.MarcarErrores = a.VelocidadYAciertos = true;
    return a;
}

// From nothing to the window on screen with its first paint done.
void AbrirVentana(benchmark::State& state, TfrmPractica::Origen origen) {
    medida::Muestras m;
    bool bien = true;
    for (auto _ : state) {
        medida::ContadorPintado pintado;
        const auto t0 = medida::Reloj::now();
        auto w = std::make_unique<TfrmPractica>(g->cfg, TodasLasAyudas());
        w->installEventFilter(&pintado);
        w->Preparar(origen, false);
        w->show();
        Terminar();
        while (pintado.veces == 0 && medida::Segundos(t0, medida::Reloj::now()) < 5) {
            QCoreApplication::processEvents();
            Terminar();
        }
        const auto t1 = medida::Reloj::now();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
        bien = bien && pintado.veces > 0;
        w->removeEventFilter(&pintado);
        w.reset();
        Asentar();
    }
    if (!bien) state.SkipWithError("the window was not painted");
    m.Publicar(state);
}

const std::uint32_t kTeclaA = prueba::CodigoDeVk('A');
const std::uint32_t kBorrar = prueba::CodigoDeVk(teclado::VK_BACK);

// One timed key-down of "a" with the copy on the text's last page, then taken back (untimed).
void TeclaAPantalla(benchmark::State& state) {
    TfrmPractica w(g->cfg, TodasLasAyudas());
    w.Preparar(TfrmPractica::Origen::Propio, false);
    w.show();
    QApplication::setActiveWindow(&w);
    w.edtTexto->setPlainText(DeCp1252(g->texto));
    w.Alternar();
    const std::size_t antes = g->texto.size() - 40;
    Teclear(&w, std::string_view(g->texto).substr(0, antes));
    Asentar();
    if (!w.EnCurso || w.TextoEscrito.size() != antes || !w.panelTeclado->isVisible()) {
        state.SkipWithError("the run is not in the expected state");
        return;
    }
    auto marcada = [&] {
        for (const DefTecla& d : PanelTeclado::Disposicion())
            if (w.panelTeclado->Tecla(d.nombre)->Marca()) return true;
        return false;
    };
    medida::ContadorPintado texto_, tecla_;
    w.lblTextoEscrito->installEventFilter(&texto_);
    Panel* teclaA = w.panelTeclado->Tecla("btnA");
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
        bien = bien && texto_.veces > antesTexto && tecla_.veces > antesTecla && w.TextoEscrito.size() == antes + 1 &&
               w.EnCurso && marcada() && w.lblCifras && w.lblCifras->isVisible();
        Fisica(&w, kTeclaA, false);
        Golpe(&w, kBorrar);
        Asentar();
    }
    w.lblTextoEscrito->removeEventFilter(&texto_);
    teclaA->removeEventFilter(&tecla_);
    if (!bien) state.SkipWithError("a key did not paint the typed text, the lowered key, the guide and the figures");
    state.counters["caracteres"] = static_cast<double>(g->texto.size());
    m.Publicar(state);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Estado estado;
    g = &estado;
    qputenv("XDG_DATA_HOME", estado.casa.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (estado.casa.path() + QStringLiteral("/config")).toUtf8());
    EstablecerPlataforma(&estado.plataforma);
    almacen::ConfiguracionPorDefecto(estado.cfg);
    estado.cfg.VerManos = 2;
    estado.cfg.PintarTecladoActivo = 1;
    if (auto* x = qApp->nativeInterface<QNativeInterface::QX11Application>()) estado.x11 = x->display();
    // An own text of 20,000 characters: the catalogue's prose, line breaks and all.
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        if (p.Unidad >= 4 && p.Unidad <= 5 && estado.texto.size() < practica::kMaxCaracteres)
            estado.texto.append(catalogo::Texto(p)).append("\r");
    });
    estado.texto.resize(practica::kMaxCaracteres);
    if (estado.texto.back() == '\r') estado.texto.back() = '.';  // a final line break would be dropped

    benchmark::RegisterBenchmark("AbrirTextoLibre", [](benchmark::State& s) { AbrirVentana(s, TfrmPractica::Origen::Propio); })
        ->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("AbrirRepaso", [](benchmark::State& s) { AbrirVentana(s, TfrmPractica::Origen::Repaso); })
        ->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TeclaConAyudasTextoPropio20000", TeclaAPantalla)
        ->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("qpa", QGuiApplication::platformName().toStdString());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EstablecerPlataforma(nullptr);
    return 0;
}
