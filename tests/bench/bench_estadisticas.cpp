// The statistics: writing a finished attempt of the longest text (one transaction, what the
// writing thread does when an attempt ends), and opening the statistics window over a generated
// history of a million key presses, every figure computed and every page drawn; the size the
// file takes per key press.
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

void BM_AbrirVentana(benchmark::State& state) {
    // The history, generated once, in the data folder the window reads.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(g_carpeta + "/abrir"));
    const std::string ruta = rutas::FicheroEstadisticas().toStdString();
    std::size_t intentos = 0;
    {
        estadisticas::BaseDatos db(ruta);
        intentos = historia::Generar(db, kPulsaciones);
        sqlite3_exec(db.Conexion(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    }
    std::uint64_t pulsaciones = 0;
    {
        estadisticas::BaseDatos db(ruta);
        pulsaciones = static_cast<std::uint64_t>(db.ContarPulsaciones());
    }
    const double bytes = static_cast<double>(fs::file_size(ruta));

    PlataformaPrueba plataforma;
    EstablecerPlataforma(&plataforma);
    medida::Muestras m;
    bool bien = true;
    {
        TfrmPulsoteclado w;
        w.show();
        QApplication::processEvents();
        medida::Reloj::time_point t1;
        std::uint64_t vistas = 0;
        plataforma.alDialogo = [&](QDialog& d) {
            auto& v = dynamic_cast<TfrmEstadisticas&>(d);
            v.show();
            // Every page drawn, the keyboard and the chart included.
            for (int i = 0; i < v.tabs->count(); ++i) {
                v.tabs->setCurrentIndex(i);
                v.repaint();
            }
            t1 = medida::Reloj::now();
            vistas = v.Datos().pulsaciones;
            return int(QDialog::Accepted);
        };
        for (auto _ : state) {
            const auto t0 = medida::Reloj::now();
            w.MostrarEstadisticas();
            state.SetIterationTime(medida::Segundos(t0, t1));
            m.Anotar(medida::Segundos(t0, t1));
            bien = bien && vistas == pulsaciones;
        }
        w.Configuracion = almacen::TConfiguracion{};
    }
    EstablecerPlataforma(nullptr);
    if (!bien) state.SkipWithError("the window did not read the whole history");
    state.counters["pulsaciones"] = static_cast<double>(pulsaciones);
    state.counters["intentos"] = static_cast<double>(intentos);
    state.counters["bytes_por_pulsacion"] = bytes / static_cast<double>(pulsaciones);
    m.Publicar(state);
}

BENCHMARK(BM_GuardarIntento)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AbrirVentana)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::string base = ".";
    std::vector<char*> resto;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--carpeta") == 0 && i + 1 < argc) base = argv[++i];
        else resto.push_back(argv[i]);
    }
    std::string plantilla = fs::absolute(base).string() + "/bench-estadisticas-XXXXXX";
    if (!::mkdtemp(plantilla.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    g_carpeta = plantilla;
    int n = static_cast<int>(resto.size());
    QApplication app(n, resto.data());
    benchmark::Initialize(&n, resto.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code e;
    fs::remove_all(g_carpeta, e);
    return 0;
}
