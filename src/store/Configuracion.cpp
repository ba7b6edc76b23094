#include "store/Configuracion.h"

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace almacen {

namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
constexpr bool kHostBigEndian = std::endian::native == std::endian::big;

constexpr std::string_view kGuardar = "guardar el fichero";
constexpr std::string_view kGuardarCopia = "guardar la copia de seguridad";

// The file holds the counters little-endian; on a big-endian host they are swapped in the image.
void ABytes(const TConfiguracion& c, std::uint8_t* bytes) {
    std::memcpy(bytes, &c, kTamanoBloque);
    if constexpr (kHostBigEndian) {
        for (std::size_t p = offsetof(TConfiguracion, Intentos); p < kTamanoBloque; p += 2) std::swap(bytes[p], bytes[p + 1]);
    }
}

void IntentosDesdeLittleEndian(TConfiguracion& c) {
    if constexpr (kHostBigEndian) {
        for (auto& unidad : c.Intentos)
            for (auto& leccion : unidad)
                for (auto& v : leccion) v = static_cast<std::uint16_t>(v >> 8 | v << 8);
    } else {
        (void)c;
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valido() const { return fd_ >= 0; }
    // Close reporting the failure (a delayed write error shows up here).
    int cerrar() {
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR) return errno;
        return 0;
    }

private:
    int fd_;
};

// Reads up to n bytes, stopping only at the end of the file; returns the count or -errno.
ssize_t LeerHasta(int fd, std::uint8_t* destino, std::size_t n) {
    std::size_t hecho = 0;
    while (hecho < n) {
        ssize_t r = ::read(fd, destino + hecho, n - hecho);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        if (r == 0) break;
        hecho += static_cast<std::size_t>(r);
    }
    return static_cast<ssize_t>(hecho);
}

// 0 or errno.
int EscribirTodo(int fd, const std::uint8_t* origen, std::size_t n) {
    while (n > 0) {
        ssize_t r = ::write(fd, origen, n);
        if (r < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        origen += r;
        n -= static_cast<std::size_t>(r);
    }
    return 0;
}

std::string CarpetaDe(const std::string& ruta) {
    std::size_t barra = ruta.find_last_of('/');
    if (barra == std::string::npos) return {};
    if (barra == 0) return "/";
    return ruta.substr(0, barra);
}

// mkdir -p: every missing folder of the path, in order.
void CrearCarpetas(const std::string& carpeta) {
    if (carpeta.empty()) return;
    std::size_t fin = 0;
    while (fin != std::string::npos) {
        fin = carpeta.find('/', fin + 1);
        std::string parcial = carpeta.substr(0, fin);
        if (parcial.empty() || parcial.back() == '/') continue;  // leading or doubled slash
        struct stat st {};
        if (::stat(parcial.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) throw ErrorFichero(ENOTDIR, parcial, "crear la carpeta");
            continue;
        }
        if (errno != ENOENT) throw ErrorFichero(errno, parcial, "crear la carpeta");
        if (::mkdir(parcial.c_str(), 0777) != 0) {
            int error = errno;
            // Created meanwhile by someone else: fine if it is a folder.
            if (error == EEXIST && ::stat(parcial.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
            throw ErrorFichero(error, parcial, "crear la carpeta");
        }
    }
}

// A symbolic link is kept: what gets replaced is the file it points to.
std::string Destino(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(ruta.c_str(), nullptr), &std::free);
        if (real) return real.get();
    }
    return ruta;
}

// 0 when the user may read (R_OK) and/or write (W_OK) the existing file, otherwise the errno.
// Root passes every access check, so for root the file's own bits decide: a file nobody may
// write (made read-only on purpose) is not replaced, one nobody may read is not read.
int Permiso(const std::string& ruta, const struct stat& st, int quiere) {
    if (::geteuid() == 0) {
        if ((quiere & R_OK) && !(st.st_mode & 0444)) return EACCES;
        if ((quiere & W_OK) && !(st.st_mode & 0222)) return EACCES;
        return 0;
    }
    return ::faccessat(AT_FDCWD, ruta.c_str(), quiere, AT_EACCESS) == 0 ? 0 : errno;
}

// Temporary files of destino left by a save that was killed: removed, unless the process named
// in them still runs (another instance saving right now). Nothing else in the folder is touched,
// and a failure here never stops the save.
void QuitarTemporalesHuerfanos(const std::string& destino) {
    const std::string carpeta = CarpetaDe(destino);
    const std::string prefijo = destino.substr(destino.find_last_of('/') + 1) + ".tmp";
    struct Cerrar {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, Cerrar> dir(::opendir(carpeta.empty() ? "." : carpeta.c_str()));
    if (!dir) return;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view n = e->d_name;
        if (!n.starts_with(prefijo)) continue;
        const std::string_view cifras = n.substr(prefijo.size());
        if (cifras.empty() || cifras.size() > 9 || cifras.find_first_not_of("0123456789") != std::string_view::npos) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(std::string(cifras)));
        if (pid == ::getpid() || pid <= 0 || ::kill(pid, 0) == 0 || errno == EPERM) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir.get()), e->d_name, 0);
    }
}

// Replaces destino atomically: escribir fills a temporary file in the same folder, which is
// optionally sealed, flushed and renamed over destino. The new file gets modoImpuesto when given,
// else the replaced file's own bits, else the umask's. On failure the temporary file is removed
// and ErrorFichero names `nombre`, the file the user knows about.
void Reemplazar(const std::string& destino, const std::string& nombre, std::string_view accion,
                const std::function<int(int fd)>& escribir, bool sellar, int modoImpuesto = -1) {
    QuitarTemporalesHuerfanos(destino);
    // Pid-unique, so a second instance cannot interleave with this one; a copy left by a killed
    // process of the same pid is simply overwritten.
    const std::string temporal = destino + ".tmp" + std::to_string(::getpid());

    int modo = modoImpuesto;
    struct stat st {};
    if (modo < 0 && ::stat(destino.c_str(), &st) == 0 && S_ISREG(st.st_mode)) modo = static_cast<int>(st.st_mode & 0777);

    Descriptor fd(::open(temporal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valido()) throw ErrorFichero(errno, nombre, accion);

    struct Limpieza {
        const std::string& ruta;
        bool activa = true;
        ~Limpieza() {
            if (activa) ::unlink(ruta.c_str());
        }
    } limpieza{temporal};

    if (int error = escribir(fd.get())) throw ErrorFichero(error, nombre, accion);
    if (int error = fd.cerrar()) throw ErrorFichero(error, nombre, accion);

    if (sellar) {
        try {
            TCheckSum sello;
            sello.Abrir(temporal);
            if (!sello.Abierto) throw ErrorFichero(ENOENT, temporal);
            sello.GrabarCheckSum(sello.CalcularCheckSum());
            sello.Cerrar();
        } catch (const ErrorFichero& e) {
            throw ErrorFichero(e.codigo, nombre, accion);
        }
    }

    Descriptor lectura(::open(temporal.c_str(), O_RDONLY | O_CLOEXEC));
    if (!lectura.valido()) throw ErrorFichero(errno, nombre, accion);
    if (modo >= 0 && ::fchmod(lectura.get(), static_cast<mode_t>(modo)) != 0) throw ErrorFichero(errno, nombre, accion);
    if (::fsync(lectura.get()) != 0) throw ErrorFichero(errno, nombre, accion);
    if (int error = lectura.cerrar()) throw ErrorFichero(error, nombre, accion);

    if (::rename(temporal.c_str(), destino.c_str()) != 0) throw ErrorFichero(errno, nombre, accion);
    limpieza.activa = false;

    // Make the rename itself durable. A folder that cannot be opened for reading, or a file system
    // that does not flush folders (EINVAL), is left as it is: the new file is already in place.
    std::string carpeta = CarpetaDe(destino);
    Descriptor dir(::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valido() && ::fsync(dir.get()) != 0 && errno != EINVAL) throw ErrorFichero(errno, nombre, accion);
}

// Keeps the file about to be replaced by defaults as ruta + ".bak", byte for byte.
void GuardarCopia(const std::string& ruta) {
    Descriptor origen(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!origen.valido()) throw ErrorFichero(errno, ruta, "leer el fichero");
    // The copy is as private as the file it keeps.
    struct stat st {};
    if (::fstat(origen.get(), &st) != 0) throw ErrorFichero(errno, ruta, "leer el fichero");
    const std::string copia = ruta + ".bak";
    Reemplazar(
        Destino(copia), copia, kGuardarCopia,
        [&](int fd) {
            auto buffer = std::make_unique<std::uint8_t[]>(0xF000);
            for (;;) {
                ssize_t n = LeerHasta(origen.get(), buffer.get(), 0xF000);
                if (n < 0) throw ErrorFichero(static_cast<int>(-n), ruta, "leer el fichero");
                if (n == 0) return 0;
                if (int error = EscribirTodo(fd, buffer.get(), static_cast<std::size_t>(n))) return error;
            }
        },
        false, static_cast<int>(st.st_mode & 0777));
}

}  // namespace

void ConfiguracionPorDefecto(TConfiguracion& c) {
    c.Reservado1 = 0;
    c.Reservado0 = 1;
    c.VerManos = 0;
    c.PintarTecladoActivo = 0;
    c.SonidoTeclaActivo = 0;
    c.SonidoLeccionActivo = 0;
    std::memset(c.Realizados, 0, sizeof c.Realizados);
    std::memset(c.Intentos, 0, sizeof c.Intentos);
}

Carga CargarConfiguracion(const std::string& ruta, TConfiguracion& c) {
    CrearCarpetas(CarpetaDe(ruta));

    auto porDefecto = [&](Carga motivo) {
        if (motivo != Carga::NoExiste) GuardarCopia(ruta);
        ConfiguracionPorDefecto(c);
        GuardarConfiguracion(ruta, c);
        return motivo;
    };

    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) {
        if (errno == ENOENT) return porDefecto(Carga::NoExiste);
        throw ErrorFichero(errno, ruta, "abrir el fichero");
    }
    if (!S_ISREG(st.st_mode)) throw ErrorFichero(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, ruta, "abrir el fichero");
    if (int error = Permiso(ruta, st, R_OK)) throw ErrorFichero(error, ruta, "abrir el fichero");

    bool valido;
    {
        TCheckSum verificacion;
        verificacion.Abrir(ruta);
        if (!verificacion.Abierto) return porDefecto(Carga::NoExiste);  // removed since the stat
        valido = verificacion.TieneCheckSum() && verificacion.LeerCheckSum() == verificacion.CalcularCheckSum();
        verificacion.Cerrar();
    }
    if (!valido) return porDefecto(Carga::Invalida);

    std::uint8_t bloque[kTamanoBloque];
    ssize_t leidos;
    {
        Descriptor fd(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.valido()) throw ErrorFichero(errno, ruta, "abrir el fichero");
        leidos = LeerHasta(fd.get(), bloque, kTamanoBloque);
        if (leidos < 0) throw ErrorFichero(static_cast<int>(-leidos), ruta, "leer el fichero");
        fd.cerrar();
    }

    // The bytes read land where they belong even when the file is short, so whatever reached the
    // reserved ranges stays there under the defaults.
    std::memcpy(&c, bloque, static_cast<std::size_t>(leidos));
    if (static_cast<std::size_t>(leidos) == kTamanoBloque) {
        IntentosDesdeLittleEndian(c);
        return Carga::Leida;
    }
    return porDefecto(Carga::Corta);
}

void GuardarConfiguracion(const std::string& ruta, const TConfiguracion& c) {
    CrearCarpetas(CarpetaDe(ruta));
    const std::string destino = Destino(ruta);
    // A file the user may not write (frozen on purpose) or not read (its progress never loaded)
    // is left as it is.
    struct stat st {};
    if (::stat(destino.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        if (int error = Permiso(destino, st, R_OK | W_OK)) throw ErrorFichero(error, ruta, kGuardar);
    std::uint8_t bloque[kTamanoBloque];
    ABytes(c, bloque);
    Reemplazar(
        destino, ruta, kGuardar, [&](int fd) { return EscribirTodo(fd, bloque, sizeof bloque); }, true);
}

void SumarIntento(TConfiguracion& c, int unidad, int leccion, int ejercicio) {
    std::uint16_t& n = Intento(c, unidad, leccion, ejercicio);
    if (n < UINT16_MAX) ++n;
}

}  // namespace almacen
