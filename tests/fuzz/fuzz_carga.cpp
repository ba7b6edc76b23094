// libFuzzer target: loading the progress file from arbitrary contents of any size.
//
// Input: the first byte chooses how the rest becomes the file. Even: the rest is the file as it
// is. Odd: the rest followed by a correct trailer, so that sealed files of every length, short
// and long, are reached without the fuzzer having to find the sum. An empty input is an empty file.
//
// After every load: the result is the one the contents call for; the block is exactly the file's
// first 3936 bytes (sealed and long enough) or the defaults over what the block held, with a short
// sealed file's bytes in place; the file on disk is then valid and holds that block; a refused
// file is kept byte for byte as .bak; nothing else is left in the folder; loading again reads back
// the same block.
#include <dirent.h>

#include "comun.h"
#include "../comun/Bloque.h"
#include "store/CheckSum.h"
#include "store/Configuracion.h"

namespace {

using almacen::Carga;
using almacen::TConfiguracion;
using fuzz::Bytes;
using fuzz::Fallo;

using prueba::BloqueDe;

// The same struct from file bytes (the first 3936), field by field.
TConfiguracion DesdeBytes(const std::uint8_t* b) {
    TConfiguracion c;
    std::size_t p = 0;
    c.Reservado0 = b[p++];
    c.Reservado1 = b[p++];
    for (auto& v : c.Reservado2) v = b[p++];
    c.VerManos = b[p++];
    c.PintarTecladoActivo = b[p++];
    c.SonidoTeclaActivo = b[p++];
    c.SonidoLeccionActivo = b[p++];
    for (auto& v : c.Reservado56) v = b[p++];
    for (auto& u : c.Realizados)
        for (auto& l : u)
            for (auto& v : l) v = b[p++];
    for (auto& u : c.Intentos)
        for (auto& l : u)
            for (auto& v : l) {
                v = static_cast<std::uint16_t>(b[p] | b[p + 1] << 8);
                p += 2;
            }
    return c;
}

std::vector<std::string> Contenido(const std::string& carpeta) {
    std::vector<std::string> n;
    if (DIR* d = ::opendir(carpeta.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) n.emplace_back(e->d_name);
        ::closedir(d);
    }
    return n;
}

Carga Cargar(const std::string& ruta, TConfiguracion& c, std::size_t n) {
    try {
        return almacen::CargarConfiguracion(ruta, c);
    } catch (const almacen::ErrorFichero& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fallo("a load on a healthy folder failed", n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    Bytes f;
    if (tamano > 0) {
        f.assign(datos + 1, datos + tamano);
        if (datos[0] & 1) fuzz::Sellar(f);
    }
    const std::size_t n = f.size();

    // Inside a folder of its own, which the first load creates.
    const std::string carpeta = fuzz::Carpeta() + "/Pulsoteclado";
    const std::string ruta = carpeta + "/pulsoteclado.cfg";
    const std::string bak = ruta + ".bak";
    if (fuzz::Existe(carpeta)) {
        ::unlink(bak.c_str());
        fuzz::Escribir(ruta, f.data(), n);
    } else {
        // The first input also covers creating the folder; the file is written once it exists.
        TConfiguracion tmp{};
        Cargar(ruta, tmp, n);
        ::unlink(bak.c_str());
        fuzz::Escribir(ruta, f.data(), n);
    }

    // What the block held before: a pattern that differs from the defaults and from input to input.
    TConfiguracion c;
    auto* bc = reinterpret_cast<std::uint8_t*>(&c);
    const std::uint32_t semilla = fuzz::Suma(f.data(), n) * 2654435761u + static_cast<std::uint32_t>(n);
    for (std::size_t i = 0; i < sizeof c; ++i) bc[i] = static_cast<std::uint8_t>((semilla >> (i % 24)) + i * 37);
    TConfiguracion antes;
    std::memcpy(&antes, &c, sizeof c);

    const bool sellado = fuzz::Sellado(f.data(), n);
    const Carga esperada = !sellado ? Carga::Invalida : n >= almacen::kTamanoBloque ? Carga::Leida : Carga::Corta;
    const Carga r = Cargar(ruta, c, n);
    if (r != esperada) Fallo("unexpected load result", n);

    TConfiguracion esperado;
    if (r == Carga::Leida) {
        esperado = DesdeBytes(f.data());
    } else {
        std::memcpy(&esperado, &antes, sizeof antes);
        // A short sealed file lands where it belongs before the defaults replace the settings.
        if (r == Carga::Corta) std::memcpy(&esperado, f.data(), n);
        almacen::ConfiguracionPorDefecto(esperado);
    }
    const Bytes bloque = BloqueDe(c);
    if (bloque != BloqueDe(esperado)) Fallo("the block is neither the file's bytes nor the defaults", n);

    bool hay = false;
    const Bytes disco = fuzz::Leer(ruta, &hay);
    if (!hay) Fallo("the progress file is gone", n);
    bool hayCopia = false;
    const Bytes copia = fuzz::Leer(bak, &hayCopia);
    if (r == Carga::Leida) {
        if (disco != f) Fallo("a valid file was rewritten on load", n);
        if (hayCopia) Fallo("a copy was kept of a valid file", n);
    } else {
        Bytes sellada = bloque;
        fuzz::Sellar(sellada);
        if (disco != sellada) Fallo("the defaults saved are not the block in memory", n);
        if (!hayCopia || copia != f) Fallo("the refused file was not kept as .bak byte for byte", n);
    }
    const std::size_t ficheros = Contenido(carpeta).size();
    if (ficheros != (r == Carga::Leida ? 1u : 2u)) Fallo("a temporary file was left behind", n);

    // What the file now holds reads back as the same block.
    TConfiguracion otra;
    std::memset(&otra, 0x5A, sizeof otra);
    if (Cargar(ruta, otra, n) != Carga::Leida) Fallo("the file left on disk does not load", n);
    if (BloqueDe(otra) != bloque) Fallo("the file left on disk holds another block", n);
    return 0;
}
