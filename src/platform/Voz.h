// The voice of the spoken guide. It is built as a module of its own, pulsoteclado-voz.so beside
// the program, and loaded only when the guide is turned on: Qt TextToSpeech and the speech
// service cost nothing to anyone who does not use it.
#pragma once

#include <QObject>
#include <QString>

class MotorVoz : public QObject {
public:
    using QObject::QObject;
    // Whether a Spanish voice is there to speak; without one the guide stays off.
    virtual bool Disponible() const = 0;
    // Says the text, cutting whatever was being said; an empty text only cuts. Returns at once.
    virtual void Decir(const QString& texto) = 0;
};

// The module's one entry point: a new motor, owned by dueno.
using CrearMotorVoz = MotorVoz*(QObject* dueno);
inline constexpr char kModuloVoz[] = "pulsoteclado-voz.so";
inline constexpr char kCrearMotorVoz[] = "pt_crear_motor_voz";
