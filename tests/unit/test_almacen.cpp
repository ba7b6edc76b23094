// The checksummed file and the progress file, byte for byte, including the failure paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "store/CheckSum.h"
#include "store/Configuracion.h"
#include "../comun/Bloque.h"

namespace {

using almacen::Carga;
using almacen::ErrorFichero;
using almacen::TCheckSum;
using almacen::TConfiguracion;
using Bytes = std::vector<std::uint8_t>;

const Bytes kMarca = {0x1A, 0x43, 0x68, 0x6B, 0x5A, 0x4F, 0x52, 0x50};

void Escribir(const std::string& ruta, const Bytes& b) {
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    ASSERT_TRUE(f.good()) << ruta;
}

Bytes Leer(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Existe(const std::string& ruta) {
    struct stat st {};
    return ::lstat(ruta.c_str(), &st) == 0;
}

std::uint32_t Suma(const Bytes& b, std::size_t n) {
    std::uint32_t s = 0;
    for (std::size_t i = 0; i < n; ++i) s += b[i];
    return s;
}

void AnadirU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes ConTrailer(Bytes b, std::uint32_t suma) {
    b.insert(b.end(), kMarca.begin(), kMarca.end());
    AnadirU32(b, suma);
    return b;
}

Bytes Sellado(const Bytes& b) { return ConTrailer(b, Suma(b, b.size())); }

// Deterministic, not constant, never all zero.
Bytes Patron(std::size_t n, unsigned semilla) {
    Bytes b(n);
    std::uint32_t x = semilla * 2654435761u + 1;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 16);
    }
    return b;
}

using prueba::BloqueDe;

TConfiguracion Vacia() {
    TConfiguracion c;
    std::memset(&c, 0, sizeof c);
    return c;
}

// A block with something everywhere: reserved patterns, settings, progress with high bytes.
TConfiguracion Variada(unsigned semilla) {
    TConfiguracion c = Vacia();
    Bytes p = Patron(200, semilla);
    c.Reservado0 = p[0];
    c.Reservado1 = p[1];
    std::memcpy(c.Reservado2, &p[2], 50);
    c.VerManos = 2;
    c.PintarTecladoActivo = 1;
    c.SonidoTeclaActivo = 1;
    c.SonidoLeccionActivo = static_cast<std::uint8_t>(semilla & 1);
    std::memcpy(c.Reservado56, &p[60], 100);
    for (int u = 1; u <= 7; ++u)
        for (int l = 1; l <= 12; ++l)
            for (int e = 1; e <= 15; ++e) {
                almacen::Realizado(c, u, l, e) = static_cast<std::uint8_t>((u + l + e + semilla) % 3 == 0);
                almacen::Intento(c, u, l, e) = static_cast<std::uint16_t>(u * 4099 + l * 257 + e * 31 + semilla);
            }
    return c;
}

bool Verifica(const std::string& ruta) {
    TCheckSum s;
    s.Abrir(ruta);
    bool ok = s.Abierto && s.TieneCheckSum() && s.LeerCheckSum() == s.CalcularCheckSum();
    s.Cerrar();
    return ok;
}

std::vector<std::string> Contenido(const std::string& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) nombres.push_back(e.path().filename().string());
    std::sort(nombres.begin(), nombres.end());
    return nombres;
}

class ConCarpeta : public ::testing::Test {
protected:
    std::string base;

    void SetUp() override {
        char plantilla[] = "/tmp/pt_almacen_XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        base = plantilla;
    }
    void TearDown() override {
        // Undo any read-only folder a test left so that everything can be removed.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(base, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0755);
        std::filesystem::remove_all(base, ec);
    }
    std::string En(const std::string& nombre) const { return base + "/" + nombre; }
};

// Runs f in a forked child and returns its exit status (128 + signal when killed). With
// sinPrivilegios a root process gives up root first, since root ignores permission bits;
// 90 means that could not be done.
template <class F>
int EnHijo(F f, bool sinPrivilegios = false) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (sinPrivilegios && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
        }
        int r = 99;
        try {
            r = f();
        } catch (...) {
            r = 98;
        }
        ::_exit(r);
    }
    int estado = 0;
    ::waitpid(pid, &estado, 0);
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
}

// ---------------------------------------------------------------- checksummed file

TEST(SumarBytes, SumaSinSignoYEnModulo32) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(TCheckSum::SumarBytes(abc, 0, 3), 294u);
    EXPECT_EQ(TCheckSum::SumarBytes(abc, 1000, 0), 1000u);
    EXPECT_EQ(TCheckSum::SumarBytes(abc, 0, 2), 195u);  // only the first count bytes
    const std::uint8_t altos[] = {0xFF, 0x80};
    EXPECT_EQ(TCheckSum::SumarBytes(altos, 0, 2), 383u);  // bytes are unsigned
    EXPECT_EQ(TCheckSum::SumarBytes(altos, 0xFFFFFF00u, 2), 127u);
}

class CheckSum : public ConCarpeta {};

TEST_F(CheckSum, FicheroDelTamanoDelBloqueSinTrailer) {
    const std::string f = En("f");
    const Bytes datos = Patron(3936, 1);
    Escribir(f, datos);
    TCheckSum s;
    s.Abrir(f);
    ASSERT_TRUE(s.Abierto);
    EXPECT_EQ(s.Nombre, f);
    EXPECT_EQ(s.Tamano, 3936);
    EXPECT_EQ(s.LongMarca, 12);
    EXPECT_EQ(s.LongCheckSum, 4);
    EXPECT_FALSE(s.ConCheckSum);
    EXPECT_FALSE(s.TieneCheckSum());
    EXPECT_EQ(s.LeerCheckSum(), 0u);
    const std::uint32_t suma = s.CalcularCheckSum();
    EXPECT_EQ(suma, Suma(datos, datos.size()));
    s.GrabarCheckSum(suma);
    EXPECT_EQ(s.Tamano, 3948);
    EXPECT_TRUE(s.ConCheckSum);
    // Still open for reading, on the sealed file.
    EXPECT_TRUE(s.TieneCheckSum());
    EXPECT_EQ(s.LeerCheckSum(), suma);
    EXPECT_EQ(s.CalcularCheckSum(), suma);
    s.Cerrar();
    EXPECT_EQ(Leer(f), Sellado(datos));
}

TEST_F(CheckSum, TrailerExistenteSeSustituyeEnSuSitio) {
    const std::string f = En("f");
    const Bytes datos = Patron(100, 2);
    Escribir(f, ConTrailer(datos, 0x01020304));
    TCheckSum s;
    s.Abrir(f);
    EXPECT_TRUE(s.ConCheckSum);
    EXPECT_EQ(s.LeerCheckSum(), 0x01020304u);  // little-endian on disk
    const std::uint32_t suma = s.CalcularCheckSum();
    EXPECT_EQ(suma, Suma(datos, datos.size()));  // the trailer is not summed
    EXPECT_NE(suma, s.LeerCheckSum());           // the caller's comparison fails
    s.GrabarCheckSum(suma);
    EXPECT_EQ(s.Tamano, 112);
    s.Cerrar();
    EXPECT_EQ(Leer(f), Sellado(datos));
    // GrabarCheckSum writes what it is given, even a wrong value.
    s.Abrir(f);
    s.GrabarCheckSum(7);
    s.Cerrar();
    EXPECT_EQ(Leer(f), ConTrailer(datos, 7));
    EXPECT_FALSE(Verifica(f));
}

TEST_F(CheckSum, LimitesDeTamano) {
    const std::string f = En("f");
    TCheckSum s;

    // Exactly a trailer: nothing guarded, correct sum 0.
    Escribir(f, ConTrailer({}, 0));
    s.Abrir(f);
    EXPECT_TRUE(s.ConCheckSum);
    EXPECT_EQ(s.LeerCheckSum(), 0u);
    EXPECT_EQ(s.CalcularCheckSum(), 0u);
    s.Cerrar();

    // 11 bytes never carry a trailer, even when they start with the marker.
    Bytes once = kMarca;
    once.insert(once.end(), {9, 9, 9});
    Escribir(f, once);
    s.Abrir(f);
    EXPECT_FALSE(s.ConCheckSum);
    EXPECT_EQ(s.LeerCheckSum(), 0u);
    EXPECT_EQ(s.CalcularCheckSum(), Suma(once, 11));
    s.Cerrar();

    // One marker byte off: no trailer, the whole file is summed.
    Bytes casi = ConTrailer(Patron(20, 3), 5);
    casi[20 + 7] = 'p';
    Escribir(f, casi);
    s.Abrir(f);
    EXPECT_FALSE(s.ConCheckSum);
    EXPECT_EQ(s.CalcularCheckSum(), Suma(casi, casi.size()));
    s.GrabarCheckSum(1);  // appended after the look-alike
    s.Cerrar();
    EXPECT_EQ(Leer(f).size(), casi.size() + 12);

    Escribir(f, {});
    s.Abrir(f);
    EXPECT_TRUE(s.Abierto);
    EXPECT_FALSE(s.TieneCheckSum());
    EXPECT_EQ(s.CalcularCheckSum(), 0u);
    s.Cerrar();
}

TEST_F(CheckSum, FicheroMayorQueElBufferSeSumaPorTrozos) {
    const std::string f = En("f");
    // Three full chunks and a partial one, then the trailer, which must not be summed.
    const Bytes datos = Patron(3 * 61440 + 1234, 4);
    Escribir(f, ConTrailer(datos, 0));
    TCheckSum s;
    s.Abrir(f);
    EXPECT_EQ(s.CalcularCheckSum(), Suma(datos, datos.size()));
    Escribir(En("g"), Patron(61440, 5));
    TCheckSum t;
    t.Abrir(En("g"));
    EXPECT_EQ(t.CalcularCheckSum(), Suma(Patron(61440, 5), 61440));
}

TEST_F(CheckSum, PermisosRestauradosTrasGrabar) {
    const std::string f = En("f");
    Escribir(f, Patron(50, 6));
    ASSERT_EQ(::chmod(f.c_str(), 0604), 0);
    TCheckSum s;
    s.Abrir(f);
    EXPECT_EQ(s.Atributos, 0604);
    ASSERT_EQ(::chmod(f.c_str(), 0600), 0);  // changed behind its back
    s.GrabarCheckSum(s.CalcularCheckSum());
    s.Cerrar();
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_TRUE(Verifica(f));
}

TEST_F(CheckSum, FicheroInexistenteNoEsError) {
    const std::string f = En("no_existe");
    TCheckSum s;
    s.Abrir(f);
    EXPECT_FALSE(s.Abierto);
    EXPECT_TRUE(s.Nombre.empty());
    EXPECT_FALSE(s.TieneCheckSum());
    EXPECT_EQ(s.LeerCheckSum(), 0u);
    EXPECT_EQ(s.CalcularCheckSum(), 0u);
    s.GrabarCheckSum(123);
    s.Cerrar();
    EXPECT_FALSE(Existe(f));
    EXPECT_FALSE(Verifica(f));
    s.Abrir(En("no_existe/dentro"));  // a missing folder on the way is the same
    EXPECT_FALSE(s.Abierto);
}

TEST_F(CheckSum, LoQueNoEsUnFicheroSeRechaza) {
    ASSERT_EQ(::mkdir(En("d").c_str(), 0755), 0);
    TCheckSum s;
    try {
        s.Abrir(En("d"));
        FAIL() << "a directory was opened";
    } catch (const ErrorFichero& e) {
        EXPECT_EQ(e.codigo, EISDIR);
        EXPECT_EQ(e.fichero, En("d"));
    }
    // A pipe must not block the open.
    ASSERT_EQ(::mkfifo(En("p").c_str(), 0600), 0);
    EXPECT_THROW(s.Abrir(En("p")), ErrorFichero);
}

TEST(ErrorFichero, MensajeNombraFicheroYMotivo) {
    ErrorFichero e(ENOSPC, "/x/pulsoteclado.cfg", "guardar el fichero");
    const std::string m = e.what();
    EXPECT_EQ(e.codigo, ENOSPC);
    EXPECT_EQ(e.fichero, "/x/pulsoteclado.cfg");
    EXPECT_NE(m.find("guardar el fichero"), std::string::npos) << m;
    EXPECT_NE(m.find("/x/pulsoteclado.cfg"), std::string::npos) << m;
    EXPECT_NE(m.find(std::strerror(ENOSPC)), std::string::npos) << m;
}

// ---------------------------------------------------------------- block layout

TEST(Bloque, PosicionesDeLosEjercicios) {
    EXPECT_EQ(almacen::OffsetRealizado(1, 1, 1), 156u);
    EXPECT_EQ(almacen::OffsetIntento(1, 1, 1), 1416u);
    EXPECT_EQ(almacen::OffsetRealizado(7, 12, 15), 1415u);
    EXPECT_EQ(almacen::OffsetIntento(7, 12, 15), 3934u);
    EXPECT_EQ(almacen::OffsetRealizado(2, 3, 4), 156u + 180 + 30 + 3);
    // The accessors reach the same bytes in memory.
    TConfiguracion c = Vacia();
    almacen::Realizado(c, 2, 3, 4) = 1;
    almacen::Intento(c, 2, 3, 4) = 7;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&c);
    EXPECT_EQ(b[almacen::OffsetRealizado(2, 3, 4)], 1);
    EXPECT_EQ(c.Realizados[1][2][3], 1);
    EXPECT_EQ(c.Intentos[1][2][3], 7);
}

TEST(Bloque, PorDefectoNoTocaLoReservado) {
    TConfiguracion c;
    std::memset(&c, 0xAB, sizeof c);
    almacen::ConfiguracionPorDefecto(c);
    EXPECT_EQ(c.Reservado0, 1);
    EXPECT_EQ(c.Reservado1, 0);
    EXPECT_EQ(c.VerManos, 0);
    EXPECT_EQ(c.PintarTecladoActivo, 0);
    EXPECT_EQ(c.SonidoTeclaActivo, 0);
    EXPECT_EQ(c.SonidoLeccionActivo, 0);
    for (auto v : c.Reservado2) EXPECT_EQ(v, 0xAB);
    for (auto v : c.Reservado56) EXPECT_EQ(v, 0xAB);
    for (int u = 1; u <= 7; ++u)
        for (int l = 1; l <= 12; ++l)
            for (int e = 1; e <= 15; ++e) {
                ASSERT_EQ(almacen::Realizado(c, u, l, e), 0);
                ASSERT_EQ(almacen::Intento(c, u, l, e), 0);
            }
}

TEST(Bloque, SumarIntentoSeDetieneEn65535) {
    TConfiguracion c = Vacia();
    almacen::SumarIntento(c, 3, 4, 5);
    EXPECT_EQ(almacen::Intento(c, 3, 4, 5), 1);
    almacen::Intento(c, 3, 4, 5) = 65533;
    almacen::SumarIntento(c, 3, 4, 5);
    almacen::SumarIntento(c, 3, 4, 5);
    EXPECT_EQ(almacen::Intento(c, 3, 4, 5), 65535);
    almacen::SumarIntento(c, 3, 4, 5);
    EXPECT_EQ(almacen::Intento(c, 3, 4, 5), 65535);
    EXPECT_EQ(almacen::Intento(c, 3, 4, 4), 0);
    EXPECT_EQ(almacen::Intento(c, 3, 4, 6), 0);
}

class Progreso : public ConCarpeta {
protected:
    std::string ruta;
    void SetUp() override {
        ConCarpeta::SetUp();
        ruta = En("datos/Pulsoteclado/pulsoteclado.cfg");
    }
    std::string Bak() const { return ruta + ".bak"; }
    std::string Carpeta() const { return En("datos/Pulsoteclado"); }
    void Preparar(const Bytes& contenido) {
        std::filesystem::create_directories(Carpeta());
        Escribir(ruta, contenido);
    }
};

TEST_F(Progreso, DisposicionEnElFichero) {
    TConfiguracion c = Vacia();
    almacen::ConfiguracionPorDefecto(c);
    almacen::Realizado(c, 1, 1, 1) = 1;
    almacen::Intento(c, 1, 1, 1) = 3;
    almacen::Realizado(c, 7, 12, 15) = 1;
    almacen::Intento(c, 7, 12, 15) = 0x0201;
    c.VerManos = 2;
    c.PintarTecladoActivo = 1;
    c.SonidoLeccionActivo = 1;
    almacen::GuardarConfiguracion(ruta, c);

    const Bytes f = Leer(ruta);
    ASSERT_EQ(f.size(), 3948u);
    EXPECT_EQ(f[0], 1);
    EXPECT_EQ(f[1], 0);
    EXPECT_EQ(f[52], 2);
    EXPECT_EQ(f[53], 1);
    EXPECT_EQ(f[54], 0);
    EXPECT_EQ(f[55], 1);
    EXPECT_EQ(f[156], 1);
    EXPECT_EQ(f[157], 0);
    EXPECT_EQ(f[1416], 3);
    EXPECT_EQ(f[1417], 0);
    EXPECT_EQ(f[1415], 1);
    EXPECT_EQ(f[3934], 0x01);
    EXPECT_EQ(f[3935], 0x02);
    EXPECT_EQ(Bytes(f.begin() + 3936, f.begin() + 3944), kMarca);
    const std::uint32_t suma = Suma(f, 3936);
    EXPECT_EQ(suma, 1u + 2 + 1 + 1 + 1 + 3 + 1 + 1 + 2);
    EXPECT_EQ(Bytes(f.begin() + 3944, f.end()), Bytes({static_cast<std::uint8_t>(suma), 0, 0, 0}));
    // Everything else is zero.
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 3936), BloqueDe(c));
}

// ---------------------------------------------------------------- loading: the failure table

TEST_F(Progreso, PrimeraVezCreaCarpetaYFichero) {
    ASSERT_FALSE(Existe(En("datos")));
    TConfiguracion c = Variada(1);  // whatever the window held: progress and settings are reset
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::NoExiste);
    EXPECT_EQ(c.Reservado0, 1);
    EXPECT_EQ(c.VerManos, 0);
    EXPECT_EQ(almacen::Intento(c, 1, 1, 1), 0);
    EXPECT_EQ(Leer(ruta), Sellado(BloqueDe(c)));
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});  // no .bak, no temporary
}

TEST_F(Progreso, FicheroValidoSeLeeTalCualSinComprobarRangos) {
    TConfiguracion escrita = Variada(2);
    escrita.VerManos = 3;
    escrita.SonidoTeclaActivo = 200;
    almacen::Realizado(escrita, 4, 4, 4) = 9;
    Preparar(Sellado(BloqueDe(escrita)));
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Leida);
    EXPECT_EQ(BloqueDe(c), BloqueDe(escrita));
    EXPECT_EQ(c.VerManos, 3);
    EXPECT_EQ(c.SonidoTeclaActivo, 200);
    EXPECT_EQ(almacen::Realizado(c, 4, 4, 4), 9);
    EXPECT_EQ(almacen::Intento(c, 7, 12, 15), escrita.Intentos[6][11][14]);
    EXPECT_FALSE(Existe(Bak()));
}

TEST_F(Progreso, SinTrailerSeGuardaCopiaYSePoneLoPorDefecto) {
    const Bytes viejo = BloqueDe(Variada(4));  // 3936 bytes, never sealed
    Preparar(viejo);
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Invalida);
    EXPECT_EQ(Leer(Bak()), viejo);
    TConfiguracion def = Vacia();
    almacen::ConfiguracionPorDefecto(def);
    EXPECT_EQ(BloqueDe(c), BloqueDe(def));  // nothing was taken from the refused file
    EXPECT_EQ(Leer(ruta), Sellado(BloqueDe(def)));
}

TEST_F(Progreso, SumaErroneaSeGuardaCopiaYSePoneLoPorDefecto) {
    Bytes viejo = Sellado(BloqueDe(Variada(5)));
    viejo[2000] ^= 0x10;  // one block byte altered, trailer unchanged
    Preparar(viejo);
    Escribir(Bak(), {1, 2, 3});  // an older copy is replaced
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Invalida);
    EXPECT_EQ(Leer(Bak()), viejo);
    EXPECT_EQ(almacen::Intento(c, 2, 1, 1), 0);
    EXPECT_TRUE(Verifica(ruta));
    EXPECT_EQ(Leer(ruta).size(), 3948u);
}

TEST_F(Progreso, FicheroCortoConTrailerValido) {
    // 100 block bytes, sealed: verifies, then the block read comes up short.
    const Bytes corto = Patron(100, 6);
    const Bytes viejo = Sellado(corto);
    Preparar(viejo);
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Corta);
    EXPECT_EQ(Leer(Bak()), viejo);
    // The first 112 bytes of the file landed in the block; the defaults then reset the settings,
    // and what reached the reserved ranges stays there and is saved.
    EXPECT_EQ(c.Reservado0, 1);
    EXPECT_EQ(c.Reservado1, 0);
    EXPECT_EQ(Bytes(std::begin(c.Reservado2), std::end(c.Reservado2)), Bytes(corto.begin() + 2, corto.begin() + 52));
    EXPECT_EQ(c.VerManos, 0);
    EXPECT_EQ(c.SonidoLeccionActivo, 0);
    EXPECT_EQ(Bytes(c.Reservado56, c.Reservado56 + 44), Bytes(corto.begin() + 56, corto.end()));
    EXPECT_EQ(Bytes(c.Reservado56 + 44, c.Reservado56 + 52), kMarca);
    EXPECT_EQ(c.Reservado56[56], 0);
    EXPECT_EQ(Leer(ruta), Sellado(BloqueDe(c)));
}

TEST_F(Progreso, SoloUnTrailerEsCorto) {
    const Bytes viejo = ConTrailer({}, 0);
    Preparar(viejo);
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Corta);
    EXPECT_EQ(Leer(Bak()), viejo);
    EXPECT_EQ(c.Reservado0, 1);
    EXPECT_EQ(c.Reservado1, 0);
    EXPECT_EQ(Bytes(c.Reservado2, c.Reservado2 + 10), Bytes({0x68, 0x6B, 0x5A, 0x4F, 0x52, 0x50, 0, 0, 0, 0}));
    EXPECT_EQ(Leer(ruta), Sellado(BloqueDe(c)));
    // Once replaced, the next start-up reads it.
    TConfiguracion d = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, d), Carga::Leida);
    EXPECT_EQ(BloqueDe(d), BloqueDe(c));
}

TEST_F(Progreso, FicheroMasLargoSeAceptaYSeRecorta) {
    const TConfiguracion escrita = Variada(7);
    Bytes contenido = BloqueDe(escrita);
    const Bytes extra = Patron(300, 8);
    contenido.insert(contenido.end(), extra.begin(), extra.end());
    Preparar(Sellado(contenido));  // the trailer covers the extra bytes too
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Leida);
    EXPECT_EQ(BloqueDe(c), BloqueDe(escrita));
    EXPECT_FALSE(Existe(Bak()));
    almacen::GuardarConfiguracion(ruta, c);
    EXPECT_EQ(Leer(ruta), Sellado(BloqueDe(escrita)));
}

TEST_F(Progreso, ReservadoSobreviveACargaYGuardado) {
    const TConfiguracion escrita = Variada(9);
    const Bytes original = Sellado(BloqueDe(escrita));
    Preparar(original);
    TConfiguracion c = Vacia();
    ASSERT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Leida);
    almacen::SumarIntento(c, 1, 2, 3);
    almacen::GuardarConfiguracion(ruta, c);
    const Bytes nuevo = Leer(ruta);
    ASSERT_EQ(nuevo.size(), 3948u);
    EXPECT_EQ(Bytes(nuevo.begin(), nuevo.begin() + 52), Bytes(original.begin(), original.begin() + 52));
    EXPECT_EQ(Bytes(nuevo.begin() + 56, nuevo.begin() + 156), Bytes(original.begin() + 56, original.begin() + 156));
    // Only the one counter (and so the sum) changed.
    std::vector<std::size_t> cambiados;
    for (std::size_t i = 0; i < 3936; ++i)
        if (nuevo[i] != original[i]) cambiados.push_back(i);
    const std::size_t k = almacen::OffsetIntento(1, 2, 3);
    EXPECT_TRUE(cambiados == std::vector<std::size_t>{k} || cambiados == std::vector<std::size_t>({k, k + 1}));
    EXPECT_TRUE(Verifica(ruta));
}

TEST_F(Progreso, GuardarConservaLosPermisosYElEnlace) {
    TConfiguracion c = Variada(10);
    almacen::GuardarConfiguracion(ruta, c);
    ASSERT_EQ(::chmod(ruta.c_str(), 0640), 0);
    almacen::GuardarConfiguracion(ruta, Variada(11));
    struct stat st {};
    ASSERT_EQ(::stat(ruta.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A progress file kept elsewhere through a link stays linked.
    const std::string real = En("real.cfg");
    const std::string enlace = En("enlace.cfg");
    almacen::GuardarConfiguracion(real, Variada(12));
    ASSERT_EQ(::symlink(real.c_str(), enlace.c_str()), 0);
    almacen::GuardarConfiguracion(enlace, Variada(13));
    struct stat lst {};
    ASSERT_EQ(::lstat(enlace.c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_EQ(Leer(real), Sellado(BloqueDe(Variada(13))));
}

// ---------------------------------------------------------------- input/output failures

TEST_F(Progreso, CarpetaQueNoSePuedeCrear) {
    Escribir(En("datos"), {1});  // a file where a folder must go
    TConfiguracion c = Vacia();
    for (int guardar = 0; guardar < 2; ++guardar) {
        try {
            if (guardar)
                almacen::GuardarConfiguracion(ruta, c);
            else
                almacen::CargarConfiguracion(ruta, c);
            FAIL() << "no error, guardar=" << guardar;
        } catch (const ErrorFichero& e) {
            EXPECT_EQ(e.codigo, ENOTDIR);
            EXPECT_EQ(e.fichero, En("datos"));
            EXPECT_NE(std::string(e.what()).find("crear la carpeta"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(Leer(En("datos")), Bytes{1});
}

TEST_F(Progreso, DirectorioEnLugarDelFichero) {
    std::filesystem::create_directories(ruta);
    TConfiguracion c = Vacia();
    try {
        almacen::CargarConfiguracion(ruta, c);
        FAIL() << "a directory was loaded";
    } catch (const ErrorFichero& e) {
        EXPECT_EQ(e.codigo, EISDIR);
        EXPECT_EQ(e.fichero, ruta);
    }
    try {
        almacen::GuardarConfiguracion(ruta, c);
        FAIL() << "saved over a directory";
    } catch (const ErrorFichero& e) {
        EXPECT_EQ(e.codigo, EISDIR);
        EXPECT_EQ(e.fichero, ruta);
    }
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});
    EXPECT_TRUE(std::filesystem::is_directory(ruta));
}

TEST_F(Progreso, SinPermisosNadaSeSustituye) {
    // The folder and its file belong to the unprivileged user the child becomes.
    ASSERT_EQ(::chmod(base.c_str(), 0755), 0);
    almacen::GuardarConfiguracion(ruta, Variada(14));
    ASSERT_EQ(::chmod(En("datos").c_str(), 0755), 0);
    const Bytes previo = Leer(ruta);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Carpeta().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(ruta.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(Carpeta().c_str(), 0555), 0);

    int r = EnHijo(
        [&] {
            try {
                almacen::GuardarConfiguracion(ruta, Variada(15));
                return 1;
            } catch (const ErrorFichero& e) {
                return e.codigo == EACCES && e.fichero == ruta ? 0 : 2;
            }
        },
        true);
    if (r == 90) GTEST_SKIP() << "cannot drop root privileges here";
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Leer(ruta), previo);
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});

    // A damaged file whose copy cannot be kept is not replaced either.
    ASSERT_EQ(::chmod(Carpeta().c_str(), 0755), 0);
    Bytes danado = previo;
    danado[10] ^= 1;
    Escribir(ruta, danado);
    ASSERT_EQ(::chmod(Carpeta().c_str(), 0555), 0);
    r = EnHijo(
        [&] {
            TConfiguracion c = Variada(16);
            try {
                almacen::CargarConfiguracion(ruta, c);
                return 1;
            } catch (const ErrorFichero& e) {
                return e.codigo == EACCES ? 0 : 2;
            }
        },
        true);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Leer(ruta), danado);
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});

    // A file that cannot be opened is an error, not a reason for defaults.
    ASSERT_EQ(::chmod(ruta.c_str(), 0), 0);
    r = EnHijo(
        [&] {
            TConfiguracion c = Vacia();
            try {
                almacen::CargarConfiguracion(ruta, c);
                return 1;
            } catch (const ErrorFichero& e) {
                return e.codigo == EACCES && e.fichero == ruta ? 0 : 2;
            }
        },
        true);
    EXPECT_EQ(r, 0);
    ASSERT_EQ(::chmod(ruta.c_str(), 0644), 0);
    EXPECT_EQ(Leer(ruta), danado);
}

TEST_F(Progreso, DiscoLlenoDejaElFicheroAnterior) {
    almacen::GuardarConfiguracion(ruta, Variada(18));
    const Bytes previo = Leer(ruta);
    // 1000: the block write fails; 3940: the block fits and the trailer does not.
    for (rlim_t limite : {rlim_t{1000}, rlim_t{3940}}) {
        int r = EnHijo([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {limite, limite};
            if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) return 3;
            try {
                almacen::GuardarConfiguracion(ruta, Variada(19));
                return 1;
            } catch (const ErrorFichero& e) {
                return e.codigo == EFBIG && e.fichero == ruta ? 0 : 2;
            }
        });
        EXPECT_EQ(r, 0) << "limit " << limite;
        EXPECT_EQ(Leer(ruta), previo) << "limit " << limite;
        EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"}) << "limit " << limite;
    }
}

TEST_F(Progreso, MuerteDuranteElGuardadoNuncaDejaUnFicheroRoto) {
    const TConfiguracion a = Variada(20), b = Variada(21), inicial = Variada(22);
    almacen::GuardarConfiguracion(ruta, inicial);
    const Bytes fa = Sellado(BloqueDe(a)), fb = Sellado(BloqueDe(b)), fi = Sellado(BloqueDe(inicial));
    ASSERT_EQ(Leer(ruta), fi);

    int nuevos = 0;
    const int kMuertes = 60;
    for (int i = 0; i < kMuertes; ++i) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) prueba::GuardarSinFin(ruta, a, b);
        // Spread the kills over the first milliseconds and beyond, in no regular step.
        ::usleep(static_cast<useconds_t>((i * 7919) % 12000));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int estado = 0;
        ASSERT_EQ(::waitpid(pid, &estado, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(estado)) << "the saving child stopped by itself, status " << estado;

        const Bytes f = Leer(ruta);
        ASSERT_TRUE(f == fa || f == fb || f == fi) << "kill " << i << ": torn file of " << f.size() << " bytes";
        if (f != fi) ++nuevos;
    }
    EXPECT_GT(nuevos, 0) << "no save ever completed before a kill";
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Leida);
    EXPECT_FALSE(Existe(Bak()));
    // The temporary files the killed saves left behind go with the next save.
    almacen::GuardarConfiguracion(ruta, c);
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});
}

// The file's own permission bits rule, for root too (who may read and write anything).
TEST_F(Progreso, PermisosDelFicheroSeRespetan) {
    auto modo = [](const std::string& f) {
        struct stat st {};
        return ::stat(f.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
    };
    auto error = [&](auto&& operacion) {
        try {
            operacion();
            return 0;
        } catch (const ErrorFichero& e) {
            EXPECT_EQ(e.fichero, ruta);
            return e.codigo;
        }
    };
    almacen::GuardarConfiguracion(ruta, Variada(23));
    const Bytes previo = Leer(ruta);

    // Frozen read-only on purpose: it still loads, and a save changes nothing.
    ASSERT_EQ(::chmod(ruta.c_str(), 0444), 0);
    TConfiguracion c = Vacia();
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Leida);
    EXPECT_EQ(error([&] { almacen::GuardarConfiguracion(ruta, Variada(24)); }), EACCES);
    EXPECT_EQ(Leer(ruta), previo);
    EXPECT_EQ(modo(ruta), 0444u);
    EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"});

    // Unreadable: an error at load, and a save does not overwrite the progress it never read.
    for (mode_t m : {0200u, 0000u}) {
        ASSERT_EQ(::chmod(ruta.c_str(), m), 0);
        EXPECT_EQ(error([&] { almacen::CargarConfiguracion(ruta, c); }), EACCES) << m;
        EXPECT_EQ(error([&] { almacen::GuardarConfiguracion(ruta, Variada(25)); }), EACCES) << m;
        ASSERT_EQ(::chmod(ruta.c_str(), 0644), 0);
        EXPECT_EQ(Leer(ruta), previo) << m;
        EXPECT_EQ(Contenido(Carpeta()), std::vector<std::string>{"pulsoteclado.cfg"}) << m;
    }

    // Temporary files of a killed save are removed by the next one; those of a process still
    // running, other names and other files' temporaries stay.
    const std::vector<std::string> quedan = {"otro.cfg.tmp123", "pulsoteclado.cfg.bak.tmp999999999",
                                             "pulsoteclado.cfg.tmp" + std::to_string(::getppid()),
                                             "pulsoteclado.cfg.tmpx1", "pulsoteclado.cfg.tmp"};
    for (const std::string& n : quedan) Escribir(En("datos/Pulsoteclado/" + n), {1});
    Escribir(ruta + ".tmp999999999", {2});
    Escribir(ruta + ".tmp999999998", {3});
    almacen::GuardarConfiguracion(ruta, Variada(26));
    std::vector<std::string> esperado = quedan;
    esperado.push_back("pulsoteclado.cfg");
    std::sort(esperado.begin(), esperado.end());
    EXPECT_EQ(Contenido(Carpeta()), esperado);
    for (const std::string& n : quedan) ::unlink(En("datos/Pulsoteclado/" + n).c_str());

    // The copy of a damaged file is as private as the file; the new file keeps its bits too.
    Bytes danado = Leer(ruta);
    danado[500] ^= 1;
    Escribir(ruta, danado);
    ASSERT_EQ(::chmod(ruta.c_str(), 0604), 0);
    EXPECT_EQ(almacen::CargarConfiguracion(ruta, c), Carga::Invalida);
    EXPECT_EQ(Leer(Bak()), danado);
    EXPECT_EQ(modo(Bak()), 0604u);
    EXPECT_EQ(modo(ruta), 0604u);
}

}  // namespace
