// What the recorded attempts say: per key and per finger, the confusions, the accent mistakes
// that matter on a Spanish keyboard, and speed and accuracy over time. Qt-free.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "estadisticas/Almacen.h"
#include "estadisticas/Intento.h"
#include "keyboard/Dedos.h"
#include "store/Configuracion.h"

namespace estadisticas {

struct Cifras {
    std::uint32_t esperadas = 0;  // presses that should have gone to it
    std::uint32_t errores = 0;
    std::uint32_t medianaMs = 0;  // median time of its presses; 0 without any
    double Tasa() const { return esperadas ? static_cast<double>(errores) / esperadas : 0.0; }
};

enum class ClaseAcento : std::uint8_t {
    TildeOlvidada, TildeDeMas, AcentoCambiado, DieresisOlvidada, MuertaMalUsada, MayusculaCambiada,
    AperturaOlvidada
};
inline constexpr int kNumClasesAcento = 7;

struct ErrorAcento {
    std::uint32_t veces = 0;
    std::string palabra;  // the learner's word as the text has it (Windows-1252)
    std::string escrita;  // the same word with what was typed in its place
};

struct Confusion {
    std::string escrito;  // what was typed
    char esperado = 0;    // what the text had
    std::uint32_t veces = 0;
};

struct PuntoHistoria {
    std::string fecha;        // the attempt's start, or the day (AAAA-MM-DD)
    double ppm = 0;           // characters per minute
    double acierto = 0;       // share of the written keys that were right, 0..1
    std::uint32_t intentos = 1;
};

struct TeclaDebil {
    int tecla = -1;   // index among the typing keys (teclado::TeclaEscritura)
    char caracter = 0;  // the character most often expected of it, to drill
    double tasa = 0;
};

// An attempt as the analysis keeps it.
struct ResumenIntento {
    std::int64_t id = 0;
    std::string inicio;
    std::optional<catalogo::Posicion> posicion;
    double segundos = 0;
    std::uint32_t caracteres = 0;
    std::uint32_t errores = 0;
    std::uint32_t escritas = 0;  // presses that wrote something
    std::string resultado;
};

struct Resumen {
    std::array<Cifras, teclado::kNumTeclasEscritura> teclas{};
    std::array<Cifras, teclado::kNumDedos> dedos{};
    std::vector<Confusion> confusiones;  // the ten most frequent, most frequent first
    std::array<ErrorAcento, kNumClasesAcento> acentos{};
    std::uint64_t pulsaciones = 0;
    std::vector<ResumenIntento> intentos;
    // Presses per expected character on each key, for the drill characters.
    std::vector<std::array<std::uint32_t, 256>> porCaracter;
    std::array<std::uint32_t, 256> acentosPorCaracter{};

    bool Vacio() const { return intentos.empty(); }
    // The n keys with the highest error rate (at least 3 presses expected, at least one error).
    std::vector<TeclaDebil> TeclasDebiles(std::size_t n = 5) const;
    // The expected characters of the accent mistakes, most frequent first (Windows-1252).
    std::string AcentosFrecuentes(std::size_t n = 5) const;
    // Per attempt and per day, for every unit (nullopt) or one.
    std::vector<PuntoHistoria> HistoriaPorIntento(std::optional<int> unidad = std::nullopt) const;
    std::vector<PuntoHistoria> HistoriaPorDia(std::optional<int> unidad = std::nullopt) const;
};

// Times are kept per whole millisecond up to this, longer pauses in the last one: medians are exact
// below it, and the state does not grow with the history.
inline constexpr std::size_t kCubetasMs = 4096;

// Fed the attempts, each before its presses, in the order of the store; may be fed more later.
class Analizador {
public:
    Analizador();
    void Intento(const IntentoGuardado& in);
    void Pulsacion(const PulsacionGuardada& p);
    // Adds what another analyser of the same attempts read from later ones.
    void Unir(Analizador&& otro);
    Resumen Resultado() const;
    bool Vacio() const { return r_.intentos.empty(); }
    std::int64_t UltimoId() const { return r_.intentos.empty() ? 0 : r_.intentos.back().id; }

private:
    void Contar(int tecla, char esperado, bool error);
    Resumen r_;
    std::vector<std::string> textos_;
    std::vector<std::array<std::uint32_t, kCubetasMs>> msTecla_;
    std::unordered_map<std::uint32_t, std::uint32_t> confusiones_;
    std::int64_t ultimo_ = -1;
    std::size_t indice_ = 0;
};

// Feeds the analyser the attempts stored after the last one it has, with their presses.
void Anadir(BaseDatos& db, Analizador& a);
Resumen Analizar(BaseDatos& db);
// In-memory attempts, numbered from 1 (tests, and a session not yet written).
Resumen Analizar(const std::vector<estadisticas::Intento>& intentos);

// The classes an erroneous press falls into; nullopt for a plain slip.
std::optional<ClaseAcento> Clasificar(char esperado, std::string_view escrito);

// The keys a character takes on the Spanish keyboard: its own key, the dead key before it and
// whether Shift is held for either. Indices among the typing keys; -1 when none.
struct Golpes {
    int principal = -1;
    int muerta = -1;
    bool shift = false;        // for the principal key
    bool shiftMuerta = false;  // for the dead key (circumflex, diaeresis)
};
Golpes GolpesDe(char c);

// How far the course has come, from the progress in memory.
struct AvanceUnidad {
    int hechos = 0, total = 0;
    std::uint32_t intentos = 0;  // attempts the done exercises took
};
struct Avance {
    std::array<AvanceUnidad, catalogo::NumUnidades> unidades{};
    AvanceUnidad todo;
};
Avance AvanceCurso(const almacen::TConfiguracion& c);

}  // namespace estadisticas
