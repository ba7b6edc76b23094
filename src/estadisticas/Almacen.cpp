#include "estadisticas/Almacen.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "estadisticas/Utf8.h"

namespace estadisticas {

namespace {

// The schema of version 1. Key presses are keyed by their attempt and order, without a rowid:
// one B-tree holds them in the order the analysis reads them, and no index doubles their size.
constexpr const char* kEsquema = R"(
CREATE TABLE intento (
  id         INTEGER PRIMARY KEY,
  inicio     TEXT    NOT NULL,
  origen     TEXT    NOT NULL,
  unidad     INTEGER,
  leccion    INTEGER,
  ejercicio  INTEGER,
  segundos   REAL    NOT NULL,
  caracteres INTEGER NOT NULL,
  errores    INTEGER NOT NULL,
  resultado  TEXT    NOT NULL CHECK (resultado IN ('correcto', 'incorrecto', 'abandonado')),
  ppm        REAL,
  texto      TEXT    NOT NULL
);
CREATE TABLE pulsacion (
  intento       INTEGER NOT NULL REFERENCES intento (id),
  orden         INTEGER NOT NULL,
  posicion      INTEGER NOT NULL,
  esperado      TEXT,
  escrito       TEXT    NOT NULL,
  tecla         INTEGER NOT NULL,
  modificadores INTEGER NOT NULL,
  ms            INTEGER NOT NULL,
  PRIMARY KEY (intento, orden)
) WITHOUT ROWID;
PRAGMA user_version = 1;
)";

bool EsDano(int codigo) {
    const int primario = codigo & 0xFF;
    return primario == SQLITE_CORRUPT || primario == SQLITE_NOTADB;
}

struct Sentencia {
    sqlite3_stmt* s = nullptr;
    ~Sentencia() { sqlite3_finalize(s); }
};

// Up to `max` Windows-1252 characters from a short UTF-8 column, without allocating.
std::size_t Caracteres(sqlite3_stmt* s, int i, char* destino, std::size_t max) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    if (!t) return 0;
    const auto n = static_cast<std::size_t>(sqlite3_column_bytes(s, i));
    if (n <= max) {
        bool ascii = true;
        for (std::size_t k = 0; k < n; ++k) ascii = ascii && static_cast<unsigned char>(t[k]) < 0x80;
        if (ascii) {
            std::memcpy(destino, t, n);
            return n;
        }
    }
    const std::string cp = DeUtf8(std::string_view(t, n));
    const std::size_t m = std::min(cp.size(), max);
    std::memcpy(destino, cp.data(), m);
    return m;
}

// A Windows-1252 text from a UTF-8 column.
std::string Columna(sqlite3_stmt* s, int i) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    if (!t) return {};
    const std::string_view v(t, static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
    bool ascii = true;
    for (char c : v) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    return ascii ? std::string(v) : DeUtf8(v);
}

void EscribirCampoCsv(std::FILE* f, std::string_view v) {
    bool comillas = false;
    for (char c : v) comillas = comillas || c == ',' || c == '"' || c == '\n' || c == '\r';
    if (!comillas) {
        std::fwrite(v.data(), 1, v.size(), f);
        return;
    }
    std::fputc('"', f);
    for (char c : v) {
        if (c == '"') std::fputc('"', f);
        std::fputc(c, f);
    }
    std::fputc('"', f);
}

}  // namespace

std::string FechaIso(std::chrono::system_clock::time_point t) {
    const std::time_t s = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&s, &tm);
    char base[32], zona[8];
    std::strftime(base, sizeof base, "%Y-%m-%dT%H:%M:%S", &tm);
    std::strftime(zona, sizeof zona, "%z", &tm);  // +0100
    std::string r = base;
    const std::string z = zona;
    if (z.size() == 5) r += z.substr(0, 3) + ":" + z.substr(3);
    return r;
}

std::string NombreDanado(const std::string& ruta, std::chrono::system_clock::time_point t) {
    const std::time_t s = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&s, &tm);
    char sello[32];
    std::strftime(sello, sizeof sello, "%Y%m%d-%H%M%S", &tm);
    return ruta + ".danado-" + sello;
}

BaseDatos::BaseDatos(const std::string& ruta) : ruta_(ruta) {
    try {
        Abrir();
    } catch (...) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw;
    }
}

void BaseDatos::Abrir() {
    const std::string& ruta = ruta_;
    std::error_code ec;
    const std::filesystem::path carpeta = std::filesystem::path(ruta).parent_path();
    if (!carpeta.empty()) std::filesystem::create_directories(carpeta, ec);
    // One thread at a time uses a connection (the service's lock sees to it): SQLite's own mutex
    // on every column read would cost a sixth of a full read.
    const int r = sqlite3_open_v2(ruta.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (r != SQLITE_OK) Fallo(r, "abrir");
    sqlite3_busy_timeout(db_, 5000);
    if (sqlite3_db_readonly(db_, "main") == 1)
        throw ErrorBase(ErrorBase::Tipo::NoDisponible, ruta + ": no se puede escribir en el fichero");
    // The first read finds a file that is not a database at all.
    Ejecutar("PRAGMA journal_mode = WAL");
    Ejecutar("PRAGMA synchronous = NORMAL");  // a commit survives a killed process without waiting for the disk
    // The journal is copied back into the file by Asentar, when the writer has nothing else to do;
    // the automatic copy inside a commit stays only as a bound on the journal's size.
    Ejecutar("PRAGMA wal_autocheckpoint = 16384");
    Sentencia v;
    int c = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &v.s, nullptr);
    if (c != SQLITE_OK) Fallo(c, "leer la version");
    c = sqlite3_step(v.s);
    if (c != SQLITE_ROW) Fallo(c, "leer la version");
    const int version = sqlite3_column_int(v.s, 0);
    sqlite3_reset(v.s);
    if (version == 0) {
        Sentencia t;
        c = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &t.s, nullptr);
        if (c != SQLITE_OK || sqlite3_step(t.s) != SQLITE_ROW) Fallo(c == SQLITE_OK ? sqlite3_errcode(db_) : c, "leer");
        if (sqlite3_column_int(t.s, 0) != 0)
            throw ErrorBase(ErrorBase::Tipo::Danada, ruta + ": el fichero no tiene las tablas de las estadísticas");
        Ejecutar("BEGIN IMMEDIATE");
        const int e = sqlite3_exec(db_, kEsquema, nullptr, nullptr, nullptr);
        if (e != SQLITE_OK) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            Fallo(e, "crear las tablas");
        }
        Ejecutar("COMMIT");
    } else if (version > kVersionEsquema) {
        // Written by a later version of the program: left as it is.
        throw ErrorBase(ErrorBase::Tipo::NoDisponible,
                        ruta + ": el fichero es de una versión más reciente del programa");
    }
}

BaseDatos::~BaseDatos() { sqlite3_close_v2(db_); }

void BaseDatos::Ejecutar(const char* sql) {
    const int r = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (r != SQLITE_OK) Fallo(r, sql);
}

void BaseDatos::Fallo(int codigo, const std::string& que) {
    std::string mensaje = ruta_ + ": ";
    mensaje += db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(codigo);
    (void)que;
    if (EsDano(codigo) || (db_ && EsDano(sqlite3_extended_errcode(db_))))
        throw ErrorBase(ErrorBase::Tipo::Danada, mensaje);
    throw ErrorBase(ErrorBase::Tipo::NoDisponible, mensaje);
}

std::int64_t BaseDatos::Guardar(const Intento& in) {
    Ejecutar("BEGIN IMMEDIATE");
    try {
        Sentencia a;
        int r = sqlite3_prepare_v2(db_,
                                   "INSERT INTO intento (inicio, origen, unidad, leccion, ejercicio, segundos, "
                                   "caracteres, errores, resultado, ppm, texto) VALUES (?,?,?,?,?,?,?,?,?,?,?)",
                                   -1, &a.s, nullptr);
        if (r != SQLITE_OK) Fallo(r, "preparar");
        const std::string inicio = FechaIso(in.inicio), texto = AUtf8(in.texto);
        const std::string_view origen = NombreOrigen(in.origen), resultado = NombreResultado(in.resultado);
        sqlite3_bind_text(a.s, 1, inicio.data(), static_cast<int>(inicio.size()), SQLITE_STATIC);
        sqlite3_bind_text(a.s, 2, origen.data(), static_cast<int>(origen.size()), SQLITE_STATIC);
        if (in.posicion) {
            sqlite3_bind_int(a.s, 3, in.posicion->Unidad);
            sqlite3_bind_int(a.s, 4, in.posicion->Leccion);
            sqlite3_bind_int(a.s, 5, in.posicion->Ejercicio);
        }
        sqlite3_bind_double(a.s, 6, in.segundos);
        sqlite3_bind_int64(a.s, 7, in.caracteres);
        sqlite3_bind_int64(a.s, 8, in.errores);
        sqlite3_bind_text(a.s, 9, resultado.data(), static_cast<int>(resultado.size()), SQLITE_STATIC);
        if (const auto ppm = in.Ppm()) sqlite3_bind_double(a.s, 10, *ppm);
        sqlite3_bind_text(a.s, 11, texto.data(), static_cast<int>(texto.size()), SQLITE_STATIC);
        r = sqlite3_step(a.s);
        if (r != SQLITE_DONE) Fallo(r, "guardar el intento");
        const std::int64_t id = sqlite3_last_insert_rowid(db_);

        Sentencia p;
        r = sqlite3_prepare_v2(db_,
                               "INSERT INTO pulsacion (intento, orden, posicion, esperado, escrito, tecla, "
                               "modificadores, ms) VALUES (?,?,?,?,?,?,?,?)",
                               -1, &p.s, nullptr);
        if (r != SQLITE_OK) Fallo(r, "preparar");
        std::uint32_t orden = 0;
        for (const Pulsacion& k : in.pulsaciones) {
            const std::string esperado = AUtf8(std::string_view(&k.esperado, 1)), escrito = AUtf8(k.Escrito());
            sqlite3_bind_int64(p.s, 1, id);
            sqlite3_bind_int64(p.s, 2, ++orden);
            sqlite3_bind_int64(p.s, 3, k.posicion);
            if (k.esperado) sqlite3_bind_text(p.s, 4, esperado.data(), static_cast<int>(esperado.size()), SQLITE_STATIC);
            else sqlite3_bind_null(p.s, 4);
            sqlite3_bind_text(p.s, 5, escrito.data(), static_cast<int>(escrito.size()), SQLITE_STATIC);
            sqlite3_bind_int(p.s, 6, k.tecla);
            sqlite3_bind_int(p.s, 7, k.modificadores);
            sqlite3_bind_int64(p.s, 8, k.ms);
            r = sqlite3_step(p.s);
            if (r != SQLITE_DONE) Fallo(r, "guardar una pulsación");
            sqlite3_reset(p.s);
        }
        Ejecutar("COMMIT");
        return id;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void BaseDatos::Asentar() {
    const int r = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (r != SQLITE_OK && r != SQLITE_BUSY) Fallo(r, "asentar");
}

std::vector<IntentoGuardado> BaseDatos::LeerIntentos(std::int64_t desde) {
    Sentencia s;
    int r = sqlite3_prepare_v2(db_,
                               "SELECT id, inicio, origen, unidad, leccion, ejercicio, segundos, caracteres, errores, "
                               "resultado, ppm, texto FROM intento WHERE id >= ? ORDER BY id",
                               -1, &s.s, nullptr);
    if (r != SQLITE_OK) Fallo(r, "leer");
    sqlite3_bind_int64(s.s, 1, desde);
    std::vector<IntentoGuardado> v;
    while ((r = sqlite3_step(s.s)) == SQLITE_ROW) {
        IntentoGuardado g;
        g.id = sqlite3_column_int64(s.s, 0);
        if (auto t = sqlite3_column_text(s.s, 1)) g.inicio = reinterpret_cast<const char*>(t);
        if (auto t = sqlite3_column_text(s.s, 2)) g.origen = reinterpret_cast<const char*>(t);
        if (sqlite3_column_type(s.s, 3) != SQLITE_NULL)
            g.posicion = catalogo::Posicion{static_cast<std::uint16_t>(sqlite3_column_int(s.s, 3)),
                                            static_cast<std::uint16_t>(sqlite3_column_int(s.s, 4)),
                                            static_cast<std::uint16_t>(sqlite3_column_int(s.s, 5))};
        g.segundos = sqlite3_column_double(s.s, 6);
        g.caracteres = static_cast<std::uint32_t>(sqlite3_column_int64(s.s, 7));
        g.errores = static_cast<std::uint32_t>(sqlite3_column_int64(s.s, 8));
        if (auto t = sqlite3_column_text(s.s, 9)) g.resultado = reinterpret_cast<const char*>(t);
        if (sqlite3_column_type(s.s, 10) != SQLITE_NULL) g.ppm = sqlite3_column_double(s.s, 10);
        g.texto = Columna(s.s, 11);
        v.push_back(std::move(g));
    }
    if (r != SQLITE_DONE) Fallo(r, "leer");
    return v;
}

void BaseDatos::RecorrerPulsaciones(const std::function<void(const PulsacionGuardada&)>& f, std::int64_t desde,
                                    std::int64_t hasta) {
    // Only the columns the analysis needs: reading a column is most of the cost of a row.
    Sentencia s;
    int r = sqlite3_prepare_v2(db_,
                               "SELECT intento, posicion, escrito, tecla, ms FROM pulsacion "
                               "WHERE intento >= ? AND intento < ? ORDER BY intento, orden",
                               -1, &s.s, nullptr);
    if (r != SQLITE_OK) Fallo(r, "leer");
    sqlite3_bind_int64(s.s, 1, desde);
    sqlite3_bind_int64(s.s, 2, hasta);
    PulsacionGuardada p;
    while ((r = sqlite3_step(s.s)) == SQLITE_ROW) {
        p.intento = sqlite3_column_int64(s.s, 0);
        p.posicion = static_cast<std::uint32_t>(sqlite3_column_int64(s.s, 1));
        p.largoEscrito = static_cast<std::uint8_t>(Caracteres(s.s, 2, p.escrito, 2));
        p.tecla = static_cast<std::uint16_t>(sqlite3_column_int(s.s, 3));
        p.ms = static_cast<std::uint32_t>(sqlite3_column_int64(s.s, 4));
        f(p);
    }
    if (r != SQLITE_DONE) Fallo(r, "leer");
}

std::int64_t BaseDatos::ContarPulsaciones() {
    Sentencia s;
    int r = sqlite3_prepare_v2(db_, "SELECT count(*) FROM pulsacion", -1, &s.s, nullptr);
    if (r != SQLITE_OK) Fallo(r, "leer");
    r = sqlite3_step(s.s);
    if (r != SQLITE_ROW) Fallo(r, "leer");
    return sqlite3_column_int64(s.s, 0);
}

void BaseDatos::ExportarCsv(const std::string& ficheroIntentos, const std::string& ficheroPulsaciones) {
    auto exportar = [this](const std::string& fichero, const char* sql) {
        Sentencia s;
        int r = sqlite3_prepare_v2(db_, sql, -1, &s.s, nullptr);
        if (r != SQLITE_OK) Fallo(r, "leer");
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(fichero.c_str(), "wb"), &std::fclose);
        if (!f) throw ErrorBase(ErrorBase::Tipo::NoDisponible, fichero + ": " + std::strerror(errno));
        const int n = sqlite3_column_count(s.s);
        for (int i = 0; i < n; ++i) {
            if (i) std::fputc(',', f.get());
            EscribirCampoCsv(f.get(), sqlite3_column_name(s.s, i));
        }
        std::fputc('\n', f.get());
        while ((r = sqlite3_step(s.s)) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) {
                if (i) std::fputc(',', f.get());
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s.s, i));
                if (t) EscribirCampoCsv(f.get(), std::string_view(t, static_cast<std::size_t>(sqlite3_column_bytes(s.s, i))));
            }
            std::fputc('\n', f.get());
        }
        if (r != SQLITE_DONE) Fallo(r, "leer");
        if (std::fflush(f.get()) != 0 || std::ferror(f.get()))
            throw ErrorBase(ErrorBase::Tipo::NoDisponible, fichero + ": " + std::strerror(errno));
        std::FILE* crudo = f.release();
        if (std::fclose(crudo) != 0) throw ErrorBase(ErrorBase::Tipo::NoDisponible, fichero + ": " + std::strerror(errno));
    };
    exportar(ficheroIntentos,
             "SELECT id, inicio, origen, unidad, leccion, ejercicio, segundos, caracteres, errores, resultado, ppm, "
             "texto FROM intento ORDER BY id");
    exportar(ficheroPulsaciones,
             "SELECT intento, orden, posicion, esperado, escrito, tecla, modificadores, ms FROM pulsacion "
             "ORDER BY intento, orden");
}

std::string ApartarDanada(const std::string& ruta) {
    // Kept aside for whoever wants to look into it; its journal files go with it.
    const std::string aparte = NombreDanado(ruta, std::chrono::system_clock::now());
    std::error_code ec;
    std::filesystem::rename(ruta, aparte, ec);
    if (ec) throw ErrorBase(ErrorBase::Tipo::NoDisponible, ruta + ": " + ec.message());
    for (const char* sufijo : {"-wal", "-shm"}) {
        std::error_code e2;
        if (std::filesystem::exists(ruta + sufijo, e2)) std::filesystem::rename(ruta + sufijo, aparte + sufijo, e2);
    }
    return aparte;
}

std::unique_ptr<BaseDatos> AbrirRecuperando(const std::string& ruta, std::string* renombrado) {
    try {
        return std::make_unique<BaseDatos>(ruta);
    } catch (const ErrorBase& e) {
        if (e.tipo != ErrorBase::Tipo::Danada) throw;
    }
    const std::string aparte = ApartarDanada(ruta);
    if (renombrado) *renombrado = aparte;
    return std::make_unique<BaseDatos>(ruta);
}

}  // namespace estadisticas
