// The statistics: writing a finished attempt of the longest text (one transaction, what the
// writing thread does when an attempt ends), and opening the statistics window over a generated
// history of a million key presses, every figure computed and every page drawn, both as the
// program does it (the history read a second after start-up) and as the first look of a session
// that reads it all; the size the file takes per key press.
//
//   bench_estadisticas --carpeta DIR [benchmark flags]      (QT_QPA_PLATFORM=offscreen)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTabWidget>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "Ayudas.h"
#include "Estadisticas.h"
#include "Historia.h"
#include "Muestras.h"
#include "estadisticas/Servicio.h"
#include "platform/Rutas.h"

namespace fs = std::filesystem;

namespace {

std::string g_carpeta;
constexpr std::uint64_t kPulsaciones = 1000000;

catalogo::Posicion MasLarga() {
    catalogo::Posicion mejor{};
    std::size_t largo = 0;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        if (catalogo::Texto(p).size() > largo) {
            largo = catalogo::Texto(p).size();
            mejor = p;
        }
    });
    return mejor;
}

// The longest text typed once, with its dead keys, a few slips and their corrections.
estadisticas::Intento IntentoLargo() {
    const catalogo::Posicion p = MasLarga();
    const std::string texto(catalogo::Texto(p));
    estadisticas::RegistroIntento r;
    r.Empezar(estadisticas::Origen::Catalogo, p, texto);
    auto t = estadisticas::RegistroIntento::Reloj::now();
    std::string escrito;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const historia::Tecla k = historia::ComoSeEscribe(static_cast<unsigned char>(texto[i]));
        if (i % 97 == 5) {
            r.Pulsar('Q', 0, "q", escrito.size(), t += std::chrono::milliseconds(150));
            r.Pulsar(teclado::VK_BACK, 0, "\b", escrito.size() + 1, t += std::chrono::milliseconds(150));
        }
        if (k.muerta) r.Pulsar(k.muerta, k.modsMuerta, "", escrito.size(), t += std::chrono::milliseconds(150));
        r.Pulsar(k.vk, k.mods, std::string(1, texto[i]), escrito.size(), t += std::chrono::milliseconds(150));
        escrito += texto[i];
    }
    return *r.Terminar(estadisticas::Resultado::Correcto, escrito.size(), t);
}

void BM_GuardarIntento(benchmark::State& state) {
    const std::string ruta = g_carpeta + "/guardar/estadisticas.sqlite";
    estadisticas::BaseDatos db(ruta);
    const estadisticas::Intento in = IntentoLargo();
    medida::Muestras m, asentar;
    for (auto _ : state) {
        const auto t0 = medida::Reloj::now();
        db.Guardar(in);
        const auto t1 = medida::Reloj::now();
        // What the writing thread does next when nothing else is queued; not part of the write.
        db.Asentar();
        const auto t2 = medida::Reloj::now();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
        asentar.Anotar(medida::Segundos(t1, t2));
    }
    state.counters["asentar_p50_ms"] = asentar.PercentilMs(50);
    state.counters["asentar_p99_ms"] = asentar.PercentilMs(99);
    state.counters["pulsaciones_por_intento"] = static_cast<double>(in.pulsaciones.size());
    if (db.ContarPulsaciones() != static_cast<std::int64_t>(in.pulsaciones.size() * state.iterations()))
        state.SkipWithError("not every press was written");
    m.Publicar(state);
}

struct Historia {
    std::string ruta;
    std::size_t intentos = 0;
    std::uint64_t pulsaciones = 0;
    double bytes = 0;
};

// The history, generated once, in the data folder the window reads.
const Historia& LaHistoria() {
    static const Historia h = [] {
        Historia h;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(g_carpeta + "/abrir"));
        h.ruta = rutas::FicheroEstadisticas().toStdString();
        {
            estadisticas::BaseDatos db(h.ruta);
            h.intentos = historia::Generar(db, kPulsaciones);
            sqlite3_exec(db.Conexion(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        }
        estadisticas::BaseDatos db(h.ruta);
        h.pulsaciones = static_cast<std::uint64_t>(db.ContarPulsaciones());
        h.bytes = static_cast<double>(fs::file_size(h.ruta));
        return h;
    }();
    return h;
}

// From the command to the window with every page drawn. precalentada: the figures were read on
// the writing thread beforehand, as the program does a second after its first paint; otherwise
// each opening is the first of its session and reads the whole history.
void AbrirVentana(benchmark::State& state, bool precalentada) {
    const Historia& h = LaHistoria();
    PlataformaPrueba plataforma;
    EstablecerPlataforma(&plataforma);
    medida::Muestras m;
    bool bien = true;
    medida::Reloj::time_point t1;
    std::uint64_t vistas = 0;
    plataforma.alDialogo = [&](QDialog& d) {
        auto& v = dynamic_cast<TfrmEstadisticas&>(d);
        v.show();
        for (int i = 0; i < v.tabs->count(); ++i) {
            v.tabs->setCurrentIndex(i);
            v.repaint();
        }
        t1 = medida::Reloj::now();
        vistas = v.Datos().pulsaciones;
        return int(QDialog::Accepted);
    };
    auto nueva = [] {
        auto w = std::make_unique<TfrmPulsoteclado>();
        w->show();
        QApplication::processEvents();
        return w;
    };
    std::unique_ptr<TfrmPulsoteclado> w = nueva();
    if (precalentada) {
        w->Estadisticas().Precalentar();
        w->Estadisticas().Esperar();
    }
    for (auto _ : state) {
        if (!precalentada) {
            state.PauseTiming();
            w->Configuracion = almacen::TConfiguracion{};
            w = nueva();
            state.ResumeTiming();
        }
        const auto t0 = medida::Reloj::now();
        w->MostrarEstadisticas();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
        bien = bien && vistas == h.pulsaciones;
    }
    w->Configuracion = almacen::TConfiguracion{};  // nothing of this run in a progress file
    w.reset();
    EstablecerPlataforma(nullptr);
    if (!bien) state.SkipWithError("the window did not read the whole history");
    state.counters["pulsaciones"] = static_cast<double>(h.pulsaciones);
    state.counters["intentos"] = static_cast<double>(h.intentos);
    state.counters["bytes_por_pulsacion"] = h.bytes / static_cast<double>(h.pulsaciones);
    m.Publicar(state);
}

void BM_AbrirVentana(benchmark::State& state) { AbrirVentana(state, true); }
void BM_AbrirVentanaPrimeraVez(benchmark::State& state) { AbrirVentana(state, false); }

BENCHMARK(BM_GuardarIntento)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AbrirVentana)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AbrirVentanaPrimeraVez)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    medida::Carpeta carpeta(argc, argv, "bench-estadisticas");
    if (carpeta.ruta.empty()) return 2;
    g_carpeta = carpeta.ruta;
    std::vector<char*>& resto = carpeta.resto;
    int n = static_cast<int>(resto.size());
    QApplication app(n, resto.data());
    benchmark::Initialize(&n, resto.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
