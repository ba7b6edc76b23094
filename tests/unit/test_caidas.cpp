// A process killed while saving progress never leaves a torn or missing file. A child saves two
// blocks in turn, for ever; the test kills it with SIGKILL at 240 moments, half of them at random
// times over a few saves and half just after a chosen step of the save (seen through inotify), and
// after each kill the progress file must be byte for byte the one before or one of the two new
// ones. What the kill interrupted is read from the temporary file it left, and the spread over
// those phases is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <random>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "store/CheckSum.h"
#include "store/Configuracion.h"
#include "../comun/Bloque.h"

namespace {

using almacen::TConfiguracion;
using Bytes = std::vector<std::uint8_t>;

Bytes Leer(const std::string& ruta, bool* existe = nullptr) {
    std::ifstream f(ruta, std::ios::binary);
    if (existe) *existe = f.is_open();
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// What GuardarConfiguracion must leave for c: the block and its trailer (little-endian host).
Bytes Sellado(const TConfiguracion& c) {
    Bytes b(sizeof c + 12);
    std::memcpy(b.data(), &c, sizeof c);
    std::uint32_t s = 0;
    for (std::size_t i = 0; i < sizeof c; ++i) s += b[i];
    const std::uint8_t marca[8] = {0x1A, 'C', 'h', 'k', 'Z', 'O', 'R', 'P'};
    std::memcpy(b.data() + sizeof c, marca, 8);
    for (int i = 0; i < 4; ++i) b[sizeof c + 8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(s >> (8 * i));
    return b;
}

TConfiguracion Bloque(unsigned semilla) {
    TConfiguracion c;
    auto* b = reinterpret_cast<std::uint8_t*>(&c);
    std::uint32_t x = semilla * 2654435761u + 7;
    for (std::size_t i = 0; i < sizeof c; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<std::uint8_t>(x >> 16);
    }
    return c;
}

// What a kill interrupted, told by the temporary file it left behind.
enum Fase { kSinTemporal, kTemporalVacio, kTemporalParcial, kBloqueSinSello, kSelladoSinRenombrar, kFases };
const char* const kNombreFase[kFases] = {
    "no temporary file (between saves, before the temporary was created, or after the rename)",
    "temporary created, nothing written yet",
    "temporary partly written",
    "block written, not sealed yet",
    "sealed (mode, flush), not renamed yet",
};

// The steps of a save that inotify reports, each tried as a kill point.
struct Paso {
    std::uint32_t mascara;
    int vez;          // which occurrence within one save
    int porGuardado;  // occurrences in one save: the temporary is written and closed twice
    const char* nombre;
};
constexpr std::array<Paso, 7> kPasos = {{
    {IN_CREATE, 1, 1, "temporary created"},
    {IN_MODIFY, 1, 2, "block written"},
    {IN_CLOSE_WRITE, 1, 2, "temporary closed"},
    {IN_MODIFY, 2, 2, "trailer written"},
    {IN_CLOSE_WRITE, 2, 2, "sealed temporary closed"},
    {IN_ATTRIB, 1, 1, "mode set"},
    {IN_MOVED_TO, 1, 1, "renamed"},
}};

class Caidas : public ::testing::Test {
protected:
    std::string base, carpeta, ruta;

    void SetUp() override {
        char plantilla[] = "/tmp/pt_caidas_XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        base = plantilla;
        carpeta = base + "/datos/Pulsoteclado";
        ruta = carpeta + "/pulsoteclado.cfg";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }

    std::vector<std::string> Temporales() const {
        std::vector<std::string> t;
        for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
            const std::string n = e.path().filename().string();
            if (n != "pulsoteclado.cfg") t.push_back(n);
        }
        return t;
    }
};

// Reads inotify events until one matching paso arrives (true) or the time runs out (false).
bool EsperarPaso(int fd, const Paso& paso, int saltos, std::chrono::steady_clock::time_point limite) {
    alignas(inotify_event) char buffer[4096];
    int vistos = 0;
    while (std::chrono::steady_clock::now() < limite) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buffer + i);
            i += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            if (!(ev->mask & paso.mascara)) continue;
            // Only the save's own files: the temporary, or the progress file for the rename.
            const std::string nombre = ev->len ? ev->name : "";
            const bool temporal = nombre.rfind("pulsoteclado.cfg.tmp", 0) == 0;
            if (paso.mascara == IN_MOVED_TO ? nombre != "pulsoteclado.cfg" : !temporal) continue;
            if (++vistos == saltos * paso.porGuardado + paso.vez) return true;
        }
    }
    return false;
}

void Vaciar(int fd) {
    alignas(inotify_event) char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

TEST_F(Caidas, DoscientasCuarentaMuertesRepartidasPorTodoElGuardado) {
    const TConfiguracion a = Bloque(1), b = Bloque(2), inicial = Bloque(3);
    almacen::GuardarConfiguracion(ruta, inicial);
    const Bytes fa = Sellado(a), fb = Sellado(b), fi = Sellado(inicial);
    ASSERT_EQ(Leer(ruta), fi);

    // How long one save takes here, so that the random kills cover a few saves whatever the disk.
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) almacen::GuardarConfiguracion(ruta, i % 2 ? inicial : a);
    const auto guardado = (std::chrono::steady_clock::now() - t0) / 10;
    const auto us = std::max<long long>(50, std::chrono::duration_cast<std::chrono::microseconds>(guardado).count());
    almacen::GuardarConfiguracion(ruta, inicial);

    const int avisos = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(avisos, 0) << std::strerror(errno);
    ASSERT_GE(::inotify_add_watch(avisos, carpeta.c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_TO), 0);

    std::mt19937 azar(20240611);
    constexpr int kMuertes = 240;
    std::array<int, kFases> porFase{};
    std::array<int, kPasos.size()> porPaso{};
    int nuevos = 0, sinAviso = 0;

    for (int i = 0; i < kMuertes; ++i) {
        Vaciar(avisos);
        const Bytes antes = Leer(ruta);
        const bool alAzar = i % 2 == 0;
        const std::size_t paso = azar() % kPasos.size();
        const int saltos = static_cast<int>(azar() % 3);  // the step of the first, second or third save
        const long long retraso = static_cast<long long>(azar() % static_cast<unsigned>(4 * us));

        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) prueba::GuardarSinFin(ruta, a, b);
        if (alAzar) {
            ::usleep(static_cast<useconds_t>(retraso));
        } else {
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            if (EsperarPaso(avisos, kPasos[paso], saltos, limite))
                ++porPaso[paso];
            else
                ++sinAviso;
        }
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int estado = 0;
        ASSERT_EQ(::waitpid(pid, &estado, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(estado) && WTERMSIG(estado) == SIGKILL) << "the saving child stopped by itself, status " << estado;

        bool existe = false;
        const Bytes f = Leer(ruta, &existe);
        ASSERT_TRUE(existe) << "kill " << i << ": the progress file is gone";
        ASSERT_TRUE(f == antes || f == fa || f == fb)
            << "kill " << i << ": torn or foreign file of " << f.size() << " bytes";
        if (f != antes) ++nuevos;

        const std::vector<std::string> temporales = Temporales();
        ASSERT_LE(temporales.size(), 1u) << "kill " << i;
        Fase fase = kSinTemporal;
        if (!temporales.empty()) {
            const std::string t = carpeta + "/" + temporales[0];
            const Bytes tf = Leer(t);
            const Bytes bloqueA(fa.begin(), fa.begin() + 3936), bloqueB(fb.begin(), fb.begin() + 3936);
            if (tf.empty())
                fase = kTemporalVacio;
            else if (tf.size() < 3936)
                fase = kTemporalParcial;
            else if (tf.size() == 3936) {
                fase = kBloqueSinSello;
                EXPECT_TRUE(tf == bloqueA || tf == bloqueB) << "kill " << i << ": the temporary holds another block";
            } else {
                fase = kSelladoSinRenombrar;
                EXPECT_TRUE(tf == fa || tf == fb) << "kill " << i << ": the temporary is sealed wrongly";
            }
            // A killed process cannot clean up; the next child has another pid and another name.
            ASSERT_EQ(::unlink(t.c_str()), 0);
        }
        ++porFase[fase];
    }
    ::close(avisos);

    std::printf("[ kills    ] %d SIGKILLs during saves; the file was replaced by a new one %d times\n", kMuertes, nuevos);
    for (int fase = 0; fase < kFases; ++fase) std::printf("[ phase    ] %3d  %s\n", porFase[fase], kNombreFase[fase]);
    for (std::size_t p = 0; p < kPasos.size(); ++p)
        std::printf("[ aimed at ] %3d  just after: %s\n", porPaso[p], kPasos[p].nombre);
    std::printf("[ aimed at ] %3d  step not seen in time (killed anyway); %d at random moments within %lld us\n",
                sinAviso, kMuertes / 2, 4 * us);

    // The kills did land inside the save, not only between saves, and some saves completed.
    EXPECT_GT(nuevos, 0);
    EXPECT_GT(porFase[kSinTemporal], 0);
    EXPECT_GE(porFase[kBloqueSinSello] + porFase[kSelladoSinRenombrar] + porFase[kTemporalVacio], kMuertes / 5);
    EXPECT_LE(sinAviso, kMuertes / 20) << "the save's steps were not seen: the aimed kills are not aimed";

    TConfiguracion c;
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), almacen::Carga::Leida);
    EXPECT_TRUE(Temporales().empty());
}

}  // namespace
