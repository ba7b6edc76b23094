#include "practica/Repaso.h"

#include <algorithm>
#include <array>
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
    std::vector<std::string> palabras;  // words of the Spanish prose, letters only at both ends
    std::vector<std::string> fichas;    // tokens as written, punctuation attached; Spanish prose first
    std::uint32_t fichasDeProsa = 0;
    std::array<std::vector<std::uint32_t>, 256> enPalabras, enFichas;  // indices per character
};

void Indexar(std::array<std::vector<std::uint32_t>, 256>& indice, std::string_view s, std::uint32_t k) {
    std::array<bool, 256> ya{};
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (!ya[b]) indice[b].push_back(k);
        ya[b] = true;
    }
}

template <typename F>
void Trocear(std::string_view texto, F&& f) {
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
        std::set<std::string_view> vistas, vistasFichas;
        // Units 4 and 5 are Spanish prose; the other languages and the drills of units 1 to 3 serve
        // only for what that prose never holds.
        for (int u : {4, 5, 6, 7, 1, 2, 3}) {
            if (u == 6) r.fichasDeProsa = static_cast<std::uint32_t>(r.fichas.size());
            for (int l = 1; l <= catalogo::NumLecciones; ++l)
                for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
                    if (!catalogo::Existe(u, l, e)) continue;
                    Trocear(catalogo::Texto(u, l, e), [&](std::string_view f) {
                        if (f.size() <= 16 && vistasFichas.insert(f).second) {
                            Indexar(r.enFichas, f, static_cast<std::uint32_t>(r.fichas.size()));
                            r.fichas.emplace_back(f);
                        }
                        if (u < 4 || u > 5) return;
                        std::size_t a = 0, b = f.size();
                        while (a < b && !EsLetra(static_cast<unsigned char>(f[a]))) ++a;
                        while (b > a && !EsLetra(static_cast<unsigned char>(f[b - 1]))) --b;
                        const std::string_view w = f.substr(a, b - a);
                        if (w.size() >= 2 && w.size() <= 14 && vistas.insert(w).second) {
                            Indexar(r.enPalabras, w, static_cast<std::uint32_t>(r.palabras.size()));
                            r.palabras.emplace_back(w);
                        }
                    });
                }
        }
        return r;
    }();
    return p;
}

bool Disponible(const Palabras& p, unsigned char c) { return !p.enFichas[c].empty(); }

// A word that holds c, at random: a clean word of the prose for a letter, a token as written
// (its punctuation attached) for a sign, from the Spanish prose when it has a few.
const std::string& Elegir(const Palabras& p, unsigned char c, std::mt19937& azar) {
    if (EsLetra(c) && !p.enPalabras[c].empty()) {
        const std::vector<std::uint32_t>& v = p.enPalabras[c];
        return p.palabras[v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(azar)]];
    }
    const std::vector<std::uint32_t>& v = p.enFichas[c];
    const auto prosa = static_cast<std::size_t>(std::lower_bound(v.begin(), v.end(), p.fichasDeProsa) - v.begin());
    return p.fichas[v[std::uniform_int_distribution<std::size_t>(0, (prosa >= 5 ? prosa : v.size()) - 1)(azar)]];
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
        if (Disponible(p, static_cast<unsigned char>(c))) utiles.push_back(static_cast<unsigned char>(c));
    std::shuffle(utiles.begin(), utiles.end(), azar);
    std::uniform_int_distribution<std::size_t> cualquiera(0, p.palabras.size() - 1);
    std::string r;
    const std::string* anterior = nullptr;
    for (std::size_t paso = 0, turno = 0; r.size() < largo; ++paso) {
        const std::string* w = nullptr;
        for (int intento = 0; intento < 4 && (!w || w == anterior); ++intento) {
            if (utiles.empty() || paso % 4 == 3) w = &p.palabras[cualquiera(azar)];
            else w = &Elegir(p, utiles[turno % utiles.size()], azar);
        }
        if (!utiles.empty() && paso % 4 != 3) ++turno;
        if (!r.empty()) r += ' ';
        r += *w;
        anterior = w;
    }
    return r;
}

std::string ObjetivosRepaso(std::string_view teclas, std::string_view acentos) {
    const Palabras& p = Indice();
    std::string r;
    auto anadir = [&](std::string_view de, std::size_t cuantos) {
        std::size_t n = 0;
        for (char c : de) {
            if (n == cuantos) break;
            if (r.find(c) != std::string::npos || !Disponible(p, static_cast<unsigned char>(c))) continue;
            r += c;
            ++n;
        }
    };
    anadir(teclas, kTeclasRepaso);
    anadir(acentos, kAcentosRepaso);
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
