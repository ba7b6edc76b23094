// A storm of random key events on the main window, with a fixed seed: any X11 key code 8..255
// down or up, with or without the auto-repeat flag, the modifier keys, Caps Lock and the dead keys
// more often than the rest, events without a key code that only carry a Qt::Key, F6 and Esc, the
// other command keys, and now and then a whole exercise typed correctly (sometimes after jumping
// to a random exercise, as the lesson chooser would). After every single event:
//   - Escritos is the length of the typed text during a run and 0 outside one;
//   - no counter in Intentos or Realizados goes down; only the exercise under way changes, an
//     attempt by at most one, a "done" mark only with a correct verdict;
//   - the current position names an existing exercise;
//   - AcentoPendiente is 0 or one of the four accents;
//   - no dialog is left open, every box is a verdict, no error box, no question.
// A correctly typed exercise must get the correct verdict whatever the storm did before.
//
// 1,000,000 events, also under the sanitizers (about 20 s here, 50 s with ASan and UBSan). The
// variable PT_TORMENTA_EVENTOS sets another count.
#include <QLabel>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Ayudas.h"
#include "Pulsoteclado.h"
#include "platform/Texto.h"

using catalogo::Posicion;

namespace {

constexpr long kEventosPorDefecto = 1000000;
constexpr std::uint64_t kSemilla = 0x50756C736F746563ull;

long Eventos() {
    if (const char* v = std::getenv("PT_TORMENTA_EVENTOS")) {
        char* fin = nullptr;
        const long n = std::strtol(v, &fin, 10);
        if (fin != v && *fin == '\0' && n > 0) return n;
    }
    return kEventosPorDefecto;
}

// splitmix64: the same sequence on every platform and library.
struct Azar {
    std::uint64_t s;
    std::uint64_t operator()() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Hasta(unsigned n) { return static_cast<unsigned>((*this)() % n); }
    bool Uno(unsigned enCuantos) { return Hasta(enCuantos) == 0; }
};

constexpr std::uint32_t kModificadores[] = {50, 62, 37, 105, 64, 108, 92, 66};  // Shifts, Controls, Alt, AltGr x2, Caps Lock
constexpr std::uint32_t kMuertas[] = {34, 48};
constexpr Qt::Key kSoloQtKey[] = {Qt::Key_A, Qt::Key_E, Qt::Key_Z, Qt::Key_0, Qt::Key_Space, Qt::Key_Return,
                                  Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_CapsLock, Qt::Key_Shift,
                                  Qt::Key_Control, Qt::Key_Alt, Qt::Key_AltGr, Qt::Key_F3, Qt::Key_Eacute, Qt::Key_unknown};
constexpr Qt::Key kOrdenes[] = {Qt::Key_F1, Qt::Key_F5, Qt::Key_F7, Qt::Key_F9, Qt::Key_F10};

bool AcentoValido(char a) {
    return a == 0 || a == teclado::kGrave || a == teclado::kCircunflejo || a == teclado::kAgudo || a == teclado::kDieresis;
}

bool PosicionValida(const Posicion& p) {
    return p.Unidad >= 1 && p.Unidad <= catalogo::NumUnidades && p.Leccion >= 1 && p.Leccion <= catalogo::NumLecciones &&
           p.Ejercicio >= 1 && p.Ejercicio <= catalogo::NumEjercicios && catalogo::Existe(p);
}

class Tormenta {
public:
    Tormenta(TfrmPulsoteclado& w, PlataformaPrueba& p) : w_(w), p_(p), azar_{kSemilla} {
        for (const teclado::FilaTecla& f : teclado::TablaTeclas()) escritura_.push_back(prueba::CodigoDeVk(f.vk));
        catalogo::ParaCadaEjercicio([this](Posicion q) { ejercicios_.push_back(q); });
        Fotografiar();
    }

    long eventos = 0, correctos = 0, incorrectos = 0, saltos = 0, dialogos = 0;
    QString fallo;

    void Ejecutar(long total) {
        long siguiente = 1000;
        while (eventos < total && fallo.isEmpty()) {
            if (azar_.Uno(8000))
                EjercicioCorrecto();
            else
                Uno();
            if (eventos >= siguiente) {
                siguiente = eventos + 1000;
                QCoreApplication::processEvents();  // timers, paints and deferred work get their turn
                if (fallo.isEmpty()) ComprobarVentanas();
            }
        }
    }

private:
    TfrmPulsoteclado& w_;
    PlataformaPrueba& p_;
    Azar azar_;
    std::vector<std::uint32_t> escritura_;
    std::vector<Posicion> ejercicios_;
    std::set<std::uint32_t> abajo_;
    std::deque<QString> ultimos_;

    std::uint8_t realizados_[7][12][15]{};
    std::uint16_t intentos_[7][12][15]{};
    qsizetype mensajes_ = 0, dialogosVistos_ = 0;

    void Fotografiar() {
        std::memcpy(realizados_, w_.Configuracion.Realizados, sizeof realizados_);
        std::memcpy(intentos_, w_.Configuracion.Intentos, sizeof intentos_);
        mensajes_ = p_.mensajes.size();
        dialogosVistos_ = p_.dialogos.size();
    }

    void Anotar(const QString& que) {
        ultimos_.push_back(QStringLiteral("#%1 %2").arg(eventos).arg(que));
        if (ultimos_.size() > 24) ultimos_.pop_front();
    }

    void Fallar(const QString& que) {
        if (!fallo.isEmpty()) return;
        QStringList l;
        for (const QString& s : ultimos_) l << s;
        fallo = QStringLiteral("after event %1 (seed %2): %3\nlast events:\n  %4")
                    .arg(eventos)
                    .arg(kSemilla, 0, 16)
                    .arg(que, l.join(QStringLiteral("\n  ")));
    }

    void Fisica(std::uint32_t codigo, bool abajo, bool repeticion) {
        if (abajo)
            abajo_.insert(codigo);
        else if (!repeticion)
            abajo_.erase(codigo);
        Anotar(QStringLiteral("code %1 %2%3").arg(codigo).arg(QLatin1String(abajo ? "down" : "up"), QLatin1String(repeticion ? " repeat" : "")));
        ::Fisica(&w_, codigo, abajo, repeticion);
        Despues();
    }

    // Keys that only carry a Qt::Key are held in abajo_ too, above every key code.
    static constexpr std::uint32_t kSinCodigo = 1u << 30;

    void QtKey(Qt::Key k, bool abajo) {
        if (abajo)
            abajo_.insert(kSinCodigo + static_cast<std::uint32_t>(k));
        else
            abajo_.erase(kSinCodigo + static_cast<std::uint32_t>(k));
        Anotar(QStringLiteral("Qt key 0x%1 %2 without code").arg(int(k), 0, 16).arg(QLatin1String(abajo ? "down" : "up")));
        QKeyEvent e(abajo ? QEvent::KeyPress : QEvent::KeyRelease, k, Qt::NoModifier, 0, 0, 0);
        QApplication::sendEvent(&w_, &e);
        Despues();
    }

    void Orden(Qt::Key k) {
        Anotar(QStringLiteral("keyClick 0x%1").arg(int(k), 0, 16));
        const bool abre = !w_.EnEjercicio && k != Qt::Key_F6;
        const qsizetype antes = p_.dialogos.size();
        QTest::keyClick(&w_, k);
        if (abre) {
            ++dialogos;
            if (p_.dialogos.size() <= antes) Fallar(QStringLiteral("an idle command key ran no dialog"));
        } else if (k != Qt::Key_F6 && p_.dialogos.size() != antes) {
            Fallar(QStringLiteral("a command key ran a dialog during a run"));
        }
        dialogosVistos_ = p_.dialogos.size();
        Despues();
    }

    void Uno() {
        // Rare enough that random typing often reaches the end of a text and gets its verdict.
        const unsigned r = azar_.Hasta(6000);
        if (r < 4) {
            Orden(Qt::Key_F6);
        } else if (r < 6) {
            Orden(kOrdenes[azar_.Hasta(std::size(kOrdenes))]);
        } else if (r < 8) {
            Fisica(9, true, false);  // Esc
        } else if (r < 120) {
            QtKey(kSoloQtKey[azar_.Hasta(std::size(kSoloQtKey))], azar_.Uno(2));
        } else {
            std::uint32_t codigo;
            const unsigned clase = azar_.Hasta(100);
            if (clase < 10)
                codigo = kModificadores[azar_.Hasta(std::size(kModificadores))];
            else if (clase < 15)
                codigo = kMuertas[azar_.Hasta(std::size(kMuertas))];
            else if (clase < 85)
                codigo = escritura_[azar_.Hasta(static_cast<unsigned>(escritura_.size()))];
            else
                codigo = 8 + azar_.Hasta(248);  // Esc among them: not so often that no text ever gets long
            bool abajo = azar_.Hasta(100) < 60;
            // Most key-ups release a key that is down, as a keyboard would, and few keys stay down
            // at once: a Control held for ever would type nothing.
            if (abajo_.size() > 2 && azar_.Hasta(2) == 0) abajo = false;
            if (!abajo && !abajo_.empty() && azar_.Hasta(4) != 0) {
                auto it = abajo_.begin();
                std::advance(it, azar_.Hasta(static_cast<unsigned>(abajo_.size())));
                if (*it >= kSinCodigo) return QtKey(static_cast<Qt::Key>(*it - kSinCodigo), false);
                codigo = *it;
            }
            Fisica(codigo, abajo, azar_.Uno(10));
        }
    }

    // Everything released, Caps Lock off, no accent waiting, then the text typed from F6 on.
    void EjercicioCorrecto() {
        for (std::uint32_t m : kModificadores)
            if (m != 66) Fisica(m, false, false);
        for (std::uint32_t c : std::set<std::uint32_t>(abajo_)) {
            if (c >= kSinCodigo)
                QtKey(static_cast<Qt::Key>(c - kSinCodigo), false);
            else
                Fisica(c, false, false);
        }
        if (w_.Traductor.MayusculasActivas) {
            Fisica(66, true, false);
            Fisica(66, false, false);
        }
        if (w_.EnEjercicio) Orden(Qt::Key_F6);
        if (w_.Traductor.AcentoPendiente) {
            Fisica(22, true, false);  // Backspace drops it, and changes no text while idle
            Fisica(22, false, false);
        }
        if (!fallo.isEmpty()) return;
        if (azar_.Uno(2)) {
            // As the lesson chooser would set it.
            const Posicion q = ejercicios_[azar_.Hasta(static_cast<unsigned>(ejercicios_.size()))];
            Anotar(QStringLiteral("jump to %1.%2.%3").arg(q.Unidad).arg(q.Leccion).arg(q.Ejercicio));
            w_.UnidadActual = q.Unidad;
            w_.LeccionActual = q.Leccion;
            w_.EjercicioActual = q.Ejercicio;
            w_.MostrarEjercicio();
            ++saltos;
        }
        const Posicion antes = w_.Actual();
        const qsizetype correctosAntes = Correctos();
        Orden(Qt::Key_F6);
        for (const prueba::Golpe& g : prueba::Teclear(catalogo::Texto(antes))) {
            if (!fallo.isEmpty()) return;
            Fisica(g.codigo, g.abajo, false);
        }
        if (Correctos() != correctosAntes + 1)
            Fallar(QStringLiteral("exercise %1.%2.%3 typed correctly did not get the correct verdict")
                       .arg(antes.Unidad).arg(antes.Leccion).arg(antes.Ejercicio));
        else if (w_.Configuracion.Realizados[antes.Unidad - 1][antes.Leccion - 1][antes.Ejercicio - 1] != 1)
            Fallar(QStringLiteral("a correct exercise is not marked done"));
    }

    qsizetype Correctos() const {
        qsizetype n = 0;
        for (const QString& m : p_.mensajes) n += m.startsWith(QStringLiteral("Ejercicio correcto."));
        return n;
    }

    void Despues() {
        ++eventos;
        if (!fallo.isEmpty()) return;
        const TfrmPulsoteclado& w = w_;
        if (w.EnEjercicio ? w.Escritos != w.TextoEscrito.size() : w.Escritos != 0)
            return Fallar(QStringLiteral("Escritos %1 with %2 characters typed, %3 a run")
                              .arg(w.Escritos).arg(w.TextoEscrito.size()).arg(QLatin1String(w.EnEjercicio ? "during" : "outside")));
        if (!PosicionValida(w.Actual()))
            return Fallar(QStringLiteral("position %1.%2.%3 names no exercise").arg(w.UnidadActual).arg(w.LeccionActual).arg(w.EjercicioActual));
        if (!AcentoValido(w.Traductor.AcentoPendiente))
            return Fallar(QStringLiteral("AcentoPendiente is 0x%1").arg(static_cast<unsigned char>(w.Traductor.AcentoPendiente), 0, 16));
        if (w.EnEjercicio != w.Boton("btnESC")->MostrarPista()) return Fallar(QStringLiteral("the Esc panel does not follow the run"));

        // New boxes: verdicts only.
        bool correcto = false;
        for (qsizetype i = mensajes_; i < p_.mensajes.size(); ++i) {
            const QString& m = p_.mensajes[i];
            if (m.startsWith(QStringLiteral("Ejercicio correcto."))) {
                correcto = true;
                ++correctos;
            } else if (m.startsWith(QStringLiteral("Ejercicio incorrecto."))) {
                ++incorrectos;
            } else {
                return Fallar(QStringLiteral("unexpected box: ") + m);
            }
        }
        if (!p_.errores.isEmpty()) return Fallar(QStringLiteral("error box: ") + p_.errores.first());
        if (!p_.preguntas.isEmpty()) return Fallar(QStringLiteral("question box: ") + p_.preguntas.first());
        if (p_.dialogos.size() != dialogosVistos_) return Fallar(QStringLiteral("a dialog ran outside a command key"));

        // Counters: never down; only one exercise changes, by one attempt at most.
        if (std::memcmp(intentos_, w.Configuracion.Intentos, sizeof intentos_) != 0 ||
            std::memcmp(realizados_, w.Configuracion.Realizados, sizeof realizados_) != 0) {
            int cambiados = 0;
            for (int u = 0; u < 7; ++u)
                for (int l = 0; l < 12; ++l)
                    for (int e = 0; e < 15; ++e) {
                        const int di = w.Configuracion.Intentos[u][l][e] - intentos_[u][l][e];
                        const int dr = w.Configuracion.Realizados[u][l][e] - realizados_[u][l][e];
                        if (di == 0 && dr == 0) continue;
                        ++cambiados;
                        const QString donde = QStringLiteral(" at %1.%2.%3").arg(u + 1).arg(l + 1).arg(e + 1);
                        if (di < 0) return Fallar(QStringLiteral("Intentos went down") + donde);
                        if (dr < 0) return Fallar(QStringLiteral("Realizados went down") + donde);
                        if (di > 1) return Fallar(QStringLiteral("Intentos rose by %1 in one event").arg(di) + donde);
                        if (dr > 0 && !correcto) return Fallar(QStringLiteral("marked done without a correct verdict") + donde);
                    }
            if (cambiados > 1) return Fallar(QStringLiteral("%1 exercises changed in one event").arg(cambiados));
        }
        Fotografiar();
    }

    void ComprobarVentanas() {
        if (QApplication::activeModalWidget()) return Fallar(QStringLiteral("a modal dialog is open"));
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != &w_ && t->isVisible() && !t->inherits("QMenu"))
                return Fallar(QStringLiteral("a window of class %1 is open").arg(QString::fromLatin1(t->metaObject()->className())));
        // The label shows what was typed.
        if (w_.EnEjercicio && w_.lblTextoEscrito->text() != DeCp1252(w_.TextoEscrito))
            return Fallar(QStringLiteral("the typed-text label differs from the typed text"));
        if (!w_.isVisible()) return Fallar(QStringLiteral("the main window closed"));
    }
};

}  // namespace

class PruebaTormenta : public QObject {
    Q_OBJECT
private slots:
    void millonDeTeclasAlAzar();
};

void PruebaTormenta::millonDeTeclasAlAzar() {
    Entorno e;
    auto w = std::make_unique<TfrmPulsoteclado>();
    w->show();
    QApplication::setActiveWindow(w.get());
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Configuracion.SonidoTeclaActivo = 1;  // the click path too
    w->Configuracion.SonidoLeccionActivo = 1;

    const long total = Eventos();
    QElapsedTimer reloj;
    reloj.start();
    Tormenta t(*w, e.plataforma);
    t.Ejecutar(total);
    QVERIFY2(t.fallo.isEmpty(), qPrintable(t.fallo));
    qInfo("%ld events in %.1f s: %ld correct and %ld incorrect verdicts, %ld jumps, %ld idle command keys (dialogs rejected)",
          t.eventos, reloj.elapsed() / 1000.0, t.correctos, t.incorrectos, t.saltos, t.dialogos);
    QCOMPARE(t.eventos, total);
    // The storm reached what it is meant to reach (a shorter one set by hand may not).
    if (total >= kEventosPorDefecto) {
        QVERIFY(t.correctos > 0);
        QVERIFY(t.incorrectos > 0);
        QVERIFY(t.dialogos > 0);
    }

    // And the window still closes, saving a valid file.
    QVERIFY(w->close());
    QCOMPARE(QFileInfo(e.Fichero()).size(), qint64(3948));
}

QTEST_MAIN(PruebaTormenta)
#include "test_tormenta.moc"
