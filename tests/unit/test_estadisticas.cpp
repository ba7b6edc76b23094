// The statistics core: the recording of an attempt, the SQLite store (schema, damaged and
// unwritable files, kills during writes) and the analysis over small hand-made histories.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <grp.h>

#include "estadisticas/Almacen.h"
#include "estadisticas/Analisis.h"
#include "estadisticas/Registro.h"
#include "estadisticas/Servicio.h"
#include "estadisticas/Utf8.h"
#include "keyboard/Dedos.h"
#include "keyboard/Traduccion.h"

namespace {

using namespace estadisticas;
using Reloj = RegistroIntento::Reloj;

// Types `pasos` (what each key produced) into the recorder, one key every 200 ms, keeping the
// typed text as the main window does.
Intento Teclear(const std::string& texto, const std::vector<std::string>& pasos, Resultado r = Resultado::Incorrecto,
                std::optional<catalogo::Posicion> pos = catalogo::Posicion{1, 1, 1}) {
    RegistroIntento reg;
    reg.Empezar(Origen::Catalogo, pos, texto);
    auto t = Reloj::time_point{} + std::chrono::seconds(100);
    std::string escrito;
    for (const std::string& p : pasos) {
        const char c = p.size() == 1 && p[0] >= 'a' && p[0] <= 'z' ? static_cast<char>(p[0] - 32) : 'A';
        reg.Pulsar(p == "\b" ? 8 : static_cast<std::uint16_t>(c), 0, p, escrito.size(), t);
        if (p == "\b") {
            if (!escrito.empty()) escrito.pop_back();
        } else {
            escrito += p;
        }
        t += std::chrono::milliseconds(200);
    }
    return *reg.Terminar(r, escrito.size(), t - std::chrono::milliseconds(200));
}

std::vector<std::string> Letras(const std::string& s) {
    std::vector<std::string> v;
    for (char c : s) v.emplace_back(1, c);
    return v;
}

class Carpeta : public ::testing::Test {
protected:
    std::string base, ruta;
    void SetUp() override {
        char plantilla[] = "/tmp/pt_estadisticas_XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        base = plantilla;
        ruta = base + "/datos/Pulsoteclado/estadisticas.sqlite";
    }
    void TearDown() override {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(base, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0755);
        std::filesystem::remove_all(base, ec);
    }
    std::vector<std::string> Ficheros() const {
        std::vector<std::string> v;
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(ruta).parent_path()))
            v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }
};

// One value of a query, as text.
std::string Consulta(const std::string& ruta, const char* sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(ruta.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    std::string r = "<error>";
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK) {
        const int c = sqlite3_step(s);
        if (c == SQLITE_ROW) r = sqlite3_column_type(s, 0) == SQLITE_NULL ? "NULL" : reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        else if (c == SQLITE_DONE) r = "<none>";
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return r;
}

// ---------------------------------------------------------------- recording

TEST(Registro, PosicionesTiemposYErroresContadosAlPulsar) {
    RegistroIntento reg;
    reg.Empezar(Origen::Catalogo, catalogo::Posicion{2, 3, 4}, "ca\xE1n");  // "caán"
    const auto t0 = Reloj::time_point{} + std::chrono::seconds(5);
    reg.Pulsar(16, teclado::kShift, "", 0, t0);                              // Shift alone: nothing written
    EXPECT_FALSE(reg.AlgoEscrito());
    reg.Pulsar('C', 0, "c", 0, t0 + std::chrono::milliseconds(150));
    reg.Pulsar('S', 0, "s", 1, t0 + std::chrono::milliseconds(400));        // wrong, then corrected
    reg.Pulsar(8, 0, "\b", 2, t0 + std::chrono::milliseconds(500));
    reg.Pulsar('A', 0, "a", 1, t0 + std::chrono::milliseconds(700));
    reg.Pulsar(teclado::VK_OEM_7, 0, "", 2, t0 + std::chrono::milliseconds(900));  // dead key
    reg.Pulsar('A', 0, "\xE1", 2, t0 + std::chrono::milliseconds(1000));
    reg.Pulsar(teclado::VK_OEM_7, 0, "", 3, t0 + std::chrono::milliseconds(1100));
    reg.Pulsar('N', 0, "\xB4n", 3, t0 + std::chrono::milliseconds(1300));   // accent + n: two characters
    const std::optional<Intento> in = reg.Terminar(Resultado::Incorrecto, 5, t0 + std::chrono::milliseconds(2000));
    ASSERT_TRUE(in);
    EXPECT_FALSE(reg.Activo());
    EXPECT_EQ(in->errores, 2u);  // the s (corrected later) and the accent before n
    EXPECT_DOUBLE_EQ(in->segundos, 2.0);
    EXPECT_EQ(in->caracteres, 5u);
    ASSERT_EQ(in->pulsaciones.size(), 9u);
    const auto& p = in->pulsaciones;
    EXPECT_EQ(p[0].ms, 0u);
    EXPECT_EQ(p[1].ms, 150u);
    EXPECT_EQ(p[3].posicion, 1u);  // Backspace erased position 1
    EXPECT_EQ(p[3].esperado, 'a');
    EXPECT_TRUE(p[3].Borra());
    EXPECT_EQ(p[5].posicion, 2u);  // the dead key, where its letter will go
    EXPECT_EQ(p[5].Escrito(), "");
    EXPECT_EQ(p[5].esperado, '\xE1');
    EXPECT_EQ(p[8].Escrito(), "\xB4n");
    ASSERT_TRUE(in->Ppm());
    EXPECT_DOUBLE_EQ(*in->Ppm(), 150.0);

    // Only keys that yield nothing, or only Backspace: no attempt.
    reg.Empezar(Origen::Catalogo, std::nullopt, "abc");
    reg.Pulsar(16, 1, "", 0, t0);
    reg.Pulsar(8, 0, "\b", 0, t0);
    EXPECT_FALSE(reg.Terminar(Resultado::Abandonado, 0, t0));
    // Past the end of the text nothing is expected.
    reg.Empezar(Origen::Libre, std::nullopt, "a");
    reg.Pulsar('A', 0, "a", 0, t0);
    reg.Pulsar('B', 0, "b", 1, t0);
    const auto fin = reg.Terminar(Resultado::Incorrecto, 2, t0);
    ASSERT_TRUE(fin);
    EXPECT_EQ(fin->pulsaciones[1].esperado, 0);
    EXPECT_EQ(fin->errores, 1u);
    EXPECT_FALSE(fin->Ppm());  // no time passed
}

TEST(Utf8, IdaYVuelta) {
    const std::string cp = "\xBF" "Qu\xE9 \x80 \xFC\r\b";
    EXPECT_EQ(AUtf8(cp), "¿Qué € ü\r\b");
    EXPECT_EQ(DeUtf8(AUtf8(cp)), cp);
    EXPECT_EQ(DeUtf8("日"), "?");
}

// ---------------------------------------------------------------- store

TEST_F(Carpeta, UnIntentoSeGuardaEnteroConSuEsquema) {
    Intento in = Teclear("\xBFQu\xE9?", {"\xBF", "Q", "u", "e", "?"}, Resultado::Incorrecto, catalogo::Posicion{5, 2, 7});
    {
        BaseDatos db(ruta);
        EXPECT_EQ(db.Guardar(in), 1);
        in.resultado = Resultado::Correcto;
        in.origen = Origen::Libre;
        in.posicion.reset();
        EXPECT_EQ(db.Guardar(in), 2);
    }
    EXPECT_EQ(Consulta(ruta, "PRAGMA user_version"), "1");
    EXPECT_EQ(Consulta(ruta, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Consulta(ruta, "SELECT origen || unidad || leccion || ejercicio || resultado || caracteres || errores FROM intento WHERE id = 1"),
              "catalogo527incorrecto51");
    EXPECT_EQ(Consulta(ruta, "SELECT coalesce(unidad, 'NULL') || origen || resultado FROM intento WHERE id = 2"), "NULLlibrecorrecto");
    EXPECT_EQ(Consulta(ruta, "SELECT texto FROM intento WHERE id = 1"), "¿Qué?");
    EXPECT_EQ(Consulta(ruta, "SELECT esperado || '>' || escrito FROM pulsacion WHERE intento = 1 AND escrito <> esperado"), "é>e");
    EXPECT_EQ(Consulta(ruta, "SELECT count(*) FROM pulsacion"), "10");
    EXPECT_EQ(Consulta(ruta, "SELECT group_concat(orden || ':' || posicion || ':' || ms) FROM pulsacion WHERE intento = 2"),
              "1:0:0,2:1:200,3:2:200,4:3:200,5:4:200");
    EXPECT_EQ(Consulta(ruta, "SELECT round(ppm, 3) FROM intento WHERE id = 1"), "375.0");  // 5 characters in 0.8 s
    const std::string inicio = Consulta(ruta, "SELECT inicio FROM intento WHERE id = 1");
    EXPECT_EQ(inicio.size(), 25u) << inicio;  // 2026-12-08T09:15:03+01:00
    EXPECT_EQ(inicio[10], 'T');
    EXPECT_EQ(inicio[22], ':');

    BaseDatos otra(ruta);  // opened again: the same schema, nothing lost
    const auto leidos = otra.LeerIntentos();
    ASSERT_EQ(leidos.size(), 2u);
    EXPECT_EQ(leidos[0].texto, in.texto);
    EXPECT_EQ(otra.ContarPulsaciones(), 10);

    // The CSV export: a header row, fields with commas, quotes or line breaks quoted.
    const std::string ci = base + "/i.csv", cp = base + "/p.csv";
    otra.ExportarCsv(ci, cp);
    std::ifstream fi(ci), fp(cp);
    std::string l;
    std::getline(fi, l);
    EXPECT_EQ(l, "id,inicio,origen,unidad,leccion,ejercicio,segundos,caracteres,errores,resultado,ppm,texto");
    std::getline(fi, l);
    EXPECT_NE(l.find(",catalogo,5,2,7,0.8,5,1,incorrecto,375.0,¿Qué?"), std::string::npos) << l;
    std::getline(fp, l);
    EXPECT_EQ(l, "intento,orden,posicion,esperado,escrito,tecla,modificadores,ms");
    std::getline(fp, l);
    EXPECT_EQ(l, "1,1,0,¿,¿,65,0,0");
}

TEST_F(Carpeta, UnFicheroQueNoEsUnaBaseSeApartaYSeEmpiezaOtro) {
    std::filesystem::create_directories(std::filesystem::path(ruta).parent_path());
    std::ofstream(ruta) << "esto no es una base de datos, es un texto cualquiera bastante largo para cubrir la cabecera";
    std::vector<std::pair<Servicio::Aviso, std::string>> avisos;
    {
        Servicio s(ruta, [&](Servicio::Aviso a, const std::string& d) { avisos.emplace_back(a, d); });
        s.Encolar(Teclear("ab", Letras("ab")));
        s.Encolar(Teclear("ab", Letras("ab")));
        s.Esperar();
        EXPECT_TRUE(s.Disponible());
    }
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0].first, Servicio::Aviso::Renombrada);
    const auto f = Ficheros();
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f[0], "estadisticas.sqlite");
    EXPECT_EQ(f[1].rfind("estadisticas.sqlite.danado-", 0), 0u) << f[1];
    EXPECT_EQ(f[1].size(), std::string("estadisticas.sqlite.danado-AAAAMMDD-HHMMSS").size());
    EXPECT_EQ(avisos[0].second, std::filesystem::path(ruta).parent_path().string() + "/" + f[1]);
    EXPECT_EQ(Consulta(ruta, "SELECT count(*) FROM intento"), "2");

    // A database of another program is not ours either: set aside, not written into.
    const std::string otra = base + "/otra.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(otra.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE cosas (x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    std::string renombrado;
    AbrirRecuperando(otra, &renombrado);
    EXPECT_EQ(renombrado.rfind(otra + ".danado-", 0), 0u);
    EXPECT_EQ(Consulta(renombrado, "SELECT count(*) FROM cosas"), "0");
}

TEST_F(Carpeta, UnaBaseDanadaDentroSeApartaAlEncontrarla) {
    {
        BaseDatos db(ruta);
        for (int i = 0; i < 40; ++i) db.Guardar(Teclear(std::string(300, 'a'), Letras(std::string(300, 'a'))));
        sqlite3_exec(db.Conexion(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    }
    // Scribble over the pages after the first, where the key presses lie.
    {
        std::fstream f(ruta, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096 * 2);
        const std::string basura(4096 * 4, '\x5A');
        f.write(basura.data(), static_cast<std::streamsize>(basura.size()));
    }
    std::vector<Servicio::Aviso> avisos;
    Servicio s(ruta, [&](Servicio::Aviso a, const std::string&) { avisos.push_back(a); });
    Resumen r;
    EXPECT_TRUE(s.Usar([&](BaseDatos& db) { r = Analizar(db); }));
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0], Servicio::Aviso::Renombrada);
    EXPECT_TRUE(r.Vacio());  // the new file is empty
    EXPECT_EQ(Ficheros().size(), 4u);  // the new file with its WAL and shm, and the damaged one
}

// Root ignores permission bits: the child gives them up first.
template <class F>
int EnHijoSinPrivilegios(F f) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        ::_exit(f());
    }
    int estado = 0;
    ::waitpid(pid, &estado, 0);
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
}

TEST_F(Carpeta, SinPermisoUnAvisoPorSesionYSinTocarNada) {
    std::filesystem::create_directories(std::filesystem::path(ruta).parent_path());
    { BaseDatos db(ruta); db.Guardar(Teclear("ab", Letras("ab"))); }
    const std::string carpeta = std::filesystem::path(ruta).parent_path().string();
    ASSERT_EQ(::chmod(base.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(ruta.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(carpeta.c_str(), 0555), 0);
    const int r = EnHijoSinPrivilegios([&] {
        int avisos = 0, noDisponible = 0;
        {
            Servicio s(ruta, [&](Servicio::Aviso a, const std::string&) {
                ++avisos;
                noDisponible += a == Servicio::Aviso::NoDisponible;
            });
            for (int i = 0; i < 3; ++i) s.Encolar(Teclear("ab", Letras("ab")));
            s.Esperar();
            if (s.Disponible()) return 3;
            if (s.Usar([](BaseDatos&) {})) return 4;
        }
        return avisos == 1 && noDisponible == 1 ? 0 : 2;
    });
    if (r == 90) GTEST_SKIP() << "cannot drop root privileges here";
    EXPECT_EQ(r, 0);
    ASSERT_EQ(::chmod(carpeta.c_str(), 0755), 0);
    EXPECT_EQ(Ficheros(), std::vector<std::string>{"estadisticas.sqlite"});
    EXPECT_EQ(Consulta(ruta, "SELECT count(*) FROM intento"), "1");

    // A folder that cannot be created: the same single notice.
    int avisos = 0;
    const std::string imposible = base + "/fichero";
    std::ofstream(imposible) << "x";
    {
        Servicio s(imposible + "/Pulsoteclado/estadisticas.sqlite", [&](Servicio::Aviso a, const std::string&) {
            avisos += a == Servicio::Aviso::NoDisponible;
        });
        s.Encolar(Teclear("ab", Letras("ab")));
        s.Encolar(Teclear("ab", Letras("ab")));
        s.Esperar();
        EXPECT_FALSE(s.Usar([](BaseDatos&) {}));
    }
    EXPECT_EQ(avisos, 1);
}

// A child writes 1,456-press attempts for ever; it is killed at random moments, and every time the
// database must open, pass its integrity check and hold whole attempts only.
TEST_F(Carpeta, MuertesDuranteLasEscriturasDejanLaBaseEntera) {
    const std::string texto(1456, 'x');
    std::vector<std::string> pasos = Letras(texto);
    pasos[10] = "z";
    const Intento in = Teclear(texto, pasos);
    // How long opening and one write take here (sanitizers and a busy machine slow them), so that
    // the kills fall over the first few writes of each child.
    const auto t0 = std::chrono::steady_clock::now();
    { BaseDatos db(ruta); db.Guardar(in); }
    const auto us = std::max<long long>(
        1000, std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count());
    std::mt19937 azar(2112);
    long long previos = 1;
    std::printf("[ kills    ] 60 SIGKILLs within %lld us of a writer's start\n", 4 * us + us / 2);
    int crecio = 0;
    for (int i = 0; i < 60; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            BaseDatos db(ruta);
            for (;;) db.Guardar(in);
        }
        ::usleep(static_cast<useconds_t>(us / 2 + static_cast<long long>(azar() % static_cast<unsigned>(4 * us))));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int estado = 0;
        ASSERT_EQ(::waitpid(pid, &estado, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(estado)) << "the writing child stopped by itself";
        BaseDatos db(ruta);
        ASSERT_EQ(Consulta(ruta, "PRAGMA integrity_check"), "ok") << "kill " << i;
        const long long n = db.LeerIntentos().size();
        ASSERT_GE(n, previos);
        crecio += n > previos;
        previos = n;
        ASSERT_EQ(db.ContarPulsaciones(), n * 1456) << "kill " << i << ": an attempt without all its presses";
        EXPECT_EQ(Consulta(ruta, "SELECT count(*) FROM intento WHERE errores <> 1 OR caracteres <> 1456"), "0");
    }
    EXPECT_GE(crecio, 20) << "the kills did not fall while writing";
}

// ---------------------------------------------------------------- analysis

TEST(Clasificar, LasFaltasDeAcentoDeUnTecladoEspanol) {
    EXPECT_EQ(Clasificar('\xE1', "a"), ClaseAcento::TildeOlvidada);       // á → a
    EXPECT_EQ(Clasificar('\xC9', "E"), ClaseAcento::TildeOlvidada);       // É → E
    EXPECT_EQ(Clasificar('a', "\xE1"), ClaseAcento::TildeDeMas);          // a → á
    EXPECT_EQ(Clasificar('\xE1', "\xE0"), ClaseAcento::AcentoCambiado);   // á → à
    EXPECT_EQ(Clasificar('\xE0', "\xE1"), ClaseAcento::AcentoCambiado);   // à → á
    EXPECT_EQ(Clasificar('\xFC', "u"), ClaseAcento::DieresisOlvidada);    // ü → u
    EXPECT_EQ(Clasificar('\xFC', "\xFA"), ClaseAcento::AcentoCambiado);   // ü → ú
    EXPECT_EQ(Clasificar('n', "\xB4n"), ClaseAcento::MuertaMalUsada);     // ´ before n
    EXPECT_EQ(Clasificar('\xF1', "\xA8"), ClaseAcento::MuertaMalUsada);   // ¨ alone where ñ was due
    EXPECT_EQ(Clasificar('a', "A"), ClaseAcento::MayusculaCambiada);
    EXPECT_EQ(Clasificar('\xC1', "\xE1"), ClaseAcento::MayusculaCambiada);  // Á → á
    EXPECT_EQ(Clasificar('\xBF', "Q"), ClaseAcento::AperturaOlvidada);
    EXPECT_EQ(Clasificar('\xA1', "\xBF"), ClaseAcento::AperturaOlvidada);
    EXPECT_EQ(Clasificar('a', "s"), std::nullopt);
    EXPECT_EQ(Clasificar('\xE1', "s"), std::nullopt);
    EXPECT_EQ(Clasificar('n', "\xF1"), std::nullopt);  // ñ is a letter of its own

    // The keys behind a character.
    const auto i = [](const char* n) { return teclado::IndiceTeclaEscritura(n); };
    const Golpes a = GolpesDe('\xC1');  // Á: acute dead key, Shift, A
    EXPECT_EQ(a.principal, i("btnA"));
    EXPECT_EQ(a.muerta, i("btnAcento"));
    EXPECT_TRUE(a.shift);
    const Golpes u = GolpesDe('\xFC');  // ü: Shift with the acute key gives the diaeresis
    EXPECT_EQ(u.muerta, i("btnAcento"));
    EXPECT_TRUE(u.shiftMuerta);
    EXPECT_FALSE(u.shift);
    EXPECT_EQ(GolpesDe('?').principal, i("btnComilla"));
    EXPECT_TRUE(GolpesDe('?').shift);
    EXPECT_EQ(GolpesDe('\r').principal, i("btnIntro"));
    EXPECT_EQ(GolpesDe('@').principal, i("btn2"));
}

TEST(Analisis, TeclasDedosConfusionesYAcentosDeUnaHistoriaPequena) {
    const auto i = [](const char* n) { return static_cast<std::size_t>(teclado::IndiceTeclaEscritura(n)); };
    std::vector<Intento> h;
    // "canción": the tilde forgotten, then a correct copy.
    h.push_back(Teclear("canci\xF3n", Letras("cancion")));
    h.push_back(Teclear("canci\xF3n", Letras("canci\xF3n"), Resultado::Correcto));
    // "Qué": q for Q, then corrected; "¿Sí?" without the opening sign.
    h.push_back(Teclear("Qu\xE9", {"q", "\b", "Q", "u", "\xE9"}, Resultado::Correcto));
    h.push_back(Teclear("\xBFS\xED?", {"S", "\xED", "?"}, Resultado::Abandonado, catalogo::Posicion{2, 1, 1}));
    // s for d three times.
    h.push_back(Teclear("dddd", Letras("sssd"), Resultado::Incorrecto, catalogo::Posicion{2, 1, 2}));
    const Resumen r = Analizar(h);

    EXPECT_EQ(r.pulsaciones, 7u + 7 + 5 + 3 + 4);
    EXPECT_EQ(r.teclas[i("btnD")].esperadas, 4u);
    EXPECT_EQ(r.teclas[i("btnD")].errores, 3u);
    EXPECT_DOUBLE_EQ(r.teclas[i("btnD")].Tasa(), 0.75);
    // The forgotten tilde belongs to the dead key, not to O.
    EXPECT_EQ(r.teclas[i("btnAcento")].errores, 1u);
    EXPECT_EQ(r.teclas[i("btnAcento")].esperadas, 4u);  // ó twice, é and í once
    EXPECT_EQ(r.teclas[i("btnO")].errores, 0u);
    // The wrong case belongs to the Shift of the other hand (Q is a left-hand key).
    EXPECT_EQ(r.teclas[i("btnMayusculasDer")].errores, 1u);
    EXPECT_EQ(r.teclas[i("btnQ")].errores, 0u);
    // ¿ expected, S typed: the ¡¿ key; then everything after is shifted by one.
    EXPECT_EQ(r.teclas[i("btnAdmiracion")].errores, 1u);
    // Fingers sum their keys: the left middle finger has D, E, C, 3.
    EXPECT_EQ(r.dedos[static_cast<std::size_t>(teclado::Dedo::MedioIzq)].errores, 3u);
    EXPECT_EQ(r.teclas[i("btnD")].medianaMs, 200u);

    ASSERT_FALSE(r.confusiones.empty());
    EXPECT_EQ(r.confusiones[0].esperado, 'd');
    EXPECT_EQ(r.confusiones[0].escrito, "s");
    EXPECT_EQ(r.confusiones[0].veces, 3u);

    const auto& olvidada = r.acentos[static_cast<std::size_t>(ClaseAcento::TildeOlvidada)];
    EXPECT_EQ(olvidada.veces, 1u);
    EXPECT_EQ(olvidada.palabra, "canci\xF3n");
    EXPECT_EQ(olvidada.escrita, "cancion");
    EXPECT_EQ(r.acentos[static_cast<std::size_t>(ClaseAcento::MayusculaCambiada)].escrita, "qu\xE9");
    EXPECT_EQ(r.acentos[static_cast<std::size_t>(ClaseAcento::AperturaOlvidada)].veces, 1u);
    EXPECT_EQ(r.acentos[static_cast<std::size_t>(ClaseAcento::AperturaOlvidada)].palabra, "\xBFS\xED?");

    // For the drills: D first (3 of 4), and the accent characters.
    const auto debiles = r.TeclasDebiles();
    ASSERT_FALSE(debiles.empty());
    EXPECT_EQ(debiles[0].tecla, teclado::IndiceTeclaEscritura("btnD"));
    EXPECT_EQ(debiles[0].caracter, 'd');
    const std::string acentos = r.AcentosFrecuentes();
    EXPECT_NE(acentos.find('\xF3'), std::string::npos);
    EXPECT_NE(acentos.find('\xBF'), std::string::npos);

    // History: per attempt and per day, all units or one.
    const auto todos = r.HistoriaPorIntento();
    ASSERT_EQ(todos.size(), 5u);
    EXPECT_DOUBLE_EQ(todos[0].ppm, 7 * 60.0 / 1.2);   // 7 characters, 6 gaps of 200 ms
    EXPECT_DOUBLE_EQ(todos[0].acierto, 6.0 / 7);
    EXPECT_DOUBLE_EQ(todos[1].acierto, 1.0);
    EXPECT_EQ(r.HistoriaPorIntento(2).size(), 2u);
    EXPECT_EQ(r.HistoriaPorIntento(3).size(), 0u);
    const auto dias = r.HistoriaPorDia(2);
    ASSERT_EQ(dias.size(), 1u);  // all on the same day
    EXPECT_EQ(dias[0].intentos, 2u);
    EXPECT_DOUBLE_EQ(dias[0].acierto, 1.0 - 6.0 / 7);  // 7 written keys, 6 wrong (3 of them shifted)
}

TEST(Analisis, ElAvanceDelCursoSaleDelProgreso) {
    almacen::TConfiguracion c{};
    c.Realizados[0][0][0] = 1;
    c.Intentos[0][0][0] = 3;
    c.Realizados[4][0][0] = 1;
    c.Intentos[4][0][0] = 2;
    c.Intentos[0][0][1] = 9;  // tried, not done: not counted
    const Avance a = AvanceCurso(c);
    EXPECT_EQ(a.todo.total, 511);
    EXPECT_EQ(a.todo.hechos, 2);
    EXPECT_EQ(a.todo.intentos, 5u);
    EXPECT_EQ(a.unidades[0].hechos, 1);
    EXPECT_EQ(a.unidades[0].total, catalogo::EjerciciosDeUnidad(1));
    EXPECT_EQ(a.unidades[6].total, 0);
}

}  // namespace

namespace {

// A long history read back in two halves at once gives what one pass over it in memory gives.
TEST_F(Carpeta, LaLecturaEnDosMitadesDaLoMismoQueUnaSola) {
    std::vector<Intento> h;
    std::mt19937 azar(5);
    const std::string texto = "\xBF" "Qu\xE9 ping\xFC" "ino, ni\xF1o? Canci\xF3n del d\xED" "a y de la noche.";
    for (int i = 0; i < 1200; ++i) {
        std::vector<std::string> pasos = Letras(texto);
        for (auto& p : pasos)
            if (azar() % 9 == 0) p = std::string(1, "asdfgh\xE1\xE9\xB4"[azar() % 9]);
        h.push_back(Teclear(texto, pasos, Resultado::Incorrecto, catalogo::Posicion{static_cast<std::uint16_t>(1 + i % 3), 1, 1}));
    }
    {
        BaseDatos db(ruta);
        for (const Intento& in : h) db.Guardar(in);
    }
    BaseDatos db(ruta);
    const Resumen a = Analizar(db), b = Analizar(h);
    ASSERT_GE(a.pulsaciones, 50000u);  // long enough to be read in two halves
    EXPECT_EQ(a.pulsaciones, b.pulsaciones);
    for (std::size_t k = 0; k < a.teclas.size(); ++k) {
        EXPECT_EQ(a.teclas[k].esperadas, b.teclas[k].esperadas) << k;
        EXPECT_EQ(a.teclas[k].errores, b.teclas[k].errores) << k;
        EXPECT_EQ(a.teclas[k].medianaMs, b.teclas[k].medianaMs) << k;
    }
    ASSERT_EQ(a.confusiones.size(), b.confusiones.size());
    for (std::size_t k = 0; k < a.confusiones.size(); ++k) {
        EXPECT_EQ(a.confusiones[k].escrito, b.confusiones[k].escrito);
        EXPECT_EQ(a.confusiones[k].veces, b.confusiones[k].veces);
    }
    for (std::size_t k = 0; k < a.acentos.size(); ++k) {
        EXPECT_EQ(a.acentos[k].veces, b.acentos[k].veces) << k;
        EXPECT_EQ(a.acentos[k].escrita, b.acentos[k].escrita) << k;
    }
    EXPECT_GT(a.acentos[static_cast<std::size_t>(ClaseAcento::TildeDeMas)].veces, 0u);
    EXPECT_GT(a.acentos[static_cast<std::size_t>(ClaseAcento::MuertaMalUsada)].veces, 0u);
    EXPECT_EQ(a.HistoriaPorDia(2)[0].acierto, b.HistoriaPorDia(2)[0].acierto);
    EXPECT_EQ(a.AcentosFrecuentes(), b.AcentosFrecuentes());
}

}  // namespace

namespace {

// A full disk (the file size limit): the attempt is lost with one notice, the file stays whole,
// and once there is room again the next attempts are written.
TEST_F(Carpeta, DiscoLlenoUnAvisoYLuegoSigue) {
    std::vector<Servicio::Aviso> avisos;
    Servicio s(ruta, [&](Servicio::Aviso a, const std::string&) { avisos.push_back(a); });
    const std::string largo(2000, 'a');
    s.Encolar(Teclear("ab", Letras("ab")));
    s.Esperar();
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit antes{};
        ::getrlimit(RLIMIT_FSIZE, &antes);
        rlimit limite = antes;
        limite.rlim_cur = 40000;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        for (int i = 0; i < 3; ++i) s.Encolar(Teclear(largo, Letras(largo)));
        s.Esperar();
        ::setrlimit(RLIMIT_FSIZE, &antes);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0], Servicio::Aviso::NoEscrita);
    EXPECT_TRUE(s.Disponible());
    s.Encolar(Teclear("cd", Letras("cd")));
    s.Esperar();
    EXPECT_EQ(avisos.size(), 1u);
    long long intentos = 0;
    EXPECT_TRUE(s.Usar([&](BaseDatos& db) { intentos = static_cast<long long>(db.LeerIntentos().size()); }));
    EXPECT_GE(intentos, 2);
    EXPECT_LE(intentos, 4);
    EXPECT_EQ(Consulta(ruta, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Consulta(ruta, "SELECT texto FROM intento ORDER BY id DESC LIMIT 1"), "cd");
}

}  // namespace

namespace {

// The service keeps the figures between looks and reads only what was written since; warming
// them up does not create a file.
TEST_F(Carpeta, LasCifrasSeGuardanYSeLeeSoloLoNuevo) {
    Servicio s(ruta, nullptr);
    s.Precalentar();
    s.Esperar();
    EXPECT_FALSE(std::filesystem::exists(ruta));
    s.Encolar(Teclear("dddd", Letras("sssd")));
    Resumen r;
    ASSERT_TRUE(s.Analizar(r));
    EXPECT_EQ(r.pulsaciones, 4u);
    EXPECT_EQ(r.teclas[static_cast<std::size_t>(teclado::IndiceTeclaEscritura("btnD"))].errores, 3u);
    // Written by the service, and by another connection behind its back.
    s.Encolar(Teclear("dd", Letras("sd")));
    s.Esperar();
    { BaseDatos otra(ruta); otra.Guardar(Teclear("ff", Letras("ff"))); }
    s.Precalentar();
    ASSERT_TRUE(s.Analizar(r));
    EXPECT_EQ(r.intentos.size(), 3u);
    EXPECT_EQ(r.pulsaciones, 8u);
    EXPECT_EQ(r.teclas[static_cast<std::size_t>(teclado::IndiceTeclaEscritura("btnD"))].errores, 4u);
    EXPECT_EQ(r.teclas[static_cast<std::size_t>(teclado::IndiceTeclaEscritura("btnD"))].esperadas, 6u);
    // The same as reading everything afresh.
    BaseDatos db(ruta);
    const Resumen fresco = Analizar(db);
    EXPECT_EQ(fresco.pulsaciones, r.pulsaciones);
    EXPECT_EQ(fresco.confusiones.size(), r.confusiones.size());
    EXPECT_EQ(fresco.confusiones[0].veces, r.confusiones[0].veces);
    EXPECT_EQ(fresco.HistoriaPorIntento().size(), r.HistoriaPorIntento().size());
}

}  // namespace
