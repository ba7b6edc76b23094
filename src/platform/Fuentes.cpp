#include "platform/Fuentes.h"

#include <fontconfig/fontconfig.h>

PreparacionFuentes::PreparacionFuentes()
    // FcInit sets the process's current configuration once; the later calls, Qt's among them,
    // find it made.
    : hilo_([this] { lista_ = FcInit() == FcTrue; }) {}

PreparacionFuentes::~PreparacionFuentes() { Esperar(); }

void PreparacionFuentes::Esperar() {
    if (hilo_.joinable()) hilo_.join();
}
