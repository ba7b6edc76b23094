#include "practica/Practica.h"

#include <algorithm>

namespace practica {

using catalogo::Posicion;

std::string Cabecera(const Posicion& p) {
    std::string s;
    s.reserve(160);
    s += "Unidad N\xBA ";
    s += std::to_string(p.Unidad);
    s += ".     Lecci\xF3n N\xBA ";
    s += std::to_string(p.Leccion);
    s += ". ";
    s += catalogo::TituloLeccion(p.Unidad, p.Leccion);
    s += "     (Ejercicio N\xBA ";
    s += std::to_string(p.Ejercicio);
    s += ". ";
    s += catalogo::TituloEjercicio(p.Unidad, p.Leccion, p.Ejercicio);
    s += ")";
    return s;
}

std::string TextoAMostrar(std::string_view texto) {
    std::string s;
    s.reserve(texto.size() + 32);
    for (char c : texto) {
        if (c == '\r') s += '\xAB';
        s += c;
    }
    return s;
}

std::uint16_t Coincidencias(std::string_view escrito, std::string_view texto) {
    std::uint16_t n = 0;
    const std::size_t l = std::min(escrito.size(), texto.size());
    for (std::size_t i = 0; i < l; ++i)
        if (escrito[i] == texto[i]) ++n;
    return n;
}

unsigned Precision(std::string_view escrito, std::string_view texto) {
    if (texto.empty()) return 0;
    return static_cast<unsigned>(Coincidencias(escrito, texto) * 100u / texto.size());
}

unsigned Velocidad(std::size_t caracteres, unsigned h, unsigned m, unsigned s) {
    const unsigned long total = h * 3600ul + m * 60ul + s;
    if (total == 0) return 0;
    return static_cast<unsigned>(caracteres * 60ul / total);
}

namespace {
std::string DosCifras(unsigned v) { return (v < 10 ? "0" : "") + std::to_string(v); }
}  // namespace

std::string TextoReloj(unsigned h, unsigned m, unsigned s) {
    std::string r = h > 0 ? std::to_string(h) + ":" : std::string();
    return r + DosCifras(m) + ":" + DosCifras(s);
}

void Reloj::Tic() {
    if (++Segundos > 59) {
        Segundos = 0;
        if (++Minutos > 59) {
            Minutos = 0;
            ++Horas;
        }
    }
}

Posicion SiguienteEjercicio(const Realizados& hechos) {
    Posicion r;  // 1, 1, 1 when every exercise is done
    bool hallado = false;
    catalogo::ParaCadaEjercicio([&](const Posicion& p) {
        if (!hallado && hechos[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] == 0) {
            r = p;
            hallado = true;
        }
    });
    return r;
}

std::string TextoMensaje(std::string_view l1, std::string_view l2, std::string_view l3,
                         std::string_view l4, std::string_view l5) {
    std::string s;
    for (std::string_view l : {l1, l2, l3, l4, l5})
        if (!l.empty()) {
            s += l;
            s += "\r\r";
        }
    if (s.size() > 1) s.resize(s.size() - 2);
    return s;
}

bool TeclaConClic(std::uint16_t vk) {
    return vk == 8 || vk == 13 || vk == 20 || vk == 27 || vk == 32 || (vk >= 48 && vk <= 57) ||
           (vk >= 65 && vk <= 90) || (vk >= 187 && vk <= 192) || (vk >= 219 && vk <= 222) || vk == 226;
}

std::string LineaIntentos(unsigned n) { return "(realizado en " + std::to_string(n) + " intentos)"; }
std::string LineaPrecision(unsigned p) { return "(" + std::to_string(p) + "% de aciertos)"; }
std::string LineaVelocidad(unsigned v) { return std::to_string(v) + " pulsaciones por minuto."; }

}  // namespace practica
