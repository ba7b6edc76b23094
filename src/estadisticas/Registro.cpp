#include "estadisticas/Registro.h"

#include <algorithm>
#include <utility>

namespace estadisticas {

std::string_view NombreOrigen(Origen o) {
    switch (o) {
    case Origen::Catalogo: return "catalogo";
    case Origen::Libre: return "libre";
    case Origen::Prueba: return "prueba";
    case Origen::Repaso: return "repaso";
    }
    return "catalogo";
}

std::string_view NombreResultado(Resultado r) {
    switch (r) {
    case Resultado::Correcto: return "correcto";
    case Resultado::Incorrecto: return "incorrecto";
    case Resultado::Abandonado: return "abandonado";
    }
    return "abandonado";
}

std::optional<double> Intento::Ppm() const {
    if (segundos <= 0) return std::nullopt;
    return caracteres * 60.0 / segundos;
}

bool EsError(std::string_view texto, std::uint32_t posicion, std::string_view escrito) {
    if (escrito.empty() || (escrito.size() == 1 && escrito[0] == '\b')) return false;
    if (posicion >= texto.size()) return true;
    return texto.substr(posicion, escrito.size()) != escrito;
}

void RegistroIntento::Empezar(Origen origen, std::optional<catalogo::Posicion> posicion, std::string texto,
                              std::chrono::system_clock::time_point inicio) {
    actual_ = Intento{};
    actual_.origen = origen;
    actual_.posicion = posicion;
    actual_.inicio = inicio;
    // Room for the whole text and some corrections, so the key path rarely allocates.
    actual_.pulsaciones.reserve(texto.size() + texto.size() / 4 + 16);
    actual_.texto = std::move(texto);
    activo_ = true;
    escrito_ = false;
}

void RegistroIntento::Pulsar(std::uint16_t tecla, std::uint8_t modificadores, std::string_view producido,
                             std::size_t largoAntes, Reloj::time_point cuando) {
    if (!activo_) return;
    Pulsacion p;
    p.tecla = tecla;
    p.modificadores = modificadores;
    p.largoEscrito = static_cast<std::uint8_t>(std::min<std::size_t>(producido.size(), 2));
    std::copy_n(producido.begin(), p.largoEscrito, p.escrito);
    const bool borra = p.Borra();
    // Backspace acts on the last typed character; every other key at the end of the typed text.
    const std::size_t pos = borra && largoAntes > 0 ? largoAntes - 1 : largoAntes;
    p.posicion = static_cast<std::uint32_t>(pos);
    p.esperado = pos < actual_.texto.size() ? actual_.texto[pos] : 0;
    if (actual_.pulsaciones.empty()) {
        primera_ = cuando;
        p.ms = 0;
    } else {
        const auto d = std::chrono::duration_cast<std::chrono::milliseconds>(cuando - anterior_).count();
        p.ms = static_cast<std::uint32_t>(std::clamp<long long>(d, 0, 0xFFFFFFFF));
    }
    anterior_ = cuando;
    if (p.Escribe()) {
        escrito_ = true;
        if (EsError(actual_.texto, p.posicion, p.Escrito())) ++actual_.errores;
    }
    actual_.pulsaciones.push_back(p);
}

std::optional<Intento> RegistroIntento::Terminar(Resultado resultado, std::size_t caracteres, Reloj::time_point cuando) {
    if (!activo_) return std::nullopt;
    activo_ = false;
    if (!escrito_) {
        actual_ = Intento{};
        return std::nullopt;
    }
    actual_.resultado = resultado;
    actual_.caracteres = static_cast<std::uint32_t>(caracteres);
    actual_.segundos = std::max(0.0, std::chrono::duration<double>(cuando - primera_).count());
    Intento hecho = std::move(actual_);
    actual_ = Intento{};
    return hecho;
}

void RegistroIntento::Descartar() {
    activo_ = false;
    escrito_ = false;
    actual_ = Intento{};
}

}  // namespace estadisticas
