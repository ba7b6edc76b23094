// The progress file: almacen::CargarConfiguracion (checksum verified, then read) and
// almacen::GuardarConfiguracion (written, sealed, flushed and renamed) on a real folder.
//
//   bench_almacen --carpeta DIR [benchmark flags]
//
// DIR should sit on the file system where users keep their data (the default is the current
// folder); the file system type is printed, since a tmpfs would hide the cost of the flushes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "Muestras.h"
#include "catalogue/Catalogo.h"
#include "store/Configuracion.h"

namespace fs = std::filesystem;

namespace {

std::string g_carpeta;

std::string Fichero() { return g_carpeta + "/Pulsoteclado/pulsoteclado.cfg"; }

// A block with progress in it, so that the sums run over real values.
almacen::TConfiguracion Progreso() {
    almacen::TConfiguracion c{};
    almacen::ConfiguracionPorDefecto(c);
    int i = 0;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        if (++i % 3) c.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] = 1;
        c.Intentos[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] = static_cast<std::uint16_t>(i % 7);
    });
    return c;
}

// Drops the file's pages from the page cache, as after a reboot.
void SacarDeCache(const std::string& ruta) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void Cargar(benchmark::State& state, bool frio) {
    const almacen::TConfiguracion original = Progreso();
    almacen::GuardarConfiguracion(Fichero(), original);
    medida::Muestras m;
    almacen::TConfiguracion c{};
    for (auto _ : state) {
        if (frio) SacarDeCache(Fichero());
        const auto t0 = medida::Reloj::now();
        const almacen::Carga r = almacen::CargarConfiguracion(Fichero(), c);
        const auto t1 = medida::Reloj::now();
        benchmark::DoNotOptimize(r);
        if (r != almacen::Carga::Leida || std::memcmp(&c, &original, sizeof c) != 0) {
            state.SkipWithError("the file did not read back as written");
            break;
        }
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
    }
    m.Publicar(state);
}

void BM_CargarConfiguracion(benchmark::State& state) { Cargar(state, false); }
void BM_CargarConfiguracionFrio(benchmark::State& state) { Cargar(state, true); }

void BM_GuardarConfiguracion(benchmark::State& state) {
    almacen::TConfiguracion c = Progreso();
    almacen::GuardarConfiguracion(Fichero(), c);
    medida::Muestras m;
    int n = 0;
    for (auto _ : state) {
        c.Intentos[0][0][0] = static_cast<std::uint16_t>(++n);  // a new attempt each time
        const auto t0 = medida::Reloj::now();
        almacen::GuardarConfiguracion(Fichero(), c);
        const auto t1 = medida::Reloj::now();
        state.SetIterationTime(medida::Segundos(t0, t1));
        m.Anotar(medida::Segundos(t0, t1));
    }
    almacen::TConfiguracion leida{};
    if (almacen::CargarConfiguracion(Fichero(), leida) != almacen::Carga::Leida || std::memcmp(&leida, &c, sizeof c) != 0)
        state.SkipWithError("the saved file did not read back");
    m.Publicar(state);
}

BENCHMARK(BM_CargarConfiguracion)->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CargarConfiguracionFrio)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GuardarConfiguracion)->Iterations(500)->UseManualTime()->Unit(benchmark::kMicrosecond);

std::string TipoSistemaFicheros(const std::string& ruta) {
    struct statfs s {};
    if (::statfs(ruta.c_str(), &s) != 0) return "?";
    switch (static_cast<unsigned long>(s.f_type)) {
    case 0xEF53: return "ext2/3/4";
    case 0x01021994: return "tmpfs";
    case 0x9123683E: return "btrfs";
    case 0x58465342: return "xfs";
    case 0x794C7630: return "overlayfs";
    default: {
        char b[32];
        std::snprintf(b, sizeof b, "0x%lx", static_cast<unsigned long>(s.f_type));
        return b;
    }
    }
}

}  // namespace

int main(int argc, char** argv) {
    medida::Carpeta carpeta(argc, argv, "bench-almacen");
    if (carpeta.ruta.empty()) return 2;
    g_carpeta = carpeta.ruta;
    std::vector<char*>& resto = carpeta.resto;
    std::cerr << "carpeta: " << g_carpeta << " (" << TipoSistemaFicheros(g_carpeta) << ")\n";
    int n = static_cast<int>(resto.size());
    benchmark::Initialize(&n, resto.data());
    benchmark::AddCustomContext("sistema_ficheros", TipoSistemaFicheros(g_carpeta));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
