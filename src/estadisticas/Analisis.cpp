#include "estadisticas/Analisis.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <map>
#include <thread>

#include "keyboard/Traduccion.h"

namespace estadisticas {

namespace {

bool EsAcento(char c) {
    return c == teclado::kGrave || c == teclado::kCircunflejo || c == teclado::kAgudo || c == teclado::kDieresis;
}

unsigned char Minuscula(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    return c;
}

struct Tablas {
    std::array<Golpes, 256> golpes{};
    std::array<std::array<signed char, 2>, 256> porVk{};  // the typing keys a virtual key lowers
    std::array<unsigned char, 256> base{};   // a composed letter's plain letter, same case
    std::array<char, 256> acento{};          // its accent; 0 for every other character
    int shiftIzq = -1, shiftDer = -1;
};

const Tablas& LasTablas() {
    static const Tablas t = [] {
        Tablas t;
        for (int c = 0; c < 256; ++c) t.base[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
        for (auto& v : t.porVk) v = {-1, -1};
        for (const teclado::FilaTecla& f : teclado::TablaTeclas())
            for (std::size_t k = 0; k < 2; ++k)
                if (f.paneles[k]) t.porVk[f.vk][k] = static_cast<signed char>(teclado::IndiceTeclaEscritura(f.paneles[k]));
        t.shiftIzq = teclado::IndiceTeclaEscritura("btnMayusculasIzq");
        t.shiftDer = teclado::IndiceTeclaEscritura("btnMayusculasDer");
        auto poner = [&t](unsigned char c, Golpes g) {
            if (c && t.golpes[c].principal < 0) t.golpes[c] = g;
        };
        struct Muerta { char acento; int tecla; bool shift; };
        std::vector<Muerta> muertas;
        for (const teclado::FilaTecla& f : teclado::TablaTeclas()) {
            const int i = teclado::IndiceTeclaEscritura(f.paneles[0]);
            if (i < 0) continue;
            switch (f.tipo) {
            case teclado::Tipo::Letra:
            case teclado::Tipo::Simbolo:
            case teclado::Tipo::Espacio:
            case teclado::Tipo::Intro:
                poner(f.normal, {i, -1, false, false});
                poner(f.shift, {i, -1, f.shift != f.normal, false});
                poner(f.altgr, {i, -1, false, false});
                break;
            case teclado::Tipo::Muerta:
                // An accent on its own is the dead key followed by the space bar.
                poner(f.normal, {i, -1, false, false});
                poner(f.shift, {i, -1, true, false});
                poner(f.altgr, {i, -1, false, false});
                muertas.push_back({static_cast<char>(f.normal), i, false});
                muertas.push_back({static_cast<char>(f.shift), i, true});
                break;
            default:
                break;
            }
        }
        for (const char vocal : {'A', 'E', 'I', 'O', 'U', 'Y'}) {
            const int i = teclado::IndiceTeclaEscritura(std::string("btn") + vocal);
            for (const Muerta& m : muertas)
                for (const unsigned char letra : {static_cast<unsigned char>(vocal), Minuscula(static_cast<unsigned char>(vocal))}) {
                    const unsigned char c = teclado::Componer(m.acento, letra);
                    if (!c) continue;
                    t.golpes[c] = {i, m.tecla, letra == static_cast<unsigned char>(vocal), m.shift};
                    t.base[c] = letra;
                    t.acento[c] = m.acento;
                }
        }
        return t;
    }();
    return t;
}

// The word of the text around a position: between spaces or line breaks.
std::pair<std::size_t, std::size_t> Palabra(std::string_view texto, std::size_t pos) {
    if (pos >= texto.size()) return {texto.size(), texto.size()};
    auto corte = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
    std::size_t a = pos, b = pos;
    while (a > 0 && !corte(texto[a - 1])) --a;
    while (b < texto.size() && !corte(texto[b])) ++b;
    return {a, b};
}

// The middle value (rank n / 2 from 0) of a histogram of whole milliseconds.
template <class H>
std::uint32_t Mediana(const H& h) {
    std::uint64_t n = 0;
    for (const std::uint32_t c : h) n += c;
    if (n == 0) return 0;
    std::uint64_t suma = 0;
    for (std::size_t ms = 0; ms < h.size(); ++ms) {
        suma += h[ms];
        if (suma > n / 2) return static_cast<std::uint32_t>(ms);
    }
    return static_cast<std::uint32_t>(h.size() - 1);
}

}  // namespace

Golpes GolpesDe(char c) { return LasTablas().golpes[static_cast<unsigned char>(c)]; }

std::optional<ClaseAcento> Clasificar(char esperado, std::string_view escrito) {
    if (escrito.empty()) return std::nullopt;
    const auto e = static_cast<unsigned char>(esperado);
    if ((e == 0xBF || e == 0xA1) && escrito != std::string_view(&esperado, 1)) return ClaseAcento::AperturaOlvidada;
    // An accent that came out on its own, or before a letter it cannot sit on.
    if (EsAcento(escrito[0]) && escrito[0] != esperado) return ClaseAcento::MuertaMalUsada;
    if (escrito.size() != 1) return std::nullopt;
    const auto w = static_cast<unsigned char>(escrito[0]);
    if (w != e && Minuscula(w) == Minuscula(e)) return ClaseAcento::MayusculaCambiada;
    const Tablas& t = LasTablas();
    if (t.base[e] != t.base[w]) return std::nullopt;
    const char ae = t.acento[e], aw = t.acento[w];
    if (ae == aw) return std::nullopt;
    if (!aw) return ae == teclado::kDieresis ? ClaseAcento::DieresisOlvidada : ClaseAcento::TildeOlvidada;
    if (!ae) return ClaseAcento::TildeDeMas;
    return ClaseAcento::AcentoCambiado;
}

Analizador::Analizador() : msTecla_(teclado::kNumTeclasEscritura) {
    for (auto& h : msTecla_) h.fill(0);
    r_.porCaracter.resize(teclado::kNumTeclasEscritura);
    for (auto& a : r_.porCaracter) a.fill(0);
}

void Analizador::Intento(const IntentoGuardado& in) {
    ResumenIntento ri;
    ri.id = in.id;
    ri.inicio = in.inicio;
    ri.posicion = in.posicion;
    ri.segundos = in.segundos;
    ri.caracteres = in.caracteres;
    ri.errores = in.errores;
    ri.resultado = in.resultado;
    r_.intentos.push_back(std::move(ri));
    textos_.push_back(in.texto);
}

void Analizador::Contar(int tecla, char esperado, bool error) {
    if (tecla < 0) return;
    Cifras& c = r_.teclas[static_cast<std::size_t>(tecla)];
    ++c.esperadas;
    if (error) ++c.errores;
    ++r_.porCaracter[static_cast<std::size_t>(tecla)][static_cast<unsigned char>(esperado)];
}

void Analizador::Pulsacion(const PulsacionGuardada& p) {
    ++r_.pulsaciones;
    if (p.intento != ultimo_) {
        const auto it = std::lower_bound(r_.intentos.begin(), r_.intentos.end(), p.intento,
                                         [](const ResumenIntento& a, std::int64_t id) { return a.id < id; });
        if (it == r_.intentos.end() || it->id != p.intento) return;  // a press without its attempt
        indice_ = static_cast<std::size_t>(it - r_.intentos.begin());
        ultimo_ = p.intento;
    }
    // The key's time, whether or not it wrote.
    if (p.ms > 0 && p.tecla < 256)
        for (const signed char i : LasTablas().porVk[p.tecla])
            if (i >= 0) ++msTecla_[static_cast<std::size_t>(i)][std::min<std::uint32_t>(p.ms, kCubetasMs - 1)];
    const std::string_view escrito = p.Escrito();
    if (escrito.empty() || (escrito.size() == 1 && escrito[0] == '\b')) return;
    ++r_.intentos[indice_].escritas;
    const std::string& texto = textos_[indice_];
    const bool error = EsError(texto, p.posicion, escrito);
    if (p.posicion >= texto.size()) return;  // past the end of the text: no key was expected
    const char e = texto[p.posicion];
    const Tablas& t = LasTablas();
    const Golpes g = t.golpes[static_cast<unsigned char>(e)];
    const std::optional<ClaseAcento> clase = error ? Clasificar(e, escrito) : std::nullopt;

    // The key the error belongs to: Shift for a wrong case, the dead key for a wrong accent.
    auto shiftPara = [&t](int tecla) {
        return teclado::ManoIzquierda(teclado::DedoDeTecla(tecla)) ? t.shiftDer : t.shiftIzq;
    };
    int culpable = g.principal;
    if (clase == ClaseAcento::MayusculaCambiada && g.principal >= 0) culpable = shiftPara(g.principal);
    else if ((clase == ClaseAcento::TildeOlvidada || clase == ClaseAcento::AcentoCambiado ||
              clase == ClaseAcento::DieresisOlvidada) && g.muerta >= 0)
        culpable = g.muerta;
    Contar(g.principal, e, error && culpable == g.principal);
    Contar(g.muerta, e, error && culpable == g.muerta);
    if (g.shift || g.shiftMuerta || culpable != g.principal) {
        const int s = g.shift ? shiftPara(g.principal) : g.shiftMuerta ? shiftPara(g.muerta) : -1;
        if (s >= 0) Contar(s, e, error && culpable == s);
        if (culpable != g.principal && culpable != g.muerta && culpable != s) Contar(culpable, e, true);
    }
    if (!error) return;

    std::uint32_t clave = static_cast<unsigned char>(e) | static_cast<std::uint32_t>(static_cast<unsigned char>(escrito[0])) << 8 |
                          static_cast<std::uint32_t>(escrito.size()) << 24;
    if (escrito.size() == 2) clave |= static_cast<std::uint32_t>(static_cast<unsigned char>(escrito[1])) << 16;
    ++confusiones_[clave];
    if (clase) {
        ErrorAcento& a = r_.acentos[static_cast<std::size_t>(*clase)];
        ++a.veces;
        ++r_.acentosPorCaracter[static_cast<unsigned char>(e)];
        // The latest example: the word as the text has it and as it was typed.
        const auto [ini, fin] = Palabra(texto, p.posicion);
        a.palabra = texto.substr(ini, fin - ini);
        a.escrita = a.palabra;
        if (p.posicion >= ini && p.posicion < fin) a.escrita.replace(p.posicion - ini, 1, escrito);
    }
}

Resumen Analizador::Resultado() const {
    Resumen r = r_;
    std::array<std::array<std::uint32_t, kCubetasMs>, teclado::kNumDedos> msDedo{};
    for (int i = 0; i < teclado::kNumTeclasEscritura; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const teclado::Dedo d = teclado::DedoDeTecla(i);
        if (d != teclado::Dedo::Ninguno) {
            const auto di = static_cast<std::size_t>(d);
            r.dedos[di].esperadas += r.teclas[k].esperadas;
            r.dedos[di].errores += r.teclas[k].errores;
            for (std::size_t ms = 0; ms < kCubetasMs; ++ms) msDedo[di][ms] += msTecla_[k][ms];
        }
        r.teclas[k].medianaMs = Mediana(msTecla_[k]);
    }
    for (std::size_t d = 0; d < msDedo.size(); ++d) r.dedos[d].medianaMs = Mediana(msDedo[d]);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> c(confusiones_.begin(), confusiones_.end());
    std::sort(c.begin(), c.end(), [](const auto& a, const auto& b) { return a.second != b.second ? a.second > b.second : a.first < b.first; });
    if (c.size() > 10) c.resize(10);
    for (const auto& [clave, veces] : c) {
        Confusion x;
        x.esperado = static_cast<char>(clave & 0xFF);
        x.escrito += static_cast<char>((clave >> 8) & 0xFF);
        if ((clave >> 24) == 2) x.escrito += static_cast<char>((clave >> 16) & 0xFF);
        x.veces = veces;
        r.confusiones.push_back(std::move(x));
    }
    return r;
}

std::vector<TeclaDebil> Resumen::TeclasDebiles(std::size_t n) const {
    std::vector<TeclaDebil> v;
    for (int i = 0; i < teclado::kNumTeclasEscritura; ++i) {
        const Cifras& c = teclas[static_cast<std::size_t>(i)];
        if (c.esperadas < 3 || c.errores == 0) continue;
        const auto& cuenta = porCaracter[static_cast<std::size_t>(i)];
        const auto mas = std::max_element(cuenta.begin(), cuenta.end());
        v.push_back({i, static_cast<char>(mas - cuenta.begin()), c.Tasa()});
    }
    std::stable_sort(v.begin(), v.end(), [this](const TeclaDebil& a, const TeclaDebil& b) {
        if (a.tasa != b.tasa) return a.tasa > b.tasa;
        return teclas[static_cast<std::size_t>(a.tecla)].errores > teclas[static_cast<std::size_t>(b.tecla)].errores;
    });
    if (v.size() > n) v.resize(n);
    return v;
}

std::string Resumen::AcentosFrecuentes(std::size_t n) const {
    std::vector<int> c;
    for (int i = 1; i < 256; ++i)
        if (acentosPorCaracter[static_cast<std::size_t>(i)]) c.push_back(i);
    std::stable_sort(c.begin(), c.end(), [this](int a, int b) {
        return acentosPorCaracter[static_cast<std::size_t>(a)] > acentosPorCaracter[static_cast<std::size_t>(b)];
    });
    std::string r;
    for (std::size_t i = 0; i < c.size() && i < n; ++i) r += static_cast<char>(c[i]);
    return r;
}

namespace {
bool DeLaUnidad(const ResumenIntento& in, std::optional<int> unidad) {
    return !unidad || (in.posicion && in.posicion->Unidad == *unidad);
}
double Acierto(std::uint32_t escritas, std::uint32_t errores) {
    return escritas ? std::max(0.0, 1.0 - static_cast<double>(errores) / escritas) : 0.0;
}
}  // namespace

std::vector<PuntoHistoria> Resumen::HistoriaPorIntento(std::optional<int> unidad) const {
    std::vector<PuntoHistoria> v;
    for (const ResumenIntento& in : intentos) {
        if (!DeLaUnidad(in, unidad)) continue;
        PuntoHistoria p;
        p.fecha = in.inicio;
        p.ppm = in.segundos > 0 ? in.caracteres * 60.0 / in.segundos : 0;
        p.acierto = Acierto(in.escritas, in.errores);
        v.push_back(std::move(p));
    }
    return v;
}

std::vector<PuntoHistoria> Resumen::HistoriaPorDia(std::optional<int> unidad) const {
    struct Suma { double caracteres = 0, segundos = 0; std::uint32_t escritas = 0, errores = 0, intentos = 0; };
    std::map<std::string, Suma> dias;
    for (const ResumenIntento& in : intentos) {
        if (!DeLaUnidad(in, unidad)) continue;
        Suma& s = dias[in.inicio.substr(0, 10)];
        s.caracteres += in.caracteres;
        s.segundos += in.segundos;
        s.escritas += in.escritas;
        s.errores += in.errores;
        ++s.intentos;
    }
    std::vector<PuntoHistoria> v;
    for (const auto& [dia, s] : dias)
        v.push_back({dia, s.segundos > 0 ? s.caracteres * 60.0 / s.segundos : 0, Acierto(s.escritas, s.errores), s.intentos});
    return v;
}

void Analizador::Unir(Analizador&& o) {
    r_.pulsaciones += o.r_.pulsaciones;
    for (std::size_t k = 0; k < r_.teclas.size(); ++k) {
        r_.teclas[k].esperadas += o.r_.teclas[k].esperadas;
        r_.teclas[k].errores += o.r_.teclas[k].errores;
        for (std::size_t ms = 0; ms < kCubetasMs; ++ms) msTecla_[k][ms] += o.msTecla_[k][ms];
        for (std::size_t c = 0; c < 256; ++c) r_.porCaracter[k][c] += o.r_.porCaracter[k][c];
    }
    for (std::size_t c = 0; c < 256; ++c) r_.acentosPorCaracter[c] += o.r_.acentosPorCaracter[c];
    for (std::size_t k = 0; k < r_.acentos.size(); ++k) {
        ErrorAcento& a = r_.acentos[k];
        ErrorAcento& b = o.r_.acentos[k];
        a.veces += b.veces;
        if (b.veces) {  // the other part holds the later attempts: its example is the latest
            a.palabra = std::move(b.palabra);
            a.escrita = std::move(b.escrita);
        }
    }
    for (const auto& [clave, veces] : o.confusiones_) confusiones_[clave] += veces;
    // Each attempt was read by one part only.
    for (std::size_t i = 0; i < r_.intentos.size() && i < o.r_.intentos.size(); ++i)
        r_.intentos[i].escritas += o.r_.intentos[i].escritas;
}

void Anadir(BaseDatos& db, Analizador& a) {
    const std::vector<IntentoGuardado> intentos = db.LeerIntentos(a.UltimoId() + 1);
    if (intentos.empty()) return;
    const bool desdeCero = a.Vacio();
    for (const IntentoGuardado& in : intentos) a.Intento(in);
    // A long history is read in two halves at once, each on its own connection: reading the rows
    // is most of the time, and the machine has a second core for it.
    std::uint64_t total = 0;
    for (const IntentoGuardado& in : intentos) total += in.caracteres;
    std::int64_t corte = INT64_MAX;
    if (desdeCero && total >= 50000) {
        std::uint64_t suma = 0;
        for (const IntentoGuardado& in : intentos) {
            if (suma >= total / 2) {
                corte = in.id;
                break;
            }
            suma += in.caracteres;
        }
    }
    const std::int64_t desde = intentos.front().id;
    if (corte == INT64_MAX) {
        db.RecorrerPulsaciones([&a](const PulsacionGuardada& p) { a.Pulsacion(p); }, desde);
        return;
    }
    Analizador b;
    for (const IntentoGuardado& in : intentos) b.Intento(in);
    std::exception_ptr fallo;
    std::thread segunda([&] {
        try {
            BaseDatos otra(db.Ruta());
            otra.RecorrerPulsaciones([&b](const PulsacionGuardada& p) { b.Pulsacion(p); }, corte);
        } catch (...) {
            fallo = std::current_exception();
        }
    });
    try {
        db.RecorrerPulsaciones([&a](const PulsacionGuardada& p) { a.Pulsacion(p); }, desde, corte);
    } catch (...) {
        segunda.join();
        throw;
    }
    segunda.join();
    if (fallo) std::rethrow_exception(fallo);
    a.Unir(std::move(b));
}

Resumen Analizar(BaseDatos& db) {
    Analizador a;
    Anadir(db, a);
    return a.Resultado();
}

Resumen Analizar(const std::vector<estadisticas::Intento>& intentos) {
    Analizador a;
    std::int64_t id = 0;
    for (const estadisticas::Intento& in : intentos) {
        IntentoGuardado g;
        g.id = ++id;
        g.inicio = FechaIso(in.inicio);
        g.origen = NombreOrigen(in.origen);
        g.posicion = in.posicion;
        g.segundos = in.segundos;
        g.caracteres = in.caracteres;
        g.errores = in.errores;
        g.resultado = NombreResultado(in.resultado);
        g.ppm = in.Ppm();
        g.texto = in.texto;
        a.Intento(g);
        for (const estadisticas::Pulsacion& k : in.pulsaciones) {
            PulsacionGuardada p;
            p.intento = id;
            p.posicion = k.posicion;
            p.largoEscrito = k.largoEscrito;
            p.escrito[0] = k.escrito[0];
            p.escrito[1] = k.escrito[1];
            p.tecla = k.tecla;
            p.ms = k.ms;
            a.Pulsacion(p);
        }
    }
    return a.Resultado();
}

Avance AvanceCurso(const almacen::TConfiguracion& c) {
    Avance a;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        AvanceUnidad& u = a.unidades[static_cast<std::size_t>(p.Unidad - 1)];
        ++u.total;
        ++a.todo.total;
        if (c.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1]) {
            const std::uint16_t n = c.Intentos[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1];
            ++u.hechos;
            ++a.todo.hechos;
            u.intentos += n;
            a.todo.intentos += n;
        }
    });
    return a;
}

}  // namespace estadisticas
