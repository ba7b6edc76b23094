// The sound output. It is built as a module of its own, pulsoteclado-sonido.so beside the
// program, and loaded once the window is on screen: Qt Multimedia and the audio libraries it
// brings then cost nothing at start-up.
#pragma once

#include <QObject>
#include <QString>

class MotorSonido : public QObject {
public:
    using QObject::QObject;
    // The key click, restarted on every call so that fast typing gives one click per key.
    virtual void Clic() = 0;
    // Plays a WAV file and returns when it has ended, or after limiteMs whatever the audio output
    // does; false when it cannot be played.
    virtual bool Reproducir(const QString& ruta, int limiteMs) = 0;
};

// The module's one entry point: a new motor, owned by dueno.
using CrearMotorSonido = MotorSonido*(QObject* dueno);
inline constexpr char kModuloSonido[] = "pulsoteclado-sonido.so";
inline constexpr char kCrearMotorSonido[] = "pt_crear_motor_sonido";
