// A scripted session for the real program, loaded into it with LD_PRELOAD by valgrind.sh. When
// the application object is built it starts a timer that plays, on the main window: the first
// exercise typed correctly with physical key events, a run typed into and abandoned with Esc and
// F6, every dialog opened and cancelled, and finally a close. Modal boxes are answered as a user
// would, so the program runs its own code all the way to the end of main.
// It prints "sesion: ..." lines on stderr; "sesion: completa" only when every step happened.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

#include "../comun/Mecanografo.h"

namespace {

QWidget* Ventana() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmPulsoteclado") && w->isVisible()) return w;
    return nullptr;
}

void Fisica(QWidget* w, std::uint32_t codigo, bool abajo) {
    QKeyEvent e(abajo ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, codigo, 0, 0);
    QApplication::sendEvent(w, &e);
}

void Teclear(QWidget* w, const QByteArray& cp1252) {
    for (const prueba::Golpe& g : prueba::Teclear(std::string_view(cp1252.constData(), static_cast<std::size_t>(cp1252.size()))))
        Fisica(w, g.codigo, g.abajo);
}

class Guion : public QObject {
public:
    Guion() {
        temporizador_.setInterval(100);
        connect(&temporizador_, &QTimer::timeout, this, &Guion::Paso);
        temporizador_.start();
        // A box or dialog opened by a step runs its own event loop, inside the step's timer slot,
        // where that timer does not fire again: a second timer answers it.
        contestador_.setInterval(100);
        connect(&contestador_, &QTimer::timeout, this, &Guion::Contestar);
        contestador_.start();
        const auto abrir = [this](Qt::Key k, const char* que) {
            return [this, k, que](QWidget* w) {
                esperado_ = que;
                QTest::keyClick(w, k);
            };
        };
        pasos_ = {
            [](QWidget* w) { QTest::keyClick(w, Qt::Key_F6); },
            [](QWidget* w) {
                // The first exercise is a drill: its label holds exactly the text to type.
                const auto* origen = w->findChild<QLabel*>(QStringLiteral("lblTextoOrigen"));
                const QByteArray texto = origen ? origen->text().toLatin1() : QByteArray();
                std::fprintf(stderr, "sesion: tecleando %d caracteres\n", int(texto.size()));
                Teclear(w, texto);
            },
            [](QWidget* w) {
                QTest::keyClick(w, Qt::Key_F6);
                Teclear(w, "asdf");
                Fisica(w, 9, true);
                Fisica(w, 9, false);
                Teclear(w, "jk");
                QTest::keyClick(w, Qt::Key_F6);
            },
            abrir(Qt::Key_F1, "TfrmSobreElPrograma"),
            abrir(Qt::Key_F5, "TfrmLecciones"),
            abrir(Qt::Key_F7, "TfrmEligeUnidad"),
            abrir(Qt::Key_F9, "TfrmConfiguracion"),
            abrir(Qt::Key_F10, "TfrmConfiguracion"),
            [this](QWidget* w) {
                std::fprintf(stderr, "sesion: %s\n", cajas_ == 1 && dialogos_ == 5 ? "completa" : "INCOMPLETA");
                std::fprintf(stderr, "sesion: %d cajas, %d dialogos\n", cajas_, dialogos_);
                temporizador_.stop();
                w->close();
                contestador_.stop();
            },
        };
    }

private:
    QTimer temporizador_, contestador_;
    std::vector<std::function<void(QWidget*)>> pasos_;
    std::size_t siguiente_ = 0;
    int cajas_ = 0, dialogos_ = 0;
    const char* esperado_ = nullptr;
    bool enPaso_ = false;  // a step's box runs a nested event loop: no other step meanwhile

    // True while a modal box or dialog is up; it is recorded and cancelled.
    bool Contestar() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            auto* d = qobject_cast<QDialog*>(modal);
            if (auto* caja = qobject_cast<QMessageBox*>(modal)) {
                ++cajas_;
                std::fprintf(stderr, "sesion: caja: %s\n", qPrintable(caja->text().section(QLatin1Char('\n'), 0, 0)));
            } else if (d && esperado_ && modal->inherits(esperado_)) {
                ++dialogos_;
                std::fprintf(stderr, "sesion: dialogo %s\n", modal->metaObject()->className());
                esperado_ = nullptr;
            }
            if (d) d->reject();
            return true;
        }
        return false;
    }

    void Paso() {
        if (Contestar()) return;
        QWidget* w = Ventana();
        if (!w || enPaso_ || siguiente_ >= pasos_.size()) return;
        if (!w->isActiveWindow()) {
            w->activateWindow();
            return;
        }
        enPaso_ = true;
        pasos_[siguiente_++](w);
        enPaso_ = false;
    }
};

void Arrancar() {
    // Owned by the application, so it goes before the widgets do.
    auto* guion = new Guion;
    guion->setParent(QCoreApplication::instance());
}

[[maybe_unused]] const int kRegistrado = (qAddPreRoutine(Arrancar), 0);

}  // namespace
