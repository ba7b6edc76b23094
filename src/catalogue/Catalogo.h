// The exercise catalogue: constant tables generated from data/catalogo at build time.
// Strings are Windows-1252; an absent entry is a null pointer.
#pragma once

#include <cstdint>
#include <string_view>

namespace catalogo {

inline constexpr int NumUnidades = 7;
inline constexpr int NumLecciones = 12;
inline constexpr int NumEjercicios = 15;

struct TEjercicio {
    const char* Titulo;
    const char* Texto;
    std::uint16_t Longitud;  // characters of Texto
};

extern const char* const TitulosLecciones[NumUnidades][NumLecciones];
extern const TEjercicio Ejercicios[NumUnidades][NumLecciones][NumEjercicios];

struct Posicion {
    std::uint16_t Unidad = 1;
    std::uint16_t Leccion = 1;
    std::uint16_t Ejercicio = 1;
    friend bool operator==(const Posicion&, const Posicion&) = default;
};

// Look-ups by 1-based position; callers stay inside the bounds.
inline const TEjercicio& Entrada(int u, int l, int e) { return Ejercicios[u - 1][l - 1][e - 1]; }
inline bool Existe(int u, int l, int e) { return Entrada(u, l, e).Texto != nullptr; }
inline bool Existe(const Posicion& p) { return Existe(p.Unidad, p.Leccion, p.Ejercicio); }

// Absent strings read as empty.
std::string_view TituloLeccion(int u, int l);
std::string_view TituloEjercicio(int u, int l, int e);
std::string_view Texto(int u, int l, int e);
inline std::string_view Texto(const Posicion& p) { return Texto(p.Unidad, p.Leccion, p.Ejercicio); }

// Every existing exercise in catalogue order: unit, then lesson, then exercise; absent slots skipped.
template <typename F>
void ParaCadaEjercicio(F&& f) {
    for (int u = 1; u <= NumUnidades; ++u)
        for (int l = 1; l <= NumLecciones; ++l)
            for (int e = 1; e <= NumEjercicios; ++e)
                if (Existe(u, l, e))
                    f(Posicion{static_cast<std::uint16_t>(u), static_cast<std::uint16_t>(l),
                               static_cast<std::uint16_t>(e)});
}

// Existing exercises of one unit (the graph's N); a unit is offered only when this is above 0.
int EjerciciosDeUnidad(int u);

}  // namespace catalogo
