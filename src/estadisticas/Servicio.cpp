#include "estadisticas/Servicio.h"

#include <filesystem>
#include <utility>

namespace estadisticas {

Servicio::Servicio(std::string ruta, Avisar avisar) : ruta_(std::move(ruta)), avisar_(std::move(avisar)) {}

Servicio::~Servicio() {
    {
        std::lock_guard<std::mutex> l(mutex_);
        fin_ = true;
    }
    hayTrabajo_.notify_all();
    if (hilo_.joinable()) hilo_.join();
}

void Servicio::Encolar(Intento intento) {
    {
        std::lock_guard<std::mutex> l(mutex_);
        if (noDisponible_) return;
        cola_.push_back(std::move(intento));
        // The thread starts with the first attempt to write, never at start-up.
        if (!hilo_.joinable()) hilo_ = std::thread(&Servicio::Hilo, this);
    }
    hayTrabajo_.notify_one();
}

void Servicio::Precalentar() {
    {
        std::lock_guard<std::mutex> l(mutex_);
        if (noDisponible_) return;
        precalentar_ = true;
        if (!hilo_.joinable()) hilo_ = std::thread(&Servicio::Hilo, this);
    }
    hayTrabajo_.notify_one();
}

void Servicio::Esperar() {
    std::unique_lock<std::mutex> l(mutex_);
    vacia_.wait(l, [this] { return cola_.empty() && !ocupado_ && !precalentar_; });
}

bool Servicio::Disponible() const {
    std::lock_guard<std::mutex> l(mutex_);
    return !noDisponible_;
}

void Servicio::Hilo() {
    std::unique_lock<std::mutex> l(mutex_);
    for (;;) {
        hayTrabajo_.wait(l, [this] { return fin_ || !cola_.empty() || precalentar_; });
        if (cola_.empty() && fin_) {  // nothing left to write
            precalentar_ = false;
            vacia_.notify_all();
            break;
        }
        if (cola_.empty()) {
            precalentar_ = false;
            ocupado_ = true;
            l.unlock();
            {
                std::lock_guard<std::mutex> b(base_);
                std::error_code ec;
                // Only a file that is there: looking at the figures must not create one.
                if (std::filesystem::exists(ruta_, ec))
                    Intentar([this](BaseDatos& db) { PonerAlDia(db); });
            }
            l.lock();
            ocupado_ = false;
            if (cola_.empty()) vacia_.notify_all();
            continue;
        }
        Intento in = std::move(cola_.front());
        cola_.pop_front();
        ocupado_ = true;
        l.unlock();
        {
            std::lock_guard<std::mutex> b(base_);
            Intentar([&in](BaseDatos& db) { db.Guardar(in); });
        }
        l.lock();
        if (cola_.empty()) {
            // Nothing else to write: the journal goes back into the file now, not inside a commit.
            l.unlock();
            {
                std::lock_guard<std::mutex> b(base_);
                if (db_) Intentar([](BaseDatos& db) { db.Asentar(); });
            }
            l.lock();
        }
        ocupado_ = false;
        if (cola_.empty()) vacia_.notify_all();
    }
}

bool Servicio::AbrirSiHaceFalta() {
    if (db_) return true;
    {
        std::lock_guard<std::mutex> l(mutex_);
        if (noDisponible_) return false;
    }
    try {
        std::string renombrado;
        db_ = AbrirRecuperando(ruta_, &renombrado);
        if (!renombrado.empty()) Avisa(Aviso::Renombrada, renombrado);
        return true;
    } catch (const ErrorBase& e) {
        {
            std::lock_guard<std::mutex> l(mutex_);
            noDisponible_ = true;
            cola_.clear();
        }
        Avisa(Aviso::NoDisponible, e.what());
        return false;
    }
}

bool Servicio::Intentar(const std::function<void(BaseDatos&)>& f) {
    if (!AbrirSiHaceFalta()) return false;
    try {
        f(*db_);
        return true;
    } catch (const ErrorBase& e) {
        if (e.tipo != ErrorBase::Tipo::Danada) {
            Avisa(Aviso::NoEscrita, e.what());
            return false;
        }
    }
    // Found damaged while in use: set aside, start anew and do it there.
    db_.reset();
    analisis_.reset();
    try {
        Avisa(Aviso::Renombrada, ApartarDanada(ruta_));
        db_ = std::make_unique<BaseDatos>(ruta_);
        f(*db_);
        return true;
    } catch (const ErrorBase& e) {
        db_.reset();
        Avisa(Aviso::NoEscrita, e.what());
        return false;
    }
}

void Servicio::Avisa(Aviso a, const std::string& detalle) {
    if (a == Aviso::NoEscrita) {
        std::lock_guard<std::mutex> l(mutex_);
        if (avisadoEscritura_) return;
        avisadoEscritura_ = true;
    }
    if (avisar_) avisar_(a, detalle);
}

void Servicio::PonerAlDia(BaseDatos& db) {
    if (!analisis_) analisis_ = std::make_unique<Analizador>();
    try {
        Anadir(db, *analisis_);
    } catch (...) {
        analisis_.reset();  // half read: start again next time
        throw;
    }
}

bool Servicio::Analizar(Resumen& r) {
    Esperar();
    std::lock_guard<std::mutex> b(base_);
    return Intentar([&](BaseDatos& db) {
        PonerAlDia(db);
        r = analisis_->Resultado();
    });
}

bool Servicio::Usar(const std::function<void(BaseDatos&)>& f) {
    Esperar();
    std::lock_guard<std::mutex> b(base_);
    return Intentar(f);
}

}  // namespace estadisticas
