// The store as the program uses it: finished attempts are queued and written on a thread of their
// own, so the key that ends an attempt never waits for the disk. The file is opened when first
// needed. A damaged file is set aside and a new one started; a file that cannot be opened or
// written is reported once and the program goes on without statistics. Qt-free.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "estadisticas/Almacen.h"
#include "estadisticas/Analisis.h"
#include "estadisticas/Intento.h"

namespace estadisticas {

class Servicio {
public:
    enum class Aviso {
        Renombrada,    // detalle: the name the damaged file was kept under
        NoDisponible,  // detalle: the reason; nothing more is recorded this session
        NoEscrita,     // detalle: the reason; the attempt is lost, later ones are tried again
    };
    // Called on the thread that met the fault, at most once per kind of fault and session.
    using Avisar = std::function<void(Aviso, const std::string& detalle)>;

    Servicio(std::string ruta, Avisar avisar);
    ~Servicio();  // writes what is queued, then ends the thread
    Servicio(const Servicio&) = delete;
    Servicio& operator=(const Servicio&) = delete;

    const std::string& Ruta() const { return ruta_; }
    void Encolar(Intento intento);
    // Returns when every queued attempt has been written (or given up).
    void Esperar();
    // Runs f with the open store on the calling thread once pending writes are done; false when
    // the store is not available (already reported).
    bool Usar(const std::function<void(BaseDatos&)>& f);
    bool Disponible() const;

    // The analysis of everything stored, on the calling thread once pending writes are done. The
    // figures are kept between calls, so each call reads only the attempts written since the last.
    // False when the store is not available (already reported).
    bool Analizar(Resumen& r);
    // Has the writing thread read the stored history into those figures now, when the file exists,
    // so that the first look at them need not wait for it.
    void Precalentar();

private:
    void Hilo();
    // With the lock held: opens the store if it is not open yet. False when not available.
    bool AbrirSiHaceFalta();
    // With the connection's lock held: runs f on the store, recovering once from a damaged file.
    bool Intentar(const std::function<void(BaseDatos&)>& f);
    // With the connection's lock held: brings the kept figures up to the stored attempts.
    void PonerAlDia(BaseDatos& db);
    void Avisa(Aviso a, const std::string& detalle);

    const std::string ruta_;
    Avisar avisar_;
    mutable std::mutex mutex_;        // the queue and the flags
    std::mutex base_;                 // the connection
    std::condition_variable hayTrabajo_, vacia_;
    std::deque<Intento> cola_;
    bool ocupado_ = false;
    bool fin_ = false;
    std::unique_ptr<BaseDatos> db_;
    std::unique_ptr<Analizador> analisis_;  // with the connection's lock
    bool precalentar_ = false;
    bool noDisponible_ = false;
    bool avisadoEscritura_ = false;
    std::thread hilo_;
};

}  // namespace estadisticas
