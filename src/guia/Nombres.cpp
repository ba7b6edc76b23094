#include "guia/Nombres.h"

#include <array>
#include <utility>

#include "catalogue/Cp1252.h"

namespace guia {

namespace {

using Par = std::pair<std::string_view, std::string_view>;

constexpr Par kTeclas[] = {
    {"btnESC", "Escape"}, {"btnF1", "F1"}, {"btnF2", "F2"}, {"btnF3", "F3"}, {"btnF4", "F4"},
    {"btnF5", "F5"}, {"btnF6", "F6"}, {"btnF7", "F7"}, {"btnF8", "F8"}, {"btnF9", "F9"},
    {"btnF10", "F10"}, {"btnF11", "F11"}, {"btnF12", "F12"},
    {"btnImprPant", "Imprimir pantalla"}, {"btnBloqDespl", "Bloq. Despl."}, {"Panel77", "Pausa"},
    {"btnPrimero", "Ordinal masculino y femenino"}, {"btn1", "1 y cierra exclamación"},
    {"btn2", "2 y comillas"}, {"btn3", "3 y punto medio"}, {"btn4", "4 y dólar"},
    {"btn5", "5 y por ciento"}, {"btn6", "6 y et"}, {"btn7", "7 y barra"},
    {"btn8", "8 y abre paréntesis"}, {"btn9", "9 y cierra paréntesis"}, {"btn0", "0 e igual"},
    {"btnComilla", "Apóstrofo y cierra interrogación"},
    {"btnAdmiracion", "Abre exclamación y abre interrogación"}, {"btnBorrar", "Retroceso"},
    {"Panel78", "Insert"}, {"Panel79", "Inicio"}, {"btnRePag", "Re. Pág."}, {"btnBloqNum", "Bloq. Num."},
    {"Panel93", "Barra del teclado numérico"}, {"Panel94", "Asterisco del teclado numérico"},
    {"Panel95", "Menos del teclado numérico"},
    {"btnTabulador", "Tabulador"}, {"btnQ", "Q"}, {"btnW", "W"}, {"btnE", "E"}, {"btnR", "R"},
    {"btnT", "T"}, {"btnY", "Y"}, {"btnU", "U"}, {"btnI", "I"}, {"btnO", "O"}, {"btnP", "P"},
    {"btnAcentoAbierto", "Acento grave y circunflejo"}, {"btnMas", "Más y asterisco"},
    {"btnIntro", "Intro"}, {"Panel81", "Supr."}, {"Panel82", "Fin"}, {"btnAvPag", "Av. Pág."},
    {"btn7Num", "7 del teclado numérico"}, {"Panel97", "8 del teclado numérico"},
    {"btn9Num", "9 del teclado numérico"}, {"Panel105", "Más del teclado numérico"},
    {"btnBloqMayus", "Bloq. Mayús."}, {"btnA", "A"}, {"btnS", "S"}, {"btnD", "D"}, {"btnF", "F"},
    {"btnG", "G"}, {"btnH", "H"}, {"btnJ", "J"}, {"btnK", "K"}, {"btnL", "L"}, {"btnEnye", "Ñ"},
    {"btnAcento", "Acento agudo y diéresis"}, {"btnCeTrencada", "Ç"},
    {"btn4Num", "4 del teclado numérico"}, {"Panel100", "5 del teclado numérico"},
    {"btn6Num", "6 del teclado numérico"},
    {"btnMayusculasIzq", "Mayúsculas izquierda"}, {"btnMenor", "Menor que y mayor que"},
    {"btnZ", "Z"}, {"btnX", "X"}, {"btnC", "C"}, {"btnV", "V"}, {"btnB", "B"}, {"btnN", "N"},
    {"btnM", "M"}, {"btnComa", "Coma y punto y coma"}, {"btnPunto", "Punto y dos puntos"},
    {"btnMenos", "Guion y guion bajo"}, {"btnMayusculasDer", "Mayúsculas derecha"},
    {"Panel88", "Flecha arriba"}, {"btn1Num", "1 del teclado numérico"},
    {"Panel103", "2 del teclado numérico"}, {"btn3Num", "3 del teclado numérico"},
    {"Panel106", "Intro del teclado numérico"},
    {"btnControlIzq", "Control izquierda"}, {"Panel52", "Windows izquierda"}, {"btnAlt", "Alt"},
    {"btnEspacio", "Barra espaciadora"}, {"Panel55", "Alt Gr"}, {"Panel56", "Windows derecha"},
    {"btnMenuRaton", "Menú"}, {"btnControlDer", "Control derecha"},
    {"Panel84", "Flecha izquierda"}, {"Panel85", "Flecha abajo"}, {"Panel86", "Flecha derecha"},
    {"btn0Num", "0 del teclado numérico"}, {"btnPuntoNum", "Insert del teclado numérico"},
};

// Keys as a sentence names them; a dead key is named by its accent, as a teacher says it.
constexpr Par kEnFrase[] = {
    {"btnPrimero", "la tecla del ordinal"}, {"btn1", "el uno"}, {"btn2", "el dos"}, {"btn3", "el tres"},
    {"btn4", "el cuatro"}, {"btn5", "el cinco"}, {"btn6", "el seis"}, {"btn7", "el siete"},
    {"btn8", "el ocho"}, {"btn9", "el nueve"}, {"btn0", "el cero"},
    {"btnComilla", "la tecla del apóstrofo"}, {"btnAdmiracion", "la tecla de la exclamación"},
    {"btnBorrar", "retroceso"}, {"btnAcentoAbierto", "acento grave"}, {"btnMas", "la tecla del más"},
    {"btnIntro", "intro"}, {"btnEnye", "eñe"}, {"btnAcento", "acento"}, {"btnCeTrencada", "ce con cedilla"},
    {"btnMenor", "la tecla del menor que"}, {"btnComa", "la coma"}, {"btnPunto", "el punto"},
    {"btnMenos", "el guion"}, {"btnEspacio", "la barra espaciadora"}, {"btnTabulador", "el tabulador"},
    {"btnA", "a"}, {"btnB", "be"}, {"btnC", "ce"}, {"btnD", "de"}, {"btnE", "e"}, {"btnF", "efe"},
    {"btnG", "ge"}, {"btnH", "hache"}, {"btnI", "i"}, {"btnJ", "jota"}, {"btnK", "ka"}, {"btnL", "ele"},
    {"btnM", "eme"}, {"btnN", "ene"}, {"btnO", "o"}, {"btnP", "pe"}, {"btnQ", "cu"}, {"btnR", "erre"},
    {"btnS", "ese"}, {"btnT", "te"}, {"btnU", "u"}, {"btnV", "uve"}, {"btnW", "uve doble"},
    {"btnX", "equis"}, {"btnY", "i griega"}, {"btnZ", "zeta"},
};

constexpr std::string_view kLetras[26] = {
    "a", "be", "ce", "de", "e", "efe", "ge", "hache", "i", "jota", "ka", "ele", "eme",
    "ene", "o", "pe", "cu", "erre", "ese", "te", "u", "uve", "uve doble", "equis", "i griega", "zeta"};
constexpr std::string_view kMayusculas[26] = {
    "a mayúscula", "be mayúscula", "ce mayúscula", "de mayúscula", "e mayúscula", "efe mayúscula",
    "ge mayúscula", "hache mayúscula", "i mayúscula", "jota mayúscula", "ka mayúscula", "ele mayúscula",
    "eme mayúscula", "ene mayúscula", "o mayúscula", "pe mayúscula", "cu mayúscula", "erre mayúscula",
    "ese mayúscula", "te mayúscula", "u mayúscula", "uve mayúscula", "uve doble mayúscula",
    "equis mayúscula", "i griega mayúscula", "zeta mayúscula"};
constexpr std::string_view kDigitos[10] = {"cero", "uno", "dos", "tres", "cuatro",
                                           "cinco", "seis", "siete", "ocho", "nueve"};

const std::array<std::string_view, 256> kCaracteres = [] {
    std::array<std::string_view, 256> t{};
    for (int i = 0; i < 26; ++i) {
        t['a' + i] = kLetras[i];
        t['A' + i] = kMayusculas[i];
    }
    for (int i = 0; i < 10; ++i) t['0' + i] = kDigitos[i];
    const std::pair<unsigned char, std::string_view> otros[] = {
        {'\r', "intro"}, {' ', "espacio"}, {'!', "cierra exclamación"}, {'"', "comillas"},
        {'$', "dólar"}, {'%', "por ciento"}, {'&', "et"}, {'\'', "apóstrofo"},
        {'(', "abre paréntesis"}, {')', "cierra paréntesis"}, {'+', "más"}, {',', "coma"},
        {'-', "guion"}, {'.', "punto"}, {'/', "barra"}, {':', "dos puntos"}, {';', "punto y coma"},
        {'<', "menor que"}, {'=', "igual"}, {'>', "mayor que"}, {'?', "cierra interrogación"},
        {'@', "arroba"}, {'[', "abre corchete"}, {']', "cierra corchete"}, {'_', "guion bajo"},
        {'|', "barra vertical"},
        {0xA1, "abre exclamación"}, {0xAA, "ordinal femenino"}, {0xB7, "punto medio"},
        {0xBA, "ordinal masculino"}, {0xBF, "abre interrogación"},
        {0xF1, "eñe"}, {0xD1, "eñe mayúscula"}, {0xE7, "ce con cedilla"}, {0xC7, "ce con cedilla mayúscula"},
        {0xE1, "a con tilde"}, {0xE9, "e con tilde"}, {0xED, "i con tilde"}, {0xF3, "o con tilde"},
        {0xFA, "u con tilde"}, {0xC1, "a mayúscula con tilde"}, {0xC9, "e mayúscula con tilde"},
        {0xCD, "i mayúscula con tilde"}, {0xD3, "o mayúscula con tilde"}, {0xDA, "u mayúscula con tilde"},
        {0xE0, "a con acento grave"}, {0xE8, "e con acento grave"}, {0xEC, "i con acento grave"},
        {0xF2, "o con acento grave"}, {0xC0, "a mayúscula con acento grave"},
        {0xC8, "e mayúscula con acento grave"}, {0xD2, "o mayúscula con acento grave"},
        {0xFC, "u con diéresis"}, {0xEF, "i con diéresis"}};
    for (const auto& [c, n] : otros) t[c] = n;
    return t;
}();

template <std::size_t N>
std::string_view Buscar(const Par (&tabla)[N], std::string_view clave) {
    for (const Par& p : tabla)
        if (p.first == clave) return p.second;
    return {};
}

}  // namespace

std::string_view NombreTecla(std::string_view panel) { return Buscar(kTeclas, panel); }
std::string_view NombreCaracter(unsigned char c) { return kCaracteres[c]; }
std::string_view TeclaEnFrase(std::string_view panel) { return Buscar(kEnFrase, panel); }

namespace {

bool EsMayuscula(unsigned char c) { return (c >= 'A' && c <= 'Z') || c == 0xD1 || c == 0xC7; }

std::string Paso(const Pulsacion& p) {
    const char* panel = TeclasDe(p).tecla;
    const std::string_view tecla = TeclaEnFrase(panel ? panel : "");
    if (tecla.empty()) return {};
    std::string r;
    if (p.modificadores == teclado::kShift) r = "mayúsculas y ";
    else if (p.modificadores == (teclado::kCtrl | teclado::kAlt)) r = "alt gr y ";
    return r.append(tecla);
}

}  // namespace

std::string ComoSeHace(unsigned char c, const Secuencia& s) {
    if (s.Vacia()) return {};
    if (s.pulsaciones[0].vk == teclado::VK_BACK) return std::string(TeclaEnFrase("btnBorrar"));
    const std::string_view nombre = NombreCaracter(c);
    if (nombre.empty()) return {};
    if (s.cantidad == 1) {
        const Pulsacion& p = s.pulsaciones[0];
        // Its own key alone, or Shift with its letter: the name says it all.
        if (p.modificadores == 0 || (p.modificadores == teclado::kShift && EsMayuscula(c))) return std::string(nombre);
    }
    std::string r(nombre);
    r += ": ";
    for (std::uint8_t i = 0; i < s.cantidad; ++i) {
        const std::string paso = Paso(s.pulsaciones[i]);
        if (paso.empty()) return std::string(nombre);
        if (i > 0) r += ", luego ";
        r += paso;
    }
    return r;
}

std::string FraseSiguiente(const teclado::TraductorTeclas& estado, std::string_view escrito, std::string_view texto) {
    const unsigned char c = escrito.size() < texto.size() ? static_cast<unsigned char>(texto[escrito.size()]) : 0;
    return ComoSeHace(c, Siguiente(estado, escrito, texto));
}

std::string FraseInicio(const teclado::TraductorTeclas& estado, std::string_view texto, bool siguiente) {
    constexpr int kPalabras = 8;
    std::string r = PrimerasPalabras(texto, kPalabras);
    if (siguiente)
        if (const std::string s = FraseSiguiente(estado, {}, texto); !s.empty()) r += ". " + s;
    return r;
}

std::string PrimerasPalabras(std::string_view texto, int palabras) {
    std::string r;
    bool enPalabra = false;
    for (const char ch : texto) {
        const auto c = static_cast<unsigned char>(ch);
        const bool blanco = c == ' ' || c == '\r';
        if (blanco) {
            if (enPalabra && --palabras == 0) break;
            enPalabra = false;
            continue;
        }
        if (!enPalabra && !r.empty()) r += ' ';
        enPalabra = true;
        if (const char32_t u = cp1252::AUnicode(c)) r += cp1252::Utf8(u);
    }
    return r;
}

}  // namespace guia
