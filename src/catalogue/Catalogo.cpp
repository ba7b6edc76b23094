#include "catalogue/Catalogo.h"

namespace catalogo {

namespace {
std::string_view O(const char* s) { return s ? std::string_view(s) : std::string_view(); }
}  // namespace

std::string_view TituloLeccion(int u, int l) { return O(TitulosLecciones[u - 1][l - 1]); }
std::string_view TituloEjercicio(int u, int l, int e) { return O(Entrada(u, l, e).Titulo); }
std::string_view Texto(int u, int l, int e) {
    const TEjercicio& x = Entrada(u, l, e);
    return x.Texto ? std::string_view(x.Texto, x.Longitud) : std::string_view();
}

int EjerciciosDeUnidad(int u) {
    int n = 0;
    for (int l = 1; l <= NumLecciones; ++l)
        for (int e = 1; e <= NumEjercicios; ++e)
            if (Existe(u, l, e)) ++n;
    return n;
}

}  // namespace catalogo
