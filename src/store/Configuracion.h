// The progress and settings block and the checksummed file that holds it. Qt-free.
//
// The file is the 3936 bytes of TConfiguracion exactly as laid out below (little-endian whatever
// the host), followed by the TCheckSum trailer: a valid file is 3948 bytes long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "store/CheckSum.h"

namespace almacen {

inline constexpr int kUnidades = 7;
inline constexpr int kLecciones = 12;
inline constexpr int kEjercicios = 15;

struct TConfiguracion {
    std::uint8_t Reservado0;
    std::uint8_t Reservado1;
    std::uint8_t Reservado2[50];
    std::uint8_t VerManos;             // 0 no hands, 1 plain, 2 coloured by finger
    std::uint8_t PintarTecladoActivo;  // 0 plain keyboard, 1 coloured by finger
    std::uint8_t SonidoTeclaActivo;    // boolean byte
    std::uint8_t SonidoLeccionActivo;  // boolean byte
    std::uint8_t Reservado56[100];
    std::uint8_t Realizados[kUnidades][kLecciones][kEjercicios];  // non-zero = done
    std::uint16_t Intentos[kUnidades][kLecciones][kEjercicios];
};

inline constexpr std::size_t kTamanoBloque = 3936;
inline constexpr std::size_t kTamanoFichero = kTamanoBloque + 12;

static_assert(std::is_standard_layout_v<TConfiguracion> && std::is_trivially_copyable_v<TConfiguracion>);
static_assert(sizeof(TConfiguracion) == kTamanoBloque, "the block is written as it lies in memory");
static_assert(offsetof(TConfiguracion, Reservado0) == 0);
static_assert(offsetof(TConfiguracion, Reservado1) == 1);
static_assert(offsetof(TConfiguracion, Reservado2) == 2);
static_assert(offsetof(TConfiguracion, VerManos) == 52);
static_assert(offsetof(TConfiguracion, PintarTecladoActivo) == 53);
static_assert(offsetof(TConfiguracion, SonidoTeclaActivo) == 54);
static_assert(offsetof(TConfiguracion, SonidoLeccionActivo) == 55);
static_assert(offsetof(TConfiguracion, Reservado56) == 56);
static_assert(offsetof(TConfiguracion, Realizados) == 156);
static_assert(offsetof(TConfiguracion, Intentos) == 1416);

// Position of exercise (u, l, e), all 1-based, in the unit-major arrays. Callers stay in bounds.
constexpr std::size_t IndiceEjercicio(int u, int l, int e) {
    return static_cast<std::size_t>(180 * (u - 1) + 15 * (l - 1) + (e - 1));
}
constexpr std::size_t OffsetRealizado(int u, int l, int e) { return 156 + IndiceEjercicio(u, l, e); }
constexpr std::size_t OffsetIntento(int u, int l, int e) { return 1416 + 2 * IndiceEjercicio(u, l, e); }

inline std::uint8_t& Realizado(TConfiguracion& c, int u, int l, int e) { return c.Realizados[u - 1][l - 1][e - 1]; }
inline std::uint16_t& Intento(TConfiguracion& c, int u, int l, int e) { return c.Intentos[u - 1][l - 1][e - 1]; }

// Bytes 0 and 1, the settings and all progress; the reserved ranges are left as they are.
void ConfiguracionPorDefecto(TConfiguracion& c);

enum class Carga {
    Leida,     // a valid file was read
    NoExiste,  // no file: defaults, saved
    Invalida,  // no trailer or wrong sum: old file kept as .bak, defaults saved, no message
    Corta,     // valid trailer but fewer than 3936 bytes: as Invalida, and the user is told
};

// Creates ruta's folder (with its parents) when missing, then reads ruta into c, or falls back to
// defaults and saves them. Before defaults replace an existing file, that file is copied to
// ruta + ".bak" (replacing an older copy, with the file's permission bits). A file the user may
// not read (by its bits, also for root) is an error. Stored values are taken without range checks; the
// reserved ranges keep what the file held. Throws ErrorFichero on any input/output failure,
// including a directory or other non-regular file at ruta; nothing is replaced in that case.
Carga CargarConfiguracion(const std::string& ruta, TConfiguracion& c);

// Creates ruta's folder when missing and replaces ruta with the block and its trailer. The new file
// is written and sealed under a temporary name in the same folder, flushed and renamed over ruta,
// so that a failure, a crash or a full disk leaves the previous file as it was; temporary files
// that a killed save left there are removed. A symbolic link at ruta is kept and its target
// replaced, with its permission bits. An existing file the user may not write or read (by its own
// bits, also for root) is not replaced. Throws ErrorFichero, after removing the temporary file.
void GuardarConfiguracion(const std::string& ruta, const TConfiguracion& c);

// One more attempt at (u, l, e); the counter stops at 65535 rather than wrapping to 0.
void SumarIntento(TConfiguracion& c, int unidad, int leccion, int ejercicio);

}  // namespace almacen
