// What the window benchmarks share: counting paints, and waiting until an event's work is on
// screen.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

void SincronizarX11(void* display);  // SincronizarX11.cpp

namespace medida {

// Counts the paint events of the widgets it watches.
class ContadorPintado : public QObject {
public:
    int veces = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++veces;
        return false;
    }
};

// Everything the event left to do done: posted events (the deferred repaints among them) sent,
// and on xcb (x11 not null) one round trip so that the X server has taken the picture.
inline void Terminar(void* x11) {
    QCoreApplication::sendPostedEvents();
    if (x11) SincronizarX11(x11);
}

// The untimed settling between iterations.
inline void Asentar(void* x11) {
    QCoreApplication::processEvents();
    Terminar(x11);
}

}  // namespace medida
