// Build-time generator: reads data/catalogo/unidad1.txt .. unidad7.txt (UTF-8) and writes the
// constant catalogue tables in Windows-1252. Any rule a single text can break stops the build,
// reported as file:line: reason.
//
//   generar_catalogo OUT.cpp UNIDAD1.txt ... UNIDAD7.txt

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/Cp1252.h"

using cp1252::Utf8;

namespace {

constexpr int kUnidades = 7, kLecciones = 12, kEjercicios = 15;

struct Texto {
    std::string titulo;              // Windows-1252
    std::vector<std::string> lineas; // Windows-1252
    std::vector<int> numLinea;
    int lineaCabecera = 0;
};

struct Unidad {
    std::map<int, std::string> lecciones;
    std::map<std::pair<int, int>, Texto> ejercicios;
};

std::vector<std::string> errores;

void Error(const std::string& fichero, int linea, const std::string& motivo) {
    errores.push_back(fichero + ":" + std::to_string(linea) + ": " + motivo);
}

std::string Base(const std::string& ruta) {
    auto p = ruta.find_last_of('/');
    return p == std::string::npos ? ruta : ruta.substr(p + 1);
}

// UTF-8 to code points; false on a malformed sequence.
bool DecodificarUtf8(const std::string& s, std::u32string& out) {
    out.clear();
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t u = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d >> 6) != 2) return false;
            u = (u << 6) | (d & 0x3F);
        }
        out.push_back(u);
        i += n;
    }
    return true;
}


// A line of the file in Windows-1252, or an error.
bool A1252(const std::string& utf8, std::string& out, const std::string& f, int n) {
    std::u32string u;
    if (!DecodificarUtf8(utf8, u)) { Error(f, n, "not valid UTF-8"); return false; }
    out.clear();
    for (char32_t c : u) {
        int b = cp1252::DeUnicode(c);
        if (b < 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
            Error(f, n, "character " + Utf8(c) + " (" + hex + ") cannot be held in Windows-1252");
            return false;
        }
        out += static_cast<char>(b);
    }
    return true;
}

// The 115 characters the exercise texts may use (Windows-1252 bytes), the carriage return aside.
const std::string& Repertorio() {
    static const std::string r = [] {
        std::string s = " 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        s += "!$%&'()+,-./:;<=>?[]_|\"@";
        for (unsigned char c : {0xF1, 0xE7, 0xC7, 0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xC1, 0xC9, 0xCD,
                                0xD3, 0xDA, 0xE0, 0xE8, 0xEC, 0xF2, 0xC0, 0xC8, 0xD2, 0xFC, 0xEF,
                                0xA1, 0xAA, 0xB7, 0xBA, 0xBF})
            s += static_cast<char>(c);
        return s;
    }();
    return r;
}

bool En(const std::string& conjunto, char c) { return conjunto.find(c) != std::string::npos; }

std::string Mostrar(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) { char h[8]; std::snprintf(h, sizeof h, "0x%02X", b); return h; }
    return "'" + Utf8(cp1252::AUnicode(b)) + "'";
}

void ComprobarTexto(const std::string& f, int unidad, const Texto& t) {
    static const std::string drill = " 0123456789abcdefghijklmnopqrstuvwxyz\xF1,-.'+<\xA1\xBA";
    static const std::string soloUnidad6 = "\xE7\xC7\xEF\xB7[]|>";
    static const std::string graves = "\xE0\xE8\xEC\xF2\xC0\xC8\xD2";
    struct Rango { size_t min, max; };
    static const Rango rangos[kUnidades] = {{143, 254}, {179, 209}, {189, 208}, {422, 1379},
                                            {614, 1456}, {762, 1304}, {1, 1456}};
    size_t longitud = t.lineas.size() - 1;
    for (const auto& l : t.lineas) longitud += l.size();
    int cab = t.lineaCabecera;
    const Rango& r = rangos[unidad - 1];
    if (longitud < r.min || longitud > r.max)
        Error(f, cab, "text has " + std::to_string(longitud) + " characters; unit " +
                          std::to_string(unidad) + " takes " + std::to_string(r.min) + " to " +
                          std::to_string(r.max));
    if (unidad <= 3 && t.lineas.size() != 1)
        Error(f, cab, "a drill is one line; this text has " + std::to_string(t.lineas.size()));
    if (unidad >= 4 && t.lineas.size() > 16)
        Error(f, cab, "a passage has at most 16 lines; this has " + std::to_string(t.lineas.size()));
    for (size_t i = 0; i < t.lineas.size(); ++i) {
        const std::string& l = t.lineas[i];
        int n = t.numLinea[i];
        if (!l.empty() && l.front() == ' ')
            Error(f, n, i == 0 ? "text starts with a space" : "space after a line break");
        if (!l.empty() && l.back() == ' ')
            Error(f, n, i + 1 == t.lineas.size() ? "text ends with a space" : "space before a line break");
        if (l.find("  ") != std::string::npos) Error(f, n, "two spaces in a row");
        if (l.find("&&") != std::string::npos) Error(f, n, "an ampersand is stored once, not as a pair");
        std::set<char> vistos;
        for (char c : l) {
            if (!vistos.insert(c).second) continue;
            if (!En(Repertorio(), c)) Error(f, n, "character " + Mostrar(c) + " is outside the repertoire");
            else if (unidad <= 2 && !En(drill, c))
                Error(f, n, "character " + Mostrar(c) + " is not used in units 1 and 2");
            else if (unidad != 6 && En(soloUnidad6, c))
                Error(f, n, "character " + Mostrar(c) + " occurs only in unit 6");
            else if (unidad <= 3 && En(graves, c))
                Error(f, n, "grave vowels do not occur in the drill units");
        }
    }
}

bool Numero(const std::string& s, size_t& pos, int& valor) {
    size_t ini = pos;
    valor = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - ini < 4) valor = valor * 10 + (s[pos++] - '0');
    return pos > ini;
}

// "# Lección L: T" (nivel 1) or "## Ejercicio E: T" (nivel 2).
bool Cabecera(const std::string& linea, const std::string& prefijo, int& numero, std::string& titulo) {
    if (linea.compare(0, prefijo.size(), prefijo) != 0) return false;
    size_t p = prefijo.size();
    if (!Numero(linea, p, numero)) return false;
    if (linea.compare(p, 2, ": ") != 0) return false;
    titulo = linea.substr(p + 2);
    return true;
}

void LeerUnidad(const std::string& ruta, int unidad, Unidad& u) {
    const std::string f = Base(ruta);
    std::ifstream in(ruta, std::ios::binary);
    if (!in) { Error(f, 0, "cannot be read"); return; }
    std::stringstream ss;
    ss << in.rdbuf();
    std::string todo = ss.str();
    std::vector<std::string> lineas;
    {
        size_t ini = 0;
        while (ini <= todo.size()) {
            size_t fin = todo.find('\n', ini);
            if (fin == std::string::npos) { if (ini < todo.size()) lineas.push_back(todo.substr(ini)); break; }
            lineas.push_back(todo.substr(ini, fin - ini));
            ini = fin + 1;
        }
    }
    int leccion = 0;
    Texto* actual = nullptr;
    bool blanco = false;
    for (size_t i = 0; i < lineas.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        std::string linea;
        if (lineas[i].find('\r') != std::string::npos) { Error(f, n, "carriage return in the file; line ends are LF"); continue; }
        if (lineas[i].find('\t') != std::string::npos) { Error(f, n, "tab character"); continue; }
        if (!A1252(lineas[i], linea, f, n)) continue;
        int num = 0;
        std::string titulo;
        if (Cabecera(linea, "# Lecci\xF3n ", num, titulo)) {
            if (num < 1 || num > kLecciones) { Error(f, n, "lesson " + std::to_string(num) + " out of range 1..12"); actual = nullptr; leccion = 0; continue; }
            if (u.lecciones.count(num)) Error(f, n, "lesson " + std::to_string(num) + " declared twice");
            u.lecciones[num] = titulo;
            leccion = num;
            actual = nullptr;
            blanco = false;
            continue;
        }
        if (Cabecera(linea, "## Ejercicio ", num, titulo)) {
            blanco = false;
            actual = nullptr;
            if (leccion == 0) { Error(f, n, "exercise outside a lesson"); continue; }
            if (num < 1 || num > kEjercicios) { Error(f, n, "exercise " + std::to_string(num) + " out of range 1..15"); continue; }
            auto clave = std::make_pair(leccion, num);
            if (u.ejercicios.count(clave)) { Error(f, n, "exercise " + std::to_string(num) + " of lesson " + std::to_string(leccion) + " declared twice"); continue; }
            Texto& t = u.ejercicios[clave];
            t.titulo = titulo;
            t.lineaCabecera = n;
            actual = &t;
            continue;
        }
        if (!linea.empty() && linea[0] == '#') { Error(f, n, "header not understood"); continue; }
        if (linea.empty()) { blanco = true; continue; }
        if (!actual) { Error(f, n, "text outside an exercise"); continue; }
        if (blanco && !actual->lineas.empty()) Error(f, n, "blank line inside a text");
        blanco = false;
        actual->lineas.push_back(linea);
        actual->numLinea.push_back(n);
    }
    for (auto& [clave, t] : u.ejercicios) {
        if (t.lineas.empty()) { Error(f, t.lineaCabecera, "exercise without text"); continue; }
        ComprobarTexto(f, unidad, t);
    }
}

std::string Literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
        else if (c < 0x20 || c >= 0x7F || c == '?') {
            char o[8];
            std::snprintf(o, sizeof o, "\\%03o", c);
            out += o;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 + kUnidades) {
        std::cerr << "usage: generar_catalogo OUT.cpp unidad1.txt ... unidad7.txt\n";
        return 2;
    }
    std::vector<Unidad> unidades(kUnidades);
    for (int u = 0; u < kUnidades; ++u) LeerUnidad(argv[2 + u], u + 1, unidades[u]);
    // Two identical texts anywhere in the catalogue.
    std::map<std::string, std::string> vistos;
    for (int u = 0; u < kUnidades; ++u)
        for (auto& [clave, t] : unidades[u].ejercicios) {
            std::string texto;
            for (size_t i = 0; i < t.lineas.size(); ++i) texto += (i ? "\r" : "") + t.lineas[i];
            std::string donde = Base(argv[2 + u]) + ":" + std::to_string(t.lineaCabecera);
            auto [it, nuevo] = vistos.emplace(texto, donde);
            if (!nuevo && !texto.empty()) Error(Base(argv[2 + u]), t.lineaCabecera, "same text as " + it->second);
        }
    if (!errores.empty()) {
        for (auto& e : errores) std::cerr << e << "\n";
        std::cerr << errores.size() << " problem(s) in the catalogue\n";
        return 1;
    }
    std::ostringstream o;
    o << "// Generated from data/catalogo by generar_catalogo. Do not edit.\n"
         "#include \"catalogue/Catalogo.h\"\n\nnamespace catalogo {\n\n"
         "const char* const TitulosLecciones[NumUnidades][NumLecciones] = {\n";
    for (int u = 0; u < kUnidades; ++u) {
        o << "  {";
        for (int l = 1; l <= kLecciones; ++l) {
            auto it = unidades[u].lecciones.find(l);
            o << (l > 1 ? ", " : "") << (it == unidades[u].lecciones.end() ? "nullptr" : Literal(it->second));
        }
        o << "},\n";
    }
    o << "};\n\nconst TEjercicio Ejercicios[NumUnidades][NumLecciones][NumEjercicios] = {\n";
    for (int u = 0; u < kUnidades; ++u) {
        o << " {\n";
        for (int l = 1; l <= kLecciones; ++l) {
            o << "  {\n";
            for (int e = 1; e <= kEjercicios; ++e) {
                auto it = unidades[u].ejercicios.find({l, e});
                if (it == unidades[u].ejercicios.end()) { o << "   {nullptr, nullptr, 0},\n"; continue; }
                std::string texto;
                for (size_t i = 0; i < it->second.lineas.size(); ++i) texto += (i ? "\r" : "") + it->second.lineas[i];
                o << "   {" << Literal(it->second.titulo) << ",\n    " << Literal(texto) << ", " << texto.size() << "},\n";
            }
            o << "  },\n";
        }
        o << " },\n";
    }
    o << "};\n\n}  // namespace catalogo\n";
    // Write only when changed, so that an unchanged catalogue rebuilds nothing.
    std::string nuevo = o.str();
    {
        std::ifstream viejo(argv[1], std::ios::binary);
        std::stringstream ss;
        if (viejo) { ss << viejo.rdbuf(); if (ss.str() == nuevo) return 0; }
    }
    std::string tmp = std::string(argv[1]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << nuevo;
        if (!out) { std::cerr << argv[1] << ": cannot be written\n"; return 1; }
    }
    if (std::rename(tmp.c_str(), argv[1]) != 0) { std::cerr << argv[1] << ": cannot be written\n"; return 1; }
    return 0;
}
