#include "practica/Libre.h"

#include <algorithm>
#include <array>

#include "catalogue/Cp1252.h"
#include "keyboard/Traduccion.h"

namespace practica {

namespace {

// Code point of a valid UTF-8 sequence at s[i], advancing i; -1 for an invalid one.
long SiguienteUtf8(std::string_view s, std::size_t& i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int n;
    char32_t u;
    if (c >= 0xC2 && c <= 0xDF) n = 1, u = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 2, u = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, u = c & 0x07;
    else return -1;
    if (i + static_cast<std::size_t>(n) >= s.size()) return -1;
    for (int k = 1; k <= n; ++k) {
        const unsigned char d = b(i + static_cast<std::size_t>(k));
        if ((d & 0xC0) != 0x80) return -1;
        u = (u << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((n == 2 && u < 0x800) || (n == 3 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u <= 0xDFFF)) return -1;
    i += static_cast<std::size_t>(n) + 1;
    return static_cast<long>(u);
}

bool EsSalto(char32_t c) { return c == U'\r' || c == U'\n' || c == 0x2028 || c == 0x2029; }

// Every byte the translation produces from one key, or from a dead key and one key, in any
// modifier state and either Caps Lock state: asked of the translation itself.
const std::array<bool, 256>& Producibles() {
    static const std::array<bool, 256> tabla = [] {
        std::array<bool, 256> t{};
        const std::uint8_t estados[3] = {0, teclado::kShift, teclado::kCtrl | teclado::kAlt};
        auto anotar = [&](const std::string& s) {
            for (char c : s) t[static_cast<unsigned char>(c)] = true;
        };
        for (bool mayus : {false, true})
            for (const auto& fila : teclado::TablaTeclas())
                for (std::uint8_t m : estados) {
                    teclado::TraductorTeclas tr;
                    tr.MayusculasActivas = mayus;
                    anotar(tr.Pulsar(fila.vk, m));
                    for (const auto& muerta : teclado::TablaTeclas()) {
                        if (muerta.tipo != teclado::Tipo::Muerta) continue;
                        for (std::uint8_t mm : estados) {
                            teclado::TraductorTeclas tm;
                            tm.MayusculasActivas = mayus;
                            tm.Pulsar(muerta.vk, mm);
                            anotar(tm.Pulsar(fila.vk, m));
                        }
                    }
                }
        t['\b'] = false;  // Backspace erases
        return t;
    }();
    return tabla;
}

}  // namespace

std::u32string DecodificarFichero(std::string_view bytes, bool* utf8) {
    std::u32string r;
    r.reserve(bytes.size());
    std::size_t i = 0;
    bool valido = true;
    while (i < bytes.size()) {
        const long u = SiguienteUtf8(bytes, i);
        if (u < 0) {
            valido = false;
            break;
        }
        r += static_cast<char32_t>(u);
    }
    if (valido) {
        if (!r.empty() && r.front() == 0xFEFF) r.erase(0, 1);
    } else {
        r.clear();
        for (char c : bytes) {
            const unsigned char b = static_cast<unsigned char>(c);
            const char32_t u = cp1252::AUnicode(b);
            r += u ? u : static_cast<char32_t>(b);
        }
    }
    if (utf8) *utf8 = valido;
    return r;
}

std::u32string NormalizarSaltos(std::u32string_view t) {
    std::u32string r;
    r.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!EsSalto(t[i])) {
            r += t[i];
            continue;
        }
        if (t[i] == U'\r' && i + 1 < t.size() && t[i + 1] == U'\n') ++i;
        r += U'\r';
    }
    while (!r.empty() && r.back() == U'\r') r.pop_back();
    return r;
}

bool Tecleable(char32_t c) {
    const int b = cp1252::DeUnicode(c);
    return b >= 0 && Producibles()[static_cast<std::size_t>(b)];
}

std::u32string_view Reemplazo(char32_t c) {
    switch (c) {
    case 0x201C: case 0x201D: case 0x00AB: case 0x00BB: case 0x201E: return U"\"";
    case 0x2018: case 0x2019: return U"'";
    case 0x2013: case 0x2014: return U"-";
    case 0x2026: return U"...";
    case U'\t': case 0x00A0: case 0x1680: case 0x202F: case 0x205F: case 0x3000: return U" ";
    case 0x20AC: return U"euros";
    default: break;
    }
    if (c >= 0x2000 && c <= 0x200A) return U" ";
    return {};
}

std::u32string Reemplazar(std::u32string_view t) {
    std::u32string r;
    r.reserve(t.size() + 16);
    for (char32_t c : t) {
        const std::u32string_view s = Reemplazo(c);
        if (s.empty()) {
            r += c;
            continue;
        }
        // "5€" reads "5 euros"; "5 €" keeps its own space.
        if (c == 0x20AC && !r.empty() && r.back() != U' ' && r.back() != U'\r') r += U' ';
        r += s;
    }
    return r;
}

std::vector<NoTecleable> NoTecleables(std::u32string_view t) {
    std::vector<NoTecleable> r;
    for (char32_t c : t) {
        if (Tecleable(c)) continue;
        bool hallado = false;
        for (NoTecleable& n : r)
            if (n.caracter == c) {
                ++n.veces;
                hallado = true;
                break;
            }
        if (!hallado) r.push_back({c, 1, Reemplazo(c)});
    }
    return r;
}

namespace {
std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) s += static_cast<char>(c);
    else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}
}  // namespace

std::string NombreCaracter(char32_t c) {
    switch (c) {
    case U'\t': return "tabulador";
    case 0x00A0: return "espacio de no separaci\xC3\xB3n";
    case 0x00AD: return "guion suave";
    case 0x200B: return "espacio de anchura cero";
    case 0xFEFF: return "marca de orden de bytes";
    default: break;
    }
    if (!Reemplazo(c).empty() && Reemplazo(c) == U" ") return "espacio especial";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "car\xC3\xA1" "cter de control";
    if (c >= 0x0300 && c <= 0x036F) return "acento suelto (combinable)";
    return Utf8(c);
}

std::optional<std::string> TextoDelTeclado(std::u32string_view t) {
    std::string r;
    r.reserve(t.size());
    for (char32_t c : t) {
        if (!Tecleable(c)) return std::nullopt;
        r += static_cast<char>(cp1252::DeUnicode(c));
    }
    return r;
}

// ---------------------------------------------------------------- long texts on screen

std::vector<std::size_t> InicioLineas(std::string_view t, std::size_t columnas, bool marcarSaltos) {
    if (columnas == 0) columnas = 1;
    std::vector<std::size_t> r{0};
    std::size_t inicio = 0, columna = 0, trasEspacio = std::string_view::npos;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '\r') {
            // The mark fits on the line, or the line wraps before the word that precedes it.
            if (marcarSaltos && columna + 1 > columnas && columna > 0) {
                const std::size_t corte = trasEspacio != std::string_view::npos ? trasEspacio : i;
                r.push_back(corte);
            }
            r.push_back(i + 1);
            inicio = i + 1;
            columna = 0;
            trasEspacio = std::string_view::npos;
            continue;
        }
        if (c == ' ') {
            ++columna;
            trasEspacio = i + 1;  // a space hangs past the edge rather than starting a line
            continue;
        }
        if (columna + 1 > columnas) {
            const std::size_t corte = trasEspacio != std::string_view::npos && trasEspacio > inicio ? trasEspacio : i;
            r.push_back(corte);
            inicio = corte;
            columna = i - corte;
            trasEspacio = std::string_view::npos;
        }
        ++columna;
    }
    return r;
}

// ---------------------------------------------------------------- timed test

unsigned ErroresCopia(std::string_view escrito, std::string_view texto) {
    unsigned n = 0;
    for (std::size_t i = 0; i < escrito.size(); ++i)
        if (i >= texto.size() || escrito[i] != texto[i]) ++n;
    return n;
}

unsigned PorMinuto(long long pulsaciones, std::uint64_t ms) {
    if (ms == 0 || pulsaciones <= 0) return 0;
    return static_cast<unsigned>(static_cast<std::uint64_t>(pulsaciones) * 60000u / ms);
}

ResultadoPrueba Puntuar(std::string_view escrito, std::string_view texto, unsigned brutas, std::uint64_t ms,
                        unsigned penalizacion, unsigned objetivo) {
    ResultadoPrueba r;
    r.milisegundos = ms;
    r.brutas = brutas;
    r.errores = ErroresCopia(escrito, texto);
    r.penalizacion = penalizacion;
    const long long netas = static_cast<long long>(brutas) - static_cast<long long>(penalizacion) * r.errores;
    r.netas = netas < 0 ? 0 : netas;
    r.ppmBrutas = PorMinuto(brutas, ms);
    r.ppmNetas = PorMinuto(r.netas, ms);
    r.objetivo = objetivo;
    r.apto = r.ppmNetas >= objetivo;
    return r;
}

namespace {
std::string N(long long v) { return std::to_string(v); }
}  // namespace

std::vector<std::string> LineasResultado(const ResultadoPrueba& r) {
    const std::uint64_t s = r.milisegundos / 1000;
    std::vector<std::string> l;
    l.push_back("Tiempo: " + N(static_cast<long long>(s / 60)) + " min " + N(static_cast<long long>(s % 60)) + " s");
    l.push_back("Pulsaciones brutas: " + N(r.brutas));
    l.push_back("Errores: " + N(r.errores));
    std::string netas = "Pulsaciones netas = brutas - " + N(r.penalizacion) + " \xD7 errores = " + N(r.brutas) + " - " +
                        N(r.penalizacion) + " \xD7 " + N(r.errores) + " = ";
    const long long bruto = static_cast<long long>(r.brutas) - static_cast<long long>(r.penalizacion) * r.errores;
    netas += bruto < 0 ? N(bruto) + ", que cuenta como 0" : N(bruto);
    l.push_back(netas);
    const std::string minutos = N(static_cast<long long>(r.milisegundos / 1000)) + "," +
                                std::to_string(r.milisegundos % 1000 / 100) + " s";
    l.push_back("Pulsaciones por minuto brutas: " + N(r.ppmBrutas) + " (" + N(r.brutas) + " \xD7 60 / " + minutos + ")");
    l.push_back("Pulsaciones por minuto netas: " + N(r.ppmNetas) + " (" + N(r.netas) + " \xD7 60 / " + minutos + ")");
    l.push_back(std::string(r.apto ? "Apto" : "No apto") + " (objetivo: " + N(r.objetivo) + " pulsaciones netas por minuto)");
    return l;
}

std::string TextoCuentaAtras(std::uint64_t ms) {
    const std::uint64_t s = (ms + 999) / 1000;
    const auto dos = [](std::uint64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return dos(s / 60) + ":" + dos(s % 60);
}

bool TextoCortoParaPrueba(std::size_t caracteres, unsigned minutos) {
    return caracteres < static_cast<std::size_t>(minutos) * kPpmMaximas;
}

}  // namespace practica
