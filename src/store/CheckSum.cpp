#include "store/CheckSum.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace almacen {

namespace {

std::string Mensaje(int codigo, const std::string& fichero, std::string_view accion) {
    std::string m = "No se ha podido ";
    m += accion;
    m += " \xC2\xAB";  // « »
    m += fichero;
    m += "\xC2\xBB: ";
    m += std::strerror(codigo);
    m += '.';
    return m;
}

// Reads up to n bytes at pos, stopping only at the end of the file.
std::size_t LeerEn(int fd, std::uint8_t* destino, std::size_t n, off_t pos, const std::string& nombre) {
    std::size_t hecho = 0;
    while (hecho < n) {
        ssize_t r = ::pread(fd, destino + hecho, n - hecho, pos + static_cast<off_t>(hecho));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw ErrorFichero(errno, nombre, "leer el fichero");
        }
        if (r == 0) break;
        hecho += static_cast<std::size_t>(r);
    }
    return hecho;
}

void EscribirEn(int fd, const std::uint8_t* origen, std::size_t n, off_t pos, const std::string& nombre) {
    std::size_t hecho = 0;
    while (hecho < n) {
        ssize_t r = ::pwrite(fd, origen + hecho, n - hecho, pos + static_cast<off_t>(hecho));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw ErrorFichero(errno, nombre, "escribir el fichero");
        }
        hecho += static_cast<std::size_t>(r);
    }
}

}  // namespace

ErrorFichero::ErrorFichero(int codigo_, std::string fichero_, std::string_view accion)
    : std::runtime_error(Mensaje(codigo_, fichero_, accion)), codigo(codigo_), fichero(std::move(fichero_)) {}

TCheckSum::~TCheckSum() {
    if (Fichero >= 0) ::close(Fichero);
}

void TCheckSum::CerrarDescriptor() {
    int fd = Fichero;
    Fichero = -1;
    // On Linux the descriptor is released even when close reports EINTR.
    if (::close(fd) != 0 && errno != EINTR) throw ErrorFichero(errno, Nombre, "cerrar el fichero");
}

void TCheckSum::Abrir(const std::string& nombre) {
    if (Fichero >= 0) CerrarDescriptor();
    Abierto = false;

    // O_NONBLOCK so that a pipe in the file's place cannot hang the open; it is refused below.
    int fd = ::open(nombre.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return;
        throw ErrorFichero(errno, nombre, "abrir el fichero");
    }
    Fichero = fd;

    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ErrorFichero(errno, nombre, "abrir el fichero");
    if (!S_ISREG(st.st_mode)) throw ErrorFichero(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, nombre, "abrir el fichero");
    if (st.st_size > std::numeric_limits<std::int32_t>::max()) throw ErrorFichero(EFBIG, nombre, "abrir el fichero");
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) throw ErrorFichero(errno, nombre, "abrir el fichero");

    Atributos = static_cast<std::uint16_t>(st.st_mode & 07777);
    Tamano = static_cast<std::int32_t>(st.st_size);
    LongMarca = 12;
    LongCheckSum = 4;
    Abierto = true;
    Nombre = nombre;
    ConCheckSum = TieneCheckSum();
}

void TCheckSum::Cerrar() {
    if (Abierto && Fichero >= 0) CerrarDescriptor();
}

bool TCheckSum::TieneCheckSum() {
    if (!Abierto || Tamano < LongMarca) return false;
    std::uint8_t marca[12];
    if (LeerEn(Fichero, marca, 12, Tamano - 12, Nombre) < 12) return false;
    return std::memcmp(marca, kMarcaCheckSum, sizeof kMarcaCheckSum) == 0;
}

std::uint32_t TCheckSum::LeerCheckSum() {
    if (!Abierto || !ConCheckSum) return 0;
    std::uint8_t b[4];
    // The file was shortened since Abrir: the stored sum is gone.
    if (LeerEn(Fichero, b, 4, Tamano - 4, Nombre) < 4) throw ErrorFichero(EIO, Nombre, "leer el fichero");
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

std::uint32_t TCheckSum::CalcularCheckSum() {
    if (!Abierto) return 0;
    std::int64_t restante = Tamano - (ConCheckSum ? LongMarca : 0);
    constexpr std::uint16_t kBloque = 0xF000;
    auto buffer = std::make_unique<std::uint8_t[]>(kBloque);
    std::uint16_t trozo = kBloque;
    std::uint32_t suma = 0;
    off_t pos = 0;
    while (restante > 0) {
        if (restante < trozo) trozo = static_cast<std::uint16_t>(restante);
        restante -= trozo;
        std::size_t leidos = LeerEn(Fichero, buffer.get(), trozo, pos, Nombre);
        pos += static_cast<off_t>(leidos);
        suma = SumarBytes(buffer.get(), suma, static_cast<std::uint16_t>(leidos));
    }
    return suma;
}

std::uint32_t TCheckSum::SumarBytes(const std::uint8_t* buffer, std::uint32_t suma, std::uint16_t cuenta) {
    for (std::uint16_t i = 0; i < cuenta; ++i) suma += buffer[i];
    return suma;
}

void TCheckSum::GrabarCheckSum(std::uint32_t valor) {
    if (!Abierto) return;
    if (!ConCheckSum && Tamano > std::numeric_limits<std::int32_t>::max() - 12)
        throw ErrorFichero(EFBIG, Nombre, "escribir el fichero");
    CerrarDescriptor();
    int fd = ::open(Nombre.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw ErrorFichero(errno, Nombre, "escribir el fichero");
    Fichero = fd;

    std::uint8_t trailer[12];
    std::memcpy(trailer, kMarcaCheckSum, 8);
    for (int i = 0; i < 4; ++i) trailer[8 + i] = static_cast<std::uint8_t>(valor >> (8 * i));
    EscribirEn(fd, trailer, sizeof trailer, ConCheckSum ? Tamano - 12 : Tamano, Nombre);
    if (!ConCheckSum) Tamano += 12;
    ConCheckSum = true;

    // Writing may have dropped set-id bits, and the mode may have been changed meanwhile. Only a
    // real difference is restored, so that a writable file owned by someone else still seals.
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ErrorFichero(errno, Nombre, "escribir el fichero");
    if ((st.st_mode & 07777) != Atributos && ::fchmod(fd, Atributos) != 0)
        throw ErrorFichero(errno, Nombre, "restaurar los permisos del fichero");
    CerrarDescriptor();

    fd = ::open(Nombre.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw ErrorFichero(errno, Nombre, "abrir el fichero");
    Fichero = fd;
}

}  // namespace almacen
