// What both store fuzz targets share: a private scratch folder, whole-file reads and writes, and
// a failure that names the broken property and stops the run.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kMarca[8] = {0x1A, 'C', 'h', 'k', 'Z', 'O', 'R', 'P'};

[[noreturn]] inline void Fallo(const char* que, std::size_t tamano) {
    std::fprintf(stderr, "FUZZ PROPERTY BROKEN: %s (file of %zu bytes)\n", que, tamano);
    std::abort();
}

// A folder of this process's own: under PT_FUZZ_TMP (the runner's, removed when it ends), else
// on tmpfs when there is one so that fsync costs nothing.
inline const std::string& Carpeta() {
    static const std::string carpeta = [] {
        const char* elegida = std::getenv("PT_FUZZ_TMP");
        std::string base = elegida && *elegida ? elegida : "/dev/shm";
        struct stat st {};
        if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(base.c_str(), W_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string plantilla = base + "/pt_fuzz_XXXXXX";
        if (!::mkdtemp(plantilla.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return plantilla;
    }();
    return carpeta;
}

inline bool Existe(const std::string& ruta) {
    struct stat st {};
    return ::lstat(ruta.c_str(), &st) == 0;
}

inline void Escribir(const std::string& ruta, const std::uint8_t* datos, std::size_t n, mode_t modo = 0644) {
    ::unlink(ruta.c_str());
    int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, modo);
    if (fd < 0) {
        std::perror(ruta.c_str());
        std::abort();
    }
    std::size_t hecho = 0;
    while (hecho < n) {
        ssize_t r = ::write(fd, datos + hecho, n - hecho);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            std::perror(ruta.c_str());
            std::abort();
        }
        hecho += static_cast<std::size_t>(r);
    }
    // The umask must not decide the mode under test.
    if (::fchmod(fd, modo) != 0 || ::close(fd) != 0) {
        std::perror(ruta.c_str());
        std::abort();
    }
}

// The whole file; an absent file reads as nothing and sets *existe false.
inline Bytes Leer(const std::string& ruta, bool* existe = nullptr) {
    Bytes b;
    int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (existe) *existe = fd >= 0;
    if (fd < 0) return b;
    std::uint8_t trozo[8192];
    for (;;) {
        ssize_t r = ::read(fd, trozo, sizeof trozo);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        b.insert(b.end(), trozo, trozo + r);
    }
    ::close(fd);
    return b;
}

inline std::uint32_t Suma(const std::uint8_t* b, std::size_t n) {
    std::uint32_t s = 0;
    for (std::size_t i = 0; i < n; ++i) s += b[i];
    return s;
}

inline std::uint32_t U32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

inline bool TieneMarca(const std::uint8_t* b, std::size_t n) {
    return n >= 12 && std::memcmp(b + n - 12, kMarca, sizeof kMarca) == 0;
}

// Marker and a correct sum over everything before it.
inline bool Sellado(const std::uint8_t* b, std::size_t n) { return TieneMarca(b, n) && U32(b + n - 4) == Suma(b, n - 12); }

inline void Sellar(Bytes& b) {
    const std::uint32_t s = Suma(b.data(), b.size());
    b.insert(b.end(), kMarca, kMarca + 8);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(s >> (8 * i)));
}

}  // namespace fuzz
