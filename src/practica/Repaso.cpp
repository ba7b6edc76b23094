#include "practica/Repaso.h"

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <set>
#include <vector>

#include "catalogue/Catalogo.h"

namespace practica {

namespace {

bool EsLetra(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

struct Palabras {
    std::vector<std::string> todas;  // words of the prose units, letters only at both ends
    std::array<std::vector<std::uint32_t>, 256> conCaracter;  // indices into `fichas` per character
    std::vector<std::string> fichas;  // tokens as written (punctuation attached), prose first
    std::uint32_t fichasDeProsa = 0;
};

void Trocear(std::string_view texto, const std::function<void(std::string_view)>& f) {
    std::size_t i = 0;
    while (i < texto.size()) {
        while (i < texto.size() && (texto[i] == ' ' || texto[i] == '\r')) ++i;
        std::size_t j = i;
        while (j < texto.size() && texto[j] != ' ' && texto[j] != '\r') ++j;
        if (j > i) f(texto.substr(i, j - i));
        i = j;
    }
}

// Built the first time a drill is asked for, never at start-up.
const Palabras& Indice() {
    static const Palabras p = [] {
        Palabras r;
        std::set<std::string> vistas, vistasFichas;
        auto anadirFicha = [&](std::string_view f) {
            if (f.size() < 2 || f.size() > 16 || !vistasFichas.insert(std::string(f)).second) return;
            const auto k = static_cast<std::uint32_t>(r.fichas.size());
            r.fichas.emplace_back(f);
            std::array<bool, 256> ya{};
            for (char c : f) {
                const auto b = static_cast<unsigned char>(c);
                if (!ya[b]) r.conCaracter[b].push_back(k);
                ya[b] = true;
            }
        };
        // Prose (units 4 to 7) first; the drills of units 1 to 3 only for what prose never holds.
        for (int u : {4, 5, 6, 7, 1, 2, 3}) {
            if (u == 1) r.fichasDeProsa = static_cast<std::uint32_t>(r.fichas.size());
            for (int l = 1; l <= catalogo::NumLecciones; ++l)
                for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
                    if (!catalogo::Existe(u, l, e)) continue;
                    Trocear(catalogo::Texto(u, l, e), [&](std::string_view f) {
                        if (u < 4) {
                            anadirFicha(f);
                            return;
                        }
                        std::size_t a = 0, b = f.size();
                        while (a < b && !EsLetra(static_cast<unsigned char>(f[a]))) ++a;
                        while (b > a && !EsLetra(static_cast<unsigned char>(f[b - 1]))) --b;
                        const std::string_view palabra = f.substr(a, b - a);
                        if (palabra.size() >= 2 && palabra.size() <= 14 && vistas.insert(std::string(palabra)).second)
                            r.todas.emplace_back(palabra);
                        anadirFicha(palabra.size() == f.size() ? palabra : f);
                        if (palabra.size() != f.size() && palabra.size() >= 2) anadirFicha(palabra);
                    });
                }
        }
        return r;
    }();
    return p;
}

// A token that holds c, at random, from prose when prose has one.
const std::string* Elegir(const Palabras& p, unsigned char c, std::mt19937& azar) {
    const std::vector<std::uint32_t>& v = p.conCaracter[c];
    if (v.empty()) return nullptr;
    // Indices grow with `fichas`, where prose comes first.
    const auto prosa = static_cast<std::size_t>(std::lower_bound(v.begin(), v.end(), p.fichasDeProsa) - v.begin());
    std::uniform_int_distribution<std::size_t> d(0, (prosa ? prosa : v.size()) - 1);
    return &p.fichas[v[d(azar)]];
}

}  // namespace

std::string_view TodoElTeclado() {
    return "abcdefghijklmnopqrstuvwxyz\xF1\xE7\xE1\xE9\xED\xF3\xFA\xFC,.;:\xBF?\xA1!";
}

std::string GenerarRepaso(std::string_view objetivos, std::uint32_t semilla, std::size_t largo) {
    const Palabras& p = Indice();
    std::mt19937 azar(semilla);
    std::vector<unsigned char> utiles;
    for (char c : objetivos)
        if (!p.conCaracter[static_cast<unsigned char>(c)].empty()) utiles.push_back(static_cast<unsigned char>(c));
    std::shuffle(utiles.begin(), utiles.end(), azar);
    std::uniform_int_distribution<std::size_t> cualquiera(0, p.todas.size() - 1);
    std::string r;
    const std::string* anterior = nullptr;
    for (std::size_t paso = 0, turno = 0; r.size() < largo; ++paso) {
        const std::string* w = nullptr;
        for (int intento = 0; intento < 4 && (!w || w == anterior); ++intento) {
            if (utiles.empty() || paso % 4 == 3) w = &p.todas[cualquiera(azar)];
            else w = Elegir(p, utiles[turno % utiles.size()], azar);
        }
        if (!utiles.empty() && paso % 4 != 3) ++turno;
        if (!r.empty()) r += ' ';
        r += *w;
        anterior = w;
    }
    return r;
}

std::string CabeceraRepaso(std::string_view objetivos) {
    std::string s = "Repaso de: ";
    for (std::size_t i = 0; i < objetivos.size(); ++i) {
        if (i) s += ", ";
        s += objetivos[i];
    }
    return s;
}

}  // namespace practica
