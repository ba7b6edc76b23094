// libFuzzer target: the checksummed file on arbitrary contents.
//
// Input: inputs under 8 bytes are the file as they are. Otherwise the first 7 bytes steer the
// run and the rest is the file:
//   [0] bits 0-2 the file's mode, bit 3 tile the contents to a length, bit 4 seal with a wrong
//       value first, bit 5 reopen with the same object, bit 6 a missing file instead
//   [1..4] the wrong value (little-endian)
//   [5..6] the tiled length: [6] << ([5] % 11), plus [5] / 11, up to 261143 bytes. Files over
//       the 61440-byte read chunk, and of several chunks, come up without the fuzzer growing its
//       inputs that far, and most tiled files stay small so that runs stay fast.
//
// Checked: what Abrir reports (size, mode, trailer), LeerCheckSum and CalcularCheckSum against a
// sum done here, that GrabarCheckSum writes exactly the value given, in place over a trailer or
// appended (length + 12) after none, leaves the guarded bytes and the mode alone, and that after
// GrabarCheckSum(CalcularCheckSum()) the file verifies, also for a fresh object.
#include <algorithm>
#include <array>

#include "comun.h"
#include "store/CheckSum.h"

namespace {

using almacen::TCheckSum;
using fuzz::Bytes;
using fuzz::Fallo;

// Owner may always write, so the run means the same as root or not.
constexpr std::array<mode_t, 8> kModos = {0600, 0644, 0640, 0664, 0666, 0700, 0755, 04755};

struct Esperado {
    std::size_t tamano;
    bool trailer;
    std::uint32_t guardada;  // stored value, 0 without a trailer
    std::uint32_t suma;      // over the guarded bytes
};

Esperado Calcular(const Bytes& f) {
    const bool t = fuzz::TieneMarca(f.data(), f.size());
    const std::size_t guardados = t ? f.size() - 12 : f.size();
    return {f.size(), t, t ? fuzz::U32(f.data() + f.size() - 4) : 0, fuzz::Suma(f.data(), guardados)};
}

void Comprobar(TCheckSum& s, const std::string& ruta, const Esperado& e, mode_t modo) {
    const std::size_t n = e.tamano;
    if (!s.Abierto) Fallo("an existing file did not open", n);
    if (s.Nombre != ruta) Fallo("Nombre is not the file opened", n);
    if (static_cast<std::size_t>(s.Tamano) != n) Fallo("Tamano is not the file's length", n);
    if (s.Atributos != (modo & 07777)) Fallo("Atributos is not the file's mode", n);
    if (s.LongMarca != 12 || s.LongCheckSum != 4) Fallo("trailer lengths changed", n);
    if (s.ConCheckSum != e.trailer || s.TieneCheckSum() != e.trailer) Fallo("trailer presence misjudged", n);
    if (s.LeerCheckSum() != e.guardada) Fallo("LeerCheckSum is not the stored value", n);
    if (s.CalcularCheckSum() != e.suma) Fallo("CalcularCheckSum is not the sum of the guarded bytes", n);
}

mode_t ModoDe(const std::string& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) std::abort();
    return st.st_mode & 07777;
}

// Sealing with v must leave the guarded bytes, then the marker, then v, and keep the mode.
void Grabar(TCheckSum& s, const std::string& ruta, const Bytes& guardados, std::uint32_t v, mode_t modo) {
    s.GrabarCheckSum(v);
    Bytes esperado = guardados;
    esperado.insert(esperado.end(), fuzz::kMarca, fuzz::kMarca + 8);
    for (int i = 0; i < 4; ++i) esperado.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    const std::size_t n = esperado.size();
    if (fuzz::Leer(ruta) != esperado) Fallo("the file after GrabarCheckSum is not guarded bytes + trailer", n);
    if (ModoDe(ruta) != modo) Fallo("GrabarCheckSum changed the mode", n);
    // The object goes on reading the sealed file.
    Comprobar(s, ruta, {n, true, v, fuzz::Suma(guardados.data(), guardados.size())}, modo);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    std::uint8_t ordenes = 0;
    std::uint32_t erroneo = 0;
    Bytes f;
    if (tamano < 8) {
        f.assign(datos, datos + tamano);
    } else {
        ordenes = datos[0];
        erroneo = fuzz::U32(datos + 1);
        f.assign(datos + 7, datos + tamano);
        if (ordenes & 8) {
            const std::size_t largo = (std::size_t{datos[6]} << (datos[5] % 11)) + datos[5] / 11;
            Bytes tejido(largo);
            if (!f.empty())
                for (std::size_t i = 0; i < largo; ++i) tejido[i] = f[i % f.size()];
            f = std::move(tejido);
        }
    }
    const mode_t modo = kModos[ordenes & 7];
    const std::string ruta = fuzz::Carpeta() + "/f";

    if (ordenes & 64) {
        // No file: nothing opens, every query is 0, sealing creates nothing.
        ::unlink(ruta.c_str());
        TCheckSum s;
        s.Abrir(ruta);
        if (s.Abierto || !s.Nombre.empty()) Fallo("a missing file opened", 0);
        if (s.TieneCheckSum() || s.LeerCheckSum() != 0 || s.CalcularCheckSum() != 0) Fallo("a missing file has data", 0);
        s.GrabarCheckSum(erroneo);
        s.Cerrar();
        if (fuzz::Existe(ruta)) Fallo("sealing a missing file created it", 0);
        return 0;
    }

    fuzz::Escribir(ruta, f.data(), f.size(), modo);
    const Esperado e = Calcular(f);
    const Bytes guardados(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(e.trailer ? f.size() - 12 : f.size()));

    try {
        TCheckSum s;
        s.Abrir(ruta);
        Comprobar(s, ruta, e, modo);
        if (ordenes & 32) {
            s.Abrir(ruta);  // again, without closing first
            Comprobar(s, ruta, e, modo);
        }
        if (ordenes & 16) {
            Grabar(s, ruta, guardados, erroneo, modo);
            const bool verifica = s.LeerCheckSum() == s.CalcularCheckSum();
            if (verifica != (erroneo == e.suma)) Fallo("a wrong sum verified, or the right one did not", f.size());
        }
        Grabar(s, ruta, guardados, s.CalcularCheckSum(), modo);
        if (s.LeerCheckSum() != s.CalcularCheckSum()) Fallo("the sealed file does not verify", f.size());
        const std::size_t sellado = guardados.size() + 12;
        if (static_cast<std::size_t>(s.Tamano) != (e.trailer ? f.size() : f.size() + 12) || sellado != static_cast<std::size_t>(s.Tamano))
            Fallo("sealing did not give old length (+12 without a trailer)", f.size());
        s.Cerrar();
        s.Cerrar();  // closing twice is harmless

        // A fresh object sees a verified file, and sealing it again changes nothing.
        TCheckSum t;
        t.Abrir(ruta);
        if (!t.Abierto || !t.ConCheckSum || t.LeerCheckSum() != t.CalcularCheckSum()) Fallo("the sealed file does not verify on reopening", f.size());
        const Bytes antes = fuzz::Leer(ruta);
        t.GrabarCheckSum(t.CalcularCheckSum());
        t.Cerrar();
        if (fuzz::Leer(ruta) != antes) Fallo("sealing a sealed file changed it", f.size());
    } catch (const almacen::ErrorFichero& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Fallo("a healthy file raised an input/output error", f.size());
    }

    // The sum itself over arbitrary bytes and counts, against the plain one.
    const std::uint16_t cuenta = static_cast<std::uint16_t>(std::min<std::size_t>(f.size(), 0xFFFF));
    if (TCheckSum::SumarBytes(f.data(), erroneo, cuenta) != erroneo + fuzz::Suma(f.data(), cuenta)) Fallo("SumarBytes", f.size());
    return 0;
}
