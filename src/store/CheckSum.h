// A data file guarded by a 12-byte trailer at its end: the marker 1A "ChkZORP" followed by the
// little-endian 32-bit sum of every byte before the trailer. Qt-free, POSIX file descriptors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace almacen {

// An input/output failure: the system's error code and the file (or folder) it concerns.
// what() is a Spanish sentence in UTF-8 for the error box, e.g.
// "No se ha podido leer el fichero «/ruta/x.cfg»: Input/output error."
class ErrorFichero : public std::runtime_error {
public:
    int codigo;
    std::string fichero;

    // accion completes "No se ha podido ...", naming the kind of object ("leer el fichero").
    ErrorFichero(int codigo, std::string fichero, std::string_view accion = "acceder al fichero");
};

inline constexpr std::uint8_t kMarcaCheckSum[8] = {0x1A, 'C', 'h', 'k', 'Z', 'O', 'R', 'P'};

class TCheckSum {
public:
    int Fichero = -1;             // open descriptor while Abierto
    std::uint16_t Atributos = 0;  // permission bits (07777) as they were at Abrir
    std::string Nombre;           // set only when the file exists
    std::int32_t Tamano = 0;      // whole file, trailer included
    std::uint8_t LongMarca = 12;
    std::uint8_t LongCheckSum = 4;
    bool ConCheckSum = false;
    bool Abierto = false;

    TCheckSum() = default;
    TCheckSum(const TCheckSum&) = delete;
    TCheckSum& operator=(const TCheckSum&) = delete;
    ~TCheckSum();

    // A missing file leaves Abierto false and is not an error; every other failure throws
    // ErrorFichero, and so does a name that is not a regular file (a directory, a pipe...).
    void Abrir(const std::string& nombre);
    void Cerrar();

    bool TieneCheckSum();
    std::uint32_t LeerCheckSum();      // 0 when not Abierto or without trailer
    std::uint32_t CalcularCheckSum();  // sum of the guarded bytes; 0 when not Abierto

    static std::uint32_t SumarBytes(const std::uint8_t* buffer, std::uint32_t suma, std::uint16_t cuenta);

    // Writes the trailer with exactly this value, over the old trailer or appended.
    void GrabarCheckSum(std::uint32_t valor);

private:
    void CerrarDescriptor();
};

}  // namespace almacen
