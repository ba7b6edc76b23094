// The attempts-and-key-presses store: one SQLite file, written one finished attempt per
// transaction, and read back for the analysis and the CSV export. Qt-free.
#pragma once

#include <cstdint>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "estadisticas/Intento.h"

struct sqlite3;

namespace estadisticas {

inline constexpr int kVersionEsquema = 1;

class ErrorBase : public std::runtime_error {
public:
    enum class Tipo { Danada, NoDisponible };
    ErrorBase(Tipo t, const std::string& mensaje) : std::runtime_error(mensaje), tipo(t) {}
    Tipo tipo;
};

// An attempt as stored, without its key presses.
struct IntentoGuardado {
    std::int64_t id = 0;
    std::string inicio;   // ISO 8601, local time with its offset
    std::string origen;
    std::optional<catalogo::Posicion> posicion;
    double segundos = 0;
    std::uint32_t caracteres = 0;
    std::uint32_t errores = 0;
    std::string resultado;
    std::optional<double> ppm;
    std::string texto;    // Windows-1252
};

// What the analysis reads of a stored key press (its text's character comes from the attempt's
// text, its order from the order of reading); escrito is Windows-1252.
struct PulsacionGuardada {
    std::int64_t intento = 0;
    std::uint32_t posicion = 0;
    std::uint8_t largoEscrito = 0;
    char escrito[2] = {0, 0};
    std::uint16_t tecla = 0;
    std::uint32_t ms = 0;
    std::string_view Escrito() const { return {escrito, largoEscrito}; }
};

// "2026-12-08T09:15:03+01:00" for the local time zone.
std::string FechaIso(std::chrono::system_clock::time_point t);

class BaseDatos {
public:
    // Opens the file, creating it and its folder when missing, and brings the schema to this
    // version. ErrorBase::Danada for a file that is not a database or that SQLite finds damaged
    // NoDisponible when it cannot be opened or
    // written.
    explicit BaseDatos(const std::string& ruta);
    ~BaseDatos();
    BaseDatos(const BaseDatos&) = delete;
    BaseDatos& operator=(const BaseDatos&) = delete;

    // Writes the attempt and its key presses in one transaction; returns its id.
    std::int64_t Guardar(const Intento& intento);
    // Copies the written-ahead journal back into the file (what readers then need not look up).
    void Asentar();

    // The attempts from id `desde` on, in order.
    std::vector<IntentoGuardado> LeerIntentos(std::int64_t desde = 0);
    // The key presses of the attempts desde <= id < hasta, in the order of their attempt and then
    // of their press.
    void RecorrerPulsaciones(const std::function<void(const PulsacionGuardada&)>& f, std::int64_t desde = 0,
                             std::int64_t hasta = INT64_MAX);
    std::int64_t ContarPulsaciones();

    // The two tables as UTF-8 CSV files with a header row.
    void ExportarCsv(const std::string& ficheroIntentos, const std::string& ficheroPulsaciones);

    sqlite3* Conexion() const { return db_; }
    const std::string& Ruta() const { return ruta_; }

private:
    void Abrir();
    void Ejecutar(const char* sql);
    [[noreturn]] void Fallo(int codigo, const std::string& que);
    std::string ruta_;
    sqlite3* db_ = nullptr;
};

// The name a damaged file is kept under: "<ruta>.danado-AAAAMMDD-HHMMSS".
std::string NombreDanado(const std::string& ruta, std::chrono::system_clock::time_point t);

// Renames a damaged file aside, with its journal files; returns the name it now has.
std::string ApartarDanada(const std::string& ruta);

// Opens the store; a damaged file is renamed aside (with its journal files) and a new one started.
// *renombrado receives the name the damaged file now has, or stays empty.
std::unique_ptr<BaseDatos> AbrirRecuperando(const std::string& ruta, std::string* renombrado);

}  // namespace estadisticas
