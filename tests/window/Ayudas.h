// What the window tests share: a platform that records instead of blocking, a scratch per-user
// data folder, and physical key events carrying X11 key codes.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <functional>
#include <memory>
#include <string_view>

#include "../comun/Mecanografo.h"
#include "Pulsoteclado.h"
#include "platform/Plataforma.h"

class PlataformaPrueba : public Plataforma {
public:
    QStringList mensajes, errores, avisos, preguntas, sonidos;
    int pitidos = 0;
    bool respuesta = false;       // answer to every question
    bool sonidoReproducible = true;
    std::function<int(QDialog&)> alDialogo = [](QDialog&) { return int(QDialog::Rejected); };
    QStringList dialogos;         // class names of the dialogs run
    QString ficheroElegido;       // what the file chooser answers
    QString carpeta;              // the folder every folder question answers

    QString ElegirCarpeta(QWidget*, const QString&) override { return carpeta; }

    void MostrarMensaje(QWidget*, const QString& t) override { mensajes << t; }
    void MostrarError(QWidget*, const QString& t) override { errores << t; }
    void MostrarAviso(QWidget*, const QString& t) override { avisos << t; }
    bool Preguntar(QWidget*, const QString& t) override { preguntas << t; return respuesta; }
    void Pitido() override { ++pitidos; }
    bool ReproducirSonido(const QString& ruta) override { sonidos << ruta; return sonidoReproducible; }
    QString ElegirFichero(QWidget*, const QString&, const QString&) override { return ficheroElegido; }
    int EjecutarDialogo(QDialog& d) override {
        dialogos << QString::fromLatin1(d.metaObject()->className());
        return alDialogo(d);
    }
    // The spoken guide's voice: whether there is one, how often it was asked for, what it said.
    bool vozDisponible = true;
    int vozPedida = 0;
    QStringList dichos;
    bool PrepararVoz() override { ++vozPedida; return vozDisponible; }
    bool HayVoz() override { ++vozPedida; return vozDisponible; }
    void Decir(const QString& t) override { dichos << t; }
};

// A scratch home for the progress file, the settings file and the recording platform, for one test.
struct Entorno {
    QTemporaryDir dir;
    PlataformaPrueba plataforma;
    Entorno() {
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        // The settings file of the aids too: never the developer's own.
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
        EstablecerPlataforma(&plataforma);
    }
    ~Entorno() { EstablecerPlataforma(nullptr); }
    QString Fichero() const { return dir.path() + QStringLiteral("/Pulsoteclado/") + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".cfg"); }
};

// One physical key event, as the X server sends it (Qt::Key left unknown so only the code counts).
inline void Fisica(QWidget* w, std::uint32_t codigo, bool abajo, bool repeticion = false) {
    QKeyEvent e(abajo ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, codigo, 0, 0,
                QString(), repeticion);
    QApplication::sendEvent(w, &e);
}

inline void Golpe(QWidget* w, std::uint32_t codigo) {
    Fisica(w, codigo, true);
    Fisica(w, codigo, false);
}

// Types a Windows-1252 text with the physical keys that produce it.
inline void Teclear(QWidget* w, std::string_view texto) {
    for (const prueba::Golpe& g : prueba::Teclear(texto)) Fisica(w, g.codigo, g.abajo);
}

// The main window, shown and active, so that its shortcuts fire.
inline std::unique_ptr<TfrmPulsoteclado> Ventana() {
    auto w = std::make_unique<TfrmPulsoteclado>();
    w->show();
    QApplication::setActiveWindow(w.get());
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get())) qWarning("window not active");
    return w;
}
