// The main window on the offscreen platform: commands and their gating, the run of an exercise,
// verdicts and counts, the clock, the on-screen keyboard and the progress file.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>

#include "Ayudas.h"
#include "Configuracion.h"
#include "EligeUnidad.h"
#include "GrupoRadio.h"
#include <QCheckBox>
#include <QTabWidget>
#include "Pulsoteclado.h"
#include "platform/Texto.h"
#include "store/Configuracion.h"

using catalogo::Posicion;

namespace {

void Ir(TfrmPulsoteclado& w, Posicion p) {
    w.UnidadActual = p.Unidad;
    w.LeccionActual = p.Leccion;
    w.EjercicioActual = p.Ejercicio;
    w.MostrarEjercicio();
}

std::uint16_t Intentos(TfrmPulsoteclado& w, Posicion p) {
    return w.Configuracion.Intentos[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1];
}

QString Mensaje(std::initializer_list<const char*> lineas) {
    QStringList l;
    for (const char* s : lineas) l << QString::fromUtf8(s);
    return l.join(QStringLiteral("\n\n"));
}

}  // namespace

class PruebaVentana : public QObject {
    Q_OBJECT
private slots:
    void arranqueEnReposo();
    void ordenesBloqueadasDuranteElEjercicio();
    void ordenesEnReposoAbrenSuDialogo();
    void ejercicioCorrectoPasaAlSiguiente();
    void ejercicioIncorrectoYRecuento();
    void escBorradoYParadaCuentan();
    void acentoPendienteDesbordaElUltimoCaracter();
    void unidadCincoRelojYVelocidad();
    void clicYSonidosDeResultado();
    void tecladoEnPantalla();
    void geometriaDelTeclado();
    void biselesDeLosPaneles();
    void coloresYManos();
    void colorDeCadaTeclaPorSuDedo();
    void cerrarDuranteUnEjercicioGuarda();
    void ficherosDanadosYProgresoQuePersiste();
    void altSolaYTabNoMuevenElFoco();
};

void PruebaVentana::arranqueEnReposo() {
    Entorno e;
    auto w = Ventana();
    QCOMPARE(w->windowTitle(), QStringLiteral("Pulsoteclado"));
    QCOMPARE(w->centralWidget()->size(), QSize(792, 554));
    QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
    QCOMPARE(w->panelLecciones->Titulo(),
             QStringLiteral("Unidad Nº 1.     Lección Nº 1. Conociendo el teclado.     (Ejercicio Nº 1. Mano izquierda, primera línea de letras.)"));
    QVERIFY(!w->EnEjercicio);
    QVERIFY(!w->lblTextoOrigen->isVisible());
    QVERIFY(!w->Boton("btnESC")->MostrarPista());
    for (const char* n : {"btnF1", "btnF5", "btnF6", "btnF7", "btnF9", "btnF10"}) {
        QVERIFY2(w->Boton(n)->MostrarPista(), n);
        QCOMPARE(w->Boton(n)->Color(), QColor(160, 160, 164));
    }
    QCOMPARE(w->Boton("btnF6")->Pista(), QStringLiteral("Empezar ejercicio"));
    // The first run writes a fresh valid file, with no message.
    QCOMPARE(QFileInfo(e.Fichero()).size(), qint64(3948));
    QVERIFY(e.plataforma.mensajes.isEmpty());
    // The text to copy shows "«" before each line break, and a drill has none.
    QVERIFY(!w->lblTextoOrigen->text().contains(QChar(0xAB)));
    Ir(*w, {4, 3, 2});  // the 16-line recipe
    QCOMPARE(w->lblTextoOrigen->text().count(QStringLiteral("«\n")), 15);
    QCOMPARE(w->lblTextoOrigen->geometry(), QRect(8, 30, 775, 260));
    QCOMPARE(w->lblTextoEscrito->geometry(), QRect(8, 290, 775, 260));
}

void PruebaVentana::ordenesBloqueadasDuranteElEjercicio() {
    Entorno e;
    auto w = Ventana();
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(w->EnEjercicio);
    QVERIFY(w->lblTextoOrigen->isVisible());
    QVERIFY(w->Boton("btnESC")->MostrarPista());
    QCOMPARE(w->Boton("btnESC")->Color(), QColor(160, 160, 164));
    QCOMPARE(w->Boton("btnF6")->Pista(), QStringLiteral("Terminar ejercicio"));
    for (const char* n : {"btnF1", "btnF5", "btnF7", "btnF9", "btnF10"}) QVERIFY2(!w->Boton(n)->MostrarPista(), n);
    Teclear(w.get(), "qwe");
    QCOMPARE(w->TextoEscrito, std::string("qwe"));
    for (Qt::Key k : {Qt::Key_F1, Qt::Key_F5, Qt::Key_F7, Qt::Key_F9, Qt::Key_F10}) QTest::keyClick(w.get(), k);
    QCOMPARE(w->TextoEscrito, std::string("qwe"));
    for (QAction* a : {w->menuAbrir, w->menuGrafico, w->menuCfgPantalla, w->menuCfgSonidos, w->menuSobreProg}) a->trigger();
    QCOMPARE(w->TextoEscrito, std::string("qwe"));
    for (const char* n : {"btnF1", "btnF5", "btnF7", "btnF9", "btnF10", "btnESC", "btnF2", "btnF3", "btnF4", "btnF8", "btnF11", "btnF12"})
        QTest::mouseClick(w->Boton(n), Qt::LeftButton);
    QVERIFY(e.plataforma.dialogos.isEmpty());
    QVERIFY(w->EnEjercicio);
    QCOMPARE(w->TextoEscrito, std::string("qwe"));
    // F6 from the panel stops it; the typed text is hidden, not cleared.
    QTest::mouseClick(w->Boton("btnF6"), Qt::LeftButton);
    QVERIFY(!w->EnEjercicio);
    QCOMPARE(w->TextoEscrito, std::string("qwe"));
    QVERIFY(!w->lblTextoEscrito->isVisible());
    w->menuEmpezar->trigger();
    QVERIFY(w->EnEjercicio);
    QVERIFY(w->TextoEscrito.empty());
}

void PruebaVentana::ordenesEnReposoAbrenSuDialogo() {
    Entorno e;
    auto w = Ventana();
    int pagina = -1;
    e.plataforma.alDialogo = [&](QDialog& d) {
        if (auto* c = qobject_cast<TfrmConfiguracion*>(&d)) pagina = c->tabConfig->currentIndex();
        return int(QDialog::Rejected);
    };
    QTest::keyClick(w.get(), Qt::Key_F10);
    QCOMPARE(pagina, 1);
    QTest::keyClick(w.get(), Qt::Key_F9);
    QCOMPARE(pagina, 0);
    QTest::mouseClick(w->Boton("btnF10"), Qt::LeftButton);
    QCOMPARE(pagina, 1);
    QTest::keyClick(w.get(), Qt::Key_F1);
    w->menuAbrir->trigger();
    QTest::mouseClick(w->Boton("btnF7"), Qt::LeftButton);  // unit chooser cancelled: no graph
    QCOMPARE(e.plataforma.dialogos, (QStringList{"TfrmConfiguracion", "TfrmConfiguracion", "TfrmConfiguracion",
                                                "TfrmSobreElPrograma", "TfrmLecciones", "TfrmEligeUnidad"}));
    // Clicking the panels without a command does nothing.
    for (const char* n : {"btnESC", "btnF2", "btnF3", "btnF4", "btnF8", "btnF11", "btnF12"}) QTest::mouseClick(w->Boton(n), Qt::LeftButton);
    QCOMPARE(e.plataforma.dialogos.size(), 6);
    QVERIFY(!w->EnEjercicio);
    // The chooser: OK with nothing selected takes the first item; Cancel keeps the position, shown anew.
    Ir(*w, {2, 3, 4});
    e.plataforma.alDialogo = [](QDialog&) { return int(QDialog::Accepted); };
    w->ElegirEjercicio();
    QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
    Ir(*w, {2, 3, 4});
    w->TextoEscrito = "x";
    e.plataforma.alDialogo = [](QDialog&) { return int(QDialog::Rejected); };
    w->ElegirEjercicio();
    QCOMPARE(w->Actual(), (Posicion{2, 3, 4}));
    QVERIFY(w->TextoEscrito.empty());
    // Settings: OK applies the display at once, Cancel changes nothing.
    // Every control changed, then the dialog closed with the given result.
    auto cambiarTodo = [](int resultado) {
        return [resultado](QDialog& d) {
            auto* c = qobject_cast<TfrmConfiguracion*>(&d);
            c->radioManos->PonerItemIndex(2);
            c->radioTeclado->PonerItemIndex(1);
            c->chkSonidoTecla->setChecked(true);
            return resultado;
        };
    };
    e.plataforma.alDialogo = cambiarTodo(QDialog::Rejected);
    w->Configurar(0);
    QCOMPARE(int(w->Configuracion.VerManos), 0);
    QVERIFY(!w->imgManosPintadas->isVisible());
    e.plataforma.alDialogo = cambiarTodo(QDialog::Accepted);
    w->Configurar(0);
    QCOMPARE(int(w->Configuracion.VerManos), 2);
    QCOMPARE(int(w->Configuracion.SonidoTeclaActivo), 1);
    QVERIFY(w->imgManosPintadas->isVisible());
    QCOMPARE(w->Boton("btnQ")->Color(), QColor(255, 0, 0));
    // The graph: the chooser's unit, a maximised window with its caption.
    QString titulo;
    e.plataforma.alDialogo = [&](QDialog& d) {
        if (auto* u = qobject_cast<TfrmEligeUnidad*>(&d)) {
            u->radioUnidades->PonerItemIndex(2);
            return int(QDialog::Accepted);
        }
        titulo = d.windowTitle();
        return int(QDialog::Accepted);
    };
    w->MostrarGrafico();
    QCOMPARE(titulo, QStringLiteral("Gráfico de la unidad Nº 3"));
}

void PruebaVentana::ejercicioCorrectoPasaAlSiguiente() {
    Entorno e;
    auto w = Ventana();
    QTest::keyClick(w.get(), Qt::Key_F6);
    const std::string_view texto = catalogo::Texto(1, 1, 1);
    Teclear(w.get(), texto.substr(0, texto.size() - 1));
    QCOMPARE(w->Escritos, std::uint16_t(texto.size() - 1));
    QVERIFY(e.plataforma.mensajes.isEmpty());
    Teclear(w.get(), texto.substr(texto.size() - 1));  // no Enter needed at the end
    QCOMPARE(e.plataforma.mensajes, QStringList{Mensaje({"Ejercicio correcto. Puede pasar al siguiente.", "(realizado en 1 intentos)"})});
    QVERIFY(!w->EnEjercicio);
    QCOMPARE(w->Escritos, std::uint16_t(0));
    QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
    QCOMPARE(int(w->Configuracion.Realizados[0][0][0]), 1);
    QCOMPARE(Intentos(*w, {1, 1, 1}), std::uint16_t(1));
    QVERIFY(w->panelLecciones->Titulo().contains(QStringLiteral("Ejercicio Nº 2. Mano derecha")));
    // Every exercise done: back to the first, which runs again and keeps counting.
    std::memset(w->Configuracion.Realizados, 1, sizeof w->Configuracion.Realizados);
    w->SiguienteEjercicio();
    QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
    QTest::keyClick(w.get(), Qt::Key_F6);
    Teclear(w.get(), texto);
    QCOMPARE(e.plataforma.mensajes.last(), Mensaje({"Ejercicio correcto. Puede pasar al siguiente.", "(realizado en 2 intentos)"}));
}

void PruebaVentana::ejercicioIncorrectoYRecuento() {
    Entorno e;
    auto w = Ventana();
    QTest::keyClick(w.get(), Qt::Key_F6);
    const std::string texto(catalogo::Texto(1, 1, 1));
    std::string mal = texto;
    mal[3] = 'p';
    Teclear(w.get(), mal);
    const unsigned precision = static_cast<unsigned>((texto.size() - 1) * 100 / texto.size());
    QCOMPARE(e.plataforma.mensajes.last(),
             Mensaje({"Ejercicio incorrecto.", "Deberá volver a hacerlo de nuevo."}) + QStringLiteral("\n\n(%1% de aciertos)").arg(precision));
    QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
    QCOMPARE(Intentos(*w, {1, 1, 1}), std::uint16_t(1));
    QVERIFY(!w->EnEjercicio);
    // Erasing the wrong character before the end and retyping it gives the correct verdict.
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(w->TextoEscrito.empty());
    Teclear(w.get(), mal.substr(0, 5));
    Golpe(w.get(), 22);  // Backspace
    Golpe(w.get(), 22);
    QCOMPARE(w->Escritos, std::uint16_t(3));
    Teclear(w.get(), texto.substr(3));
    QVERIFY(e.plataforma.mensajes.last().startsWith(QStringLiteral("Ejercicio correcto.")));
    QCOMPARE(Intentos(*w, {1, 1, 1}), std::uint16_t(2));
    // Typing while idle changes no text and clicks not.
    w->Configuracion.SonidoTeclaActivo = 1;
    const int pitidos = e.plataforma.pitidos;
    Teclear(w.get(), "asdf");
    QVERIFY(w->TextoEscrito.empty());
    QCOMPARE(e.plataforma.pitidos, pitidos);
}

void PruebaVentana::escBorradoYParadaCuentan() {
    Entorno e;
    auto w = Ventana();
    const Posicion p{1, 1, 1};
    QTest::keyClick(w.get(), Qt::Key_F6);
    Golpe(w.get(), 22);  // Backspace on nothing: nothing changes, nothing counts
    QCOMPARE(w->Escritos, std::uint16_t(0));
    Golpe(w.get(), 9);   // Esc with nothing typed
    QCOMPARE(Intentos(*w, p), std::uint16_t(0));
    Teclear(w.get(), "qw");
    Golpe(w.get(), 9);   // Esc after typing counts and clears, the run goes on
    QCOMPARE(Intentos(*w, p), std::uint16_t(1));
    QVERIFY(w->EnEjercicio);
    QVERIFY(w->TextoEscrito.empty());
    QCOMPARE(w->Escritos, std::uint16_t(0));
    Teclear(w.get(), "q");
    Golpe(w.get(), 22);  // everything erased again: not counted when abandoned
    QTest::keyClick(w.get(), Qt::Key_F6);
    QCOMPARE(Intentos(*w, p), std::uint16_t(1));
    QTest::keyClick(w.get(), Qt::Key_F6);
    Teclear(w.get(), "qwer");
    QTest::keyClick(w.get(), Qt::Key_F6);  // stop after typing counts
    QCOMPARE(Intentos(*w, p), std::uint16_t(2));
    QCOMPARE(w->Escritos, std::uint16_t(0));
    // Esc while idle does nothing to the counters.
    Golpe(w.get(), 9);
    QCOMPARE(Intentos(*w, p), std::uint16_t(2));
}

void PruebaVentana::acentoPendienteDesbordaElUltimoCaracter() {
    Entorno e;
    auto w = Ventana();
    QTest::keyClick(w.get(), Qt::Key_F6);
    const std::string texto(catalogo::Texto(1, 1, 1));
    Teclear(w.get(), texto.substr(0, texto.size() - 1));
    Golpe(w.get(), 48);  // the acute dead key
    Golpe(w.get(), 57);  // N: the accent and the letter at once
    QCOMPARE(w->TextoEscrito.size(), texto.size() + 1);
    const unsigned precision = static_cast<unsigned>((texto.size() - 1) * 100 / texto.size());
    QVERIFY(e.plataforma.mensajes.last().endsWith(QStringLiteral("(%1% de aciertos)").arg(precision)));
    QVERIFY(!w->EnEjercicio);
}

void PruebaVentana::unidadCincoRelojYVelocidad() {
    Entorno e;
    auto w = Ventana();
    Ir(*w, {5, 1, 1});
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(!w->panelTeclado->isVisible());
    QVERIFY(w->lblReloj->isVisible());
    QCOMPARE(w->lblReloj->Titulo(), QStringLiteral("00:00"));
    QVERIFY(w->Reloj->isActive());
    QCOMPARE(w->Reloj->interval(), 1000);
    for (int i = 0; i < 122; ++i) w->RelojTimer();
    Teclear(w.get(), "ab");
    Golpe(w.get(), 9);  // Esc does not reset the clock
    w->RelojTimer();
    QCOMPARE(w->lblReloj->Titulo(), QStringLiteral("02:03"));
    const std::string_view texto = catalogo::Texto(5, 1, 1);
    Teclear(w.get(), texto);
    const unsigned v = static_cast<unsigned>(texto.size() * 60 / 123);
    QCOMPARE(e.plataforma.mensajes.last(),
             Mensaje({"Ejercicio correcto. Puede pasar al siguiente.", "(realizado en 2 intentos)"}) +
                 QStringLiteral("\n\n%1 pulsaciones por minuto.").arg(v));
    QVERIFY(!w->Reloj->isActive());
    QVERIFY(!w->lblReloj->isVisible());
    QVERIFY(w->panelTeclado->isVisible());
    // A run finished within the first second does not fail.
    Ir(*w, {5, 1, 2});
    QTest::keyClick(w.get(), Qt::Key_F6);
    Teclear(w.get(), catalogo::Texto(5, 1, 2));
    QVERIFY(e.plataforma.mensajes.last().endsWith(QStringLiteral("0 pulsaciones por minuto.")));
    // Other units show a two-line success message.
    QVERIFY(!e.plataforma.mensajes.first().isEmpty());
}

void PruebaVentana::clicYSonidosDeResultado() {
    Entorno e;
    auto w = Ventana();
    w->Configuracion.SonidoTeclaActivo = 1;
    w->Configuracion.SonidoLeccionActivo = 1;
    QTest::keyClick(w.get(), Qt::Key_F6);
    Golpe(w.get(), 24);   // Q: click
    Golpe(w.get(), 50);   // Shift: none
    Golpe(w.get(), 34);   // the grave dead key: none
    Golpe(w.get(), 37);   // Control: none
    Golpe(w.get(), 20);   // the apostrophe key: click
    QCOMPARE(e.plataforma.pitidos, 2);
    // No result sound beside this program: the beep instead, and the verdict still comes.
    Golpe(w.get(), 9);
    const int antes = e.plataforma.pitidos;
    w->Configuracion.SonidoTeclaActivo = 0;
    Teclear(w.get(), catalogo::Texto(1, 1, 1));
    QCOMPARE(e.plataforma.pitidos, antes + 1);
    QVERIFY(e.plataforma.sonidos.isEmpty());
    QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
    // With the file there, it is played; one that cannot be played falls back to the beep.
    QFile::copy(QStringLiteral(PT_FUENTES "/data/mal.wav"), QCoreApplication::applicationDirPath() + QStringLiteral("/mal.wav"));
    e.plataforma.sonidoReproducible = false;
    QTest::keyClick(w.get(), Qt::Key_F6);
    Teclear(w.get(), std::string(catalogo::Texto(1, 1, 2).size(), 'z'));
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/mal.wav"));
    QCOMPARE(e.plataforma.sonidos.size(), 1);
    QVERIFY(e.plataforma.sonidos.first().endsWith(QStringLiteral("/mal.wav")));
    QCOMPARE(e.plataforma.pitidos, antes + 2);
    QVERIFY(e.plataforma.mensajes.last().startsWith(QStringLiteral("Ejercicio incorrecto.")));
}

void PruebaVentana::tecladoEnPantalla() {
    Entorno e;
    auto w = Ventana();
    // Every key of the table lowers exactly its panels, and its key-up raises them, also while hidden.
    for (bool oculto : {false, true}) {
        w->panelTeclado->setVisible(!oculto);
        for (const teclado::FilaTecla& fila : teclado::TablaTeclas()) {
            const std::uint32_t codigo = prueba::CodigoDeVk(fila.vk);
            Fisica(w.get(), codigo, true);
            for (const DefTecla& d : PanelTeclado::Disposicion()) {
                const bool suya = (fila.paneles[0] && std::strcmp(fila.paneles[0], d.nombre) == 0) ||
                                  (fila.paneles[1] && std::strcmp(fila.paneles[1], d.nombre) == 0);
                const bool abajo = w->Boton(d.nombre)->BiselExterior() == Panel::Bisel::Hundido;
                QVERIFY2(abajo == suya, qPrintable(QStringLiteral("%1 with key %2").arg(d.nombre).arg(fila.vk)));
            }
            Fisica(w.get(), codigo, false);
            QCOMPARE(w->Boton(fila.paneles[0])->BiselExterior(), Panel::Bisel::Elevado);
        }
    }
    w->panelTeclado->show();
    // AltGr lowers both Control keys and Alt; Panel55 never moves.
    Fisica(w.get(), 108, true);
    for (const char* n : {"btnControlIzq", "btnControlDer", "btnAlt"}) QCOMPARE(w->Boton(n)->BiselExterior(), Panel::Bisel::Hundido);
    QCOMPARE(w->Boton("Panel55")->BiselExterior(), Panel::Bisel::Elevado);
    Fisica(w.get(), 108, false);
    for (const char* n : {"btnControlIzq", "btnControlDer", "btnAlt"}) QCOMPARE(w->Boton(n)->BiselExterior(), Panel::Bisel::Elevado);
    // Shift held: both Shift keys down; auto-repeat key-ups in between change nothing.
    Fisica(w.get(), 62, true);
    Fisica(w.get(), 62, false, true);
    Fisica(w.get(), 62, true, true);
    QCOMPARE(w->Boton("btnMayusculasIzq")->BiselExterior(), Panel::Bisel::Hundido);
    QCOMPARE(w->Boton("btnMayusculasDer")->BiselExterior(), Panel::Bisel::Hundido);
    Fisica(w.get(), 62, false);
    QCOMPARE(w->Boton("btnMayusculasIzq")->BiselExterior(), Panel::Bisel::Elevado);
    // Keys outside the table move nothing and drop a pending accent: Tab, keypad, a Windows key,
    // and keys outside the physical map too (Japanese/Brazilian RO, keypad "=", a media key).
    for (std::uint32_t c : {23u, 79u, 90u, 133u, 97u, 125u, 121u}) {
        Golpe(w.get(), 48);
        QCOMPARE(w->Traductor.AcentoPendiente, teclado::kAgudo);
        Fisica(w.get(), c, true);
        for (const DefTecla& d : PanelTeclado::Disposicion())
            QCOMPARE(w->Boton(d.nombre)->BiselExterior(), Panel::Bisel::Elevado);
        QVERIFY2(w->Traductor.AcentoPendiente == 0, qPrintable(QString::number(c)));
        Fisica(w.get(), c, false);
    }
    // Caps Lock light: on, off, and every repeated key-down flips it again.
    Panel* luz = w->panelTeclado->PanelMayusculas();
    QVERIFY(!luz->Color().isValid());
    Golpe(w.get(), 66);
    QCOMPARE(luz->Color(), QColor(0, 255, 0));
    QVERIFY(w->Traductor.MayusculasActivas);
    Golpe(w.get(), 66);
    QVERIFY(!luz->Color().isValid());
    Fisica(w.get(), 66, true);
    Fisica(w.get(), 66, true, true);
    Fisica(w.get(), 66, true, true);
    Fisica(w.get(), 66, false);
    QCOMPARE(luz->Color(), QColor(0, 255, 0));
    QVERIFY(!w->panelTeclado->PanelNumerico()->Color().isValid());
    QVERIFY(!w->panelTeclado->PanelScroll()->Color().isValid());
    // The key that completes an exercise is up before the verdict box.
    Golpe(w.get(), 66);
    QTest::keyClick(w.get(), Qt::Key_F6);
    const std::string_view texto = catalogo::Texto(1, 1, 1);
    Teclear(w.get(), texto.substr(0, texto.size() - 1));
    Panel* ultima = nullptr;
    e.plataforma.alDialogo = [](QDialog&) { return int(QDialog::Rejected); };
    const std::uint32_t codigo = prueba::Teclear(texto.substr(texto.size() - 1)).front().codigo;
    for (const teclado::FilaTecla& f : teclado::TablaTeclas())
        if (prueba::CodigoDeVk(f.vk) == codigo) ultima = w->Boton(f.paneles[0]);
    QVERIFY(ultima);
    Fisica(w.get(), codigo, true);  // key-up never sent
    QCOMPARE(ultima->BiselExterior(), Panel::Bisel::Elevado);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
}

void PruebaVentana::biselesDeLosPaneles() {
    // A two-pixel outer bevel and a one-pixel inner one: light on the top and left edges, dark on
    // the bottom and right ones, which own the corners they share with the light edges; sunk
    // swaps the two colours.
    const QColor luz(250, 250, 250), sombra(40, 40, 40), cara(128, 128, 160);
    Panel panel;
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Light, luz);
    pal.setColor(QPalette::Dark, sombra);
    panel.setPalette(pal);
    panel.PonerColor(cara);
    panel.PonerAnchoBisel(2);
    panel.PonerBiselInterior(Panel::Bisel::Hundido);
    panel.resize(24, 14);
    const int W = 24, H = 14;
    for (const bool elevado : {true, false}) {
        panel.PonerBiselExterior(elevado ? Panel::Bisel::Elevado : Panel::Bisel::Hundido);
        const QImage img = panel.grab().toImage();
        const QRgb claro = (elevado ? luz : sombra).rgb(), oscuro = (elevado ? sombra : luz).rgb();
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(img.pixel(i, i), claro);  // top-left corner of each ring
            QCOMPARE(img.pixel(W - 2 - i, i), claro);
            QCOMPARE(img.pixel(W - 1 - i, i), oscuro);  // top-right corner: the right edge's
            QCOMPARE(img.pixel(i, H - 1 - i), oscuro);  // bottom-left corner: the bottom edge's
            QCOMPARE(img.pixel(i, H - 2 - i), claro);
            QCOMPARE(img.pixel(W / 2, H - 1 - i), oscuro);
            QCOMPARE(img.pixel(W - 1 - i, H / 2), oscuro);
        }
        // The inner bevel, sunk: dark above and left, light below and right.
        QCOMPARE(img.pixel(2, H / 2), sombra.rgb());
        QCOMPARE(img.pixel(W / 2, 2), sombra.rgb());
        QCOMPARE(img.pixel(W - 3, H / 2), luz.rgb());
        QCOMPARE(img.pixel(W / 2, H - 3), luz.rgb());
        // Inside: the face, up to the inner bevel.
        QCOMPARE(img.pixel(3, 3), cara.rgb());
        QCOMPARE(img.pixel(W - 4, H - 4), cara.rgb());
    }
}

void PruebaVentana::geometriaDelTeclado() {
    Entorno e;
    auto w = Ventana();
    // The keyboard as drawn on the layout sheet: "name left [width[xheight]]" per row top.
    const char* filas[] = {
        "16: btnESC 13, btnF1 69, btnF2 101, btnF3 133, btnF4 165, btnF5 213, btnF6 245, btnF7 277, btnF8 309, "
        "btnF9 359, btnF10 391, btnF11 423, btnF12 455, btnImprPant 519, btnBloqDespl 551, Panel77 583",
        "64: btnPrimero 13, btn1 45, btn2 77, btn3 109, btn4 141, btn5 173, btn6 205, btn7 237, btn8 269, btn9 301, "
        "btn0 333, btnComilla 365, btnAdmiracion 397, btnBorrar 429 56, Panel78 519, Panel79 551, btnRePag 583, "
        "btnBloqNum 639, Panel93 671, Panel94 703, Panel95 735",
        "96: btnTabulador 13 43, btnQ 58, btnW 90, btnE 122, btnR 154, btnT 186, btnY 218, btnU 250, btnI 282, btnO 314, "
        "btnP 346, btnAcentoAbierto 378, btnMas 410, btnIntro 455 30x62, Panel81 519, Panel82 551, btnAvPag 583, "
        "btn7Num 639, Panel97 671, btn9Num 703, Panel105 735 30x62",
        "128: btnBloqMayus 13 56, btnA 71, btnS 103, btnD 135, btnF 167, btnG 199, btnH 231, btnJ 263, btnK 295, btnL 327, "
        "btnEnye 359, btnAcento 391, btnCeTrencada 423, btn4Num 639, Panel100 671, btn6Num 703",
        "160: btnMayusculasIzq 13 37, btnMenor 52, btnZ 84, btnX 116, btnC 148, btnV 180, btnB 212, btnN 244, btnM 276, "
        "btnComa 308, btnPunto 340, btnMenos 372, btnMayusculasDer 404 81, Panel88 551, btn1Num 639, Panel103 671, "
        "btn3Num 703, Panel106 735 30x62",
        "192: btnControlIzq 13 38, Panel52 54 36, btnAlt 93 37, btnEspacio 133 193, Panel55 328 37, Panel56 367 37, "
        "btnMenuRaton 406 38, btnControlDer 446 39, Panel84 519, Panel85 551, Panel86 583, btn0Num 639, btnPuntoNum 671 62",
    };
    int teclas = 0;
    for (const char* fila : filas) {
        const QString f = QString::fromLatin1(fila);
        const int top = f.section(QLatin1Char(':'), 0, 0).toInt();
        for (const QString& item : f.section(QStringLiteral(": "), 1).split(QStringLiteral(", "))) {
            const QStringList p = item.split(QLatin1Char(' '));
            QSize tam(30, 30);
            if (p.size() > 2) {
                const QStringList wh = p[2].split(QLatin1Char('x'));
                tam = QSize(wh[0].toInt(), wh.size() > 1 ? wh[1].toInt() : 30);
            }
            Panel* k = w->Boton(qPrintable(p[0]));
            QVERIFY2(k, qPrintable(p[0]));
            QCOMPARE(k->geometry(), QRect(QPoint(p[1].toInt(), top), tam));
            ++teclas;
        }
    }
    QCOMPARE(int(PanelTeclado::Disposicion().size()), teclas);
    QCOMPARE(w->panelTeclado->geometry(), QRect(8, 32, 775, 240));
    QCOMPARE(w->panelTeclado->PanelLuces()->geometry(), QRect(639, 16, 125, 30));
    QCOMPARE(w->panelTeclado->PanelMayusculas()->geometry(), QRect(44, 12, 10, 5));
    QCOMPARE(w->panelLecciones->geometry(), QRect(8, 4, 775, 22));
    QCOMPARE(w->lblReloj->geometry(), QRect(2, 2, 50, 18));
    QCOMPARE(w->imgManos->geometry(), QRect(24, 268, 449, 281));
    QCOMPARE(PanelTeclado::TeclasDeEscritura().size(), std::size_t(55));

    // Every caption fits inside its key's bevels: at the key's own size, else at the small size,
    // narrowed only when even that is too wide. The function keys and letters keep the full size.
    int pequenos = 0, estrechados = 0;
    for (const DefTecla& d : PanelTeclado::Disposicion()) {
        if (!d.titulo) continue;
        Panel* k = w->Boton(d.nombre);
        const QFont& f = k->FuenteTitulo();
        const double ancho = QFontMetricsF(f).horizontalAdvance(k->Titulo()) * k->EscalaTitulo();
        QVERIFY2(ancho <= k->AnchoTitulo() + 0.5, d.nombre);
        QVERIFY2(f.pixelSize() == k->font().pixelSize() || f.pixelSize() == Panel::kPixelesPequenos, d.nombre);
        if (f.pixelSize() == Panel::kPixelesPequenos) ++pequenos;
        else QCOMPARE(k->EscalaTitulo(), 1.0);
        if (k->EscalaTitulo() < 1) {
            ++estrechados;
            QVERIFY2(QFontMetrics(f).horizontalAdvance(k->Titulo()) > k->AnchoTitulo(), d.nombre);
        }
    }
    for (const char* n : {"btnESC", "btnF10", "btnA", "btnEnye", "btnCeTrencada", "Panel55", "btnPuntoNum"})
        QCOMPARE(w->Boton(n)->FuenteTitulo().pixelSize(), 11);
    QVERIFY(pequenos > 0);
    QVERIFY(estrechados > 0);
    // A caption set afterwards is fitted again.
    Panel* f1 = w->Boton("btnF1");
    f1->PonerTitulo(QStringLiteral("Una leyenda muy larga"));
    QVERIFY(f1->EscalaTitulo() < 1);
    QCOMPARE(f1->FuenteTitulo().pixelSize(), Panel::kPixelesPequenos);
    f1->PonerTitulo(QStringLiteral("F1"));
    QCOMPARE(f1->FuenteTitulo().pixelSize(), 11);
    QCOMPARE(f1->EscalaTitulo(), 1.0);
}

void PruebaVentana::coloresYManos() {
    Entorno e;
    auto w = Ventana();
    const QColor cara = w->palette().color(QPalette::Button);
    w->Configuracion.PintarTecladoActivo = 1;
    w->PintarTeclado();
    QCOMPARE(w->Boton("btnA")->Color(), QColor(255, 0, 0));
    QCOMPARE(w->Boton("btnS")->Color(), QColor(255, 255, 0));
    QCOMPARE(w->Boton("btnComa")->Color(), QColor(0, 255, 0));
    QCOMPARE(w->Boton("btnJ")->Color(), QColor(0, 255, 255));
    QCOMPARE(w->Boton("btnEspacio")->Color(), w->palette().color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(w->Boton("btnControlIzq")->Color().isValid() ? w->Boton("btnControlIzq")->Color() : cara, cara);
    w->Configuracion.PintarTecladoActivo = 7;  // other values change nothing
    w->PintarTeclado();
    QCOMPARE(w->Boton("btnA")->Color(), QColor(255, 0, 0));
    w->Configuracion.PintarTecladoActivo = 0;
    w->PintarTeclado();
    for (const char* n : PanelTeclado::TeclasDeEscritura()) QCOMPARE(w->Boton(n)->Color(), cara);
    // Hands follow VerManos, and an unknown value changes nothing; each picture is decoded by the
    // time it shows, and stays decoded when hidden again.
    const std::pair<int, std::pair<bool, bool>> casos[] = {{1, {true, false}}, {2, {false, true}}, {3, {false, true}}, {0, {false, false}}};
    for (const auto& [v, vistas] : casos) {
        w->Configuracion.VerManos = static_cast<std::uint8_t>(v);
        w->MostrarManos();
        QCOMPARE(w->imgManos->isVisible(), vistas.first);
        QCOMPARE(w->imgManosPintadas->isVisible(), vistas.second);
        for (QLabel* img : {w->imgManos, w->imgManosPintadas})
            if (img->isVisible()) QCOMPARE(img->pixmap().size(), QSize(444, 275));
    }
    QCOMPARE(w->imgManos->pixmap().size(), QSize(444, 275));
    QCOMPARE(w->imgManosPintadas->pixmap().size(), QSize(444, 275));
    // Units above 3 hide the keyboard and the hands during the run; stopping brings them back.
    w->Configuracion.VerManos = 1;
    w->MostrarManos();
    Ir(*w, {4, 1, 1});
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(!w->panelTeclado->isVisible());
    QVERIFY(!w->imgManos->isVisible());
    QCOMPARE(w->lblLinea->y(), 285);
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(w->panelTeclado->isVisible());
    QVERIFY(w->imgManos->isVisible());
}

// The 55 typing keys and the finger that strikes each, written out from the touch-typing chart.
void PruebaVentana::colorDeCadaTeclaPorSuDedo() {
    enum Dedo { Menique, Anular, Corazon, Indice, Pulgar };
    const std::pair<const char*, Dedo> kDedos[] = {
        {"btnPrimero", Menique}, {"btn1", Menique}, {"btn2", Anular}, {"btn3", Corazon}, {"btn4", Indice},
        {"btn5", Indice}, {"btn6", Indice}, {"btn7", Indice}, {"btn8", Corazon}, {"btn9", Anular},
        {"btn0", Menique}, {"btnComilla", Menique}, {"btnAdmiracion", Menique}, {"btnBorrar", Menique},
        {"btnTabulador", Menique}, {"btnQ", Menique}, {"btnW", Anular}, {"btnE", Corazon}, {"btnR", Indice},
        {"btnT", Indice}, {"btnY", Indice}, {"btnU", Indice}, {"btnI", Corazon}, {"btnO", Anular},
        {"btnP", Menique}, {"btnAcentoAbierto", Menique}, {"btnMas", Menique}, {"btnIntro", Menique},
        {"btnBloqMayus", Menique}, {"btnA", Menique}, {"btnS", Anular}, {"btnD", Corazon}, {"btnF", Indice},
        {"btnG", Indice}, {"btnH", Indice}, {"btnJ", Indice}, {"btnK", Corazon}, {"btnL", Anular},
        {"btnEnye", Menique}, {"btnAcento", Menique}, {"btnCeTrencada", Menique},
        {"btnMayusculasIzq", Menique}, {"btnMenor", Menique}, {"btnZ", Menique}, {"btnX", Anular},
        {"btnC", Corazon}, {"btnV", Indice}, {"btnB", Indice}, {"btnN", Indice}, {"btnM", Indice},
        {"btnComa", Corazon}, {"btnPunto", Anular}, {"btnMenos", Menique}, {"btnMayusculasDer", Menique},
        {"btnEspacio", Pulgar}};
    Entorno e;
    auto w = Ventana();
    const QColor colores[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0), QColor(0, 255, 255),
                              w->palette().color(QPalette::Active, QPalette::Highlight)};
    QCOMPARE(std::size(kDedos), std::size_t{55});
    QStringList escritura, tabla;
    for (const char* n : PanelTeclado::TeclasDeEscritura()) escritura << QString::fromLatin1(n);
    for (const auto& [n, dedo] : kDedos) tabla << QString::fromLatin1(n);
    escritura.sort();
    tabla.sort();
    QCOMPARE(escritura, tabla);
    w->Configuracion.PintarTecladoActivo = 1;
    w->PintarTeclado();
    for (const auto& [n, dedo] : kDedos) QVERIFY2(w->Boton(n)->Color() == colores[dedo], n);
}

void PruebaVentana::cerrarDuranteUnEjercicioGuarda() {
    Entorno e;
    {
        auto w = Ventana();
        Ir(*w, {1, 1, 1});
        QTest::keyClick(w.get(), Qt::Key_F6);
        Teclear(w.get(), catalogo::Texto(1, 1, 1));  // done in 1 attempt
        w->Configuracion.Intentos[0][0][0] = 3;
        QTest::keyClick(w.get(), Qt::Key_F6);
        Teclear(w.get(), "abc");
        QVERIFY(w->close());
    }
    QFile f(e.Fichero());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    QCOMPARE(b.size(), 3948);
    QCOMPARE(int(b[0]), 1);
    QCOMPARE(int(b[156]), 1);
    QCOMPARE(int(b[1416]), 3);  // the attempt under way is not counted
    QCOMPARE(int(b[1417]), 0);
    quint32 suma = 0;
    for (int i = 0; i < 3936; ++i) suma += static_cast<quint8>(b[i]);
    QCOMPARE(b.mid(3936, 8), QByteArray("\x1A" "ChkZORP", 8));
    QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 3944), suma);
}

void PruebaVentana::ficherosDanadosYProgresoQuePersiste() {
    Entorno e;
    {
        auto w = Ventana();
        w->Configuracion.Realizados[0][0][0] = 1;
        w->Configuracion.VerManos = 2;
        QVERIFY(w->close());
    }
    {
        auto w = Ventana();  // survives a restart
        QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
        QVERIFY(w->imgManosPintadas->isVisible());
        QVERIFY(w->close());
    }
    // One byte altered: defaults, no message, the old file kept beside it.
    {
        QFile f(e.Fichero());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(200);
        f.write("\x07", 1);
    }
    {
        auto w = Ventana();
        QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
        QVERIFY(e.plataforma.mensajes.isEmpty());
        QVERIFY(QFileInfo::exists(e.Fichero() + QStringLiteral(".bak")));
        QVERIFY(w->close());
    }
    // A bare valid trailer: beep, then the two-line message.
    {
        QFile f(e.Fichero());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("\x1A" "ChkZORP\0\0\0\0", 12));
    }
    {
        auto w = Ventana();
        QCOMPARE(e.plataforma.pitidos, 1);
        QCOMPARE(e.plataforma.mensajes,
                 QStringList{Mensaje({"Error en el fichero con la configuración.", "Se ha dejado la configuración por defecto."})});
        QVERIFY(w->close());
    }
    // The folder turned into a file: the error box names it, the program goes on; at close the
    // box asks, and "No" keeps the window open.
    QDir(e.dir.path() + QStringLiteral("/Pulsoteclado")).removeRecursively();
    {
        QFile f(e.dir.path() + QStringLiteral("/Pulsoteclado"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    {
        auto w = Ventana();
        QCOMPARE(e.plataforma.errores.size(), 1);
        QVERIFY(e.plataforma.errores.first().contains(QStringLiteral("Pulsoteclado")));
        QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
        e.plataforma.respuesta = false;
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(e.plataforma.preguntas.size(), 1);
        e.plataforma.respuesta = true;
        QVERIFY(w->close());
    }
}

void PruebaVentana::altSolaYTabNoMuevenElFoco() {
    Entorno e;
    auto w = Ventana();
    QTest::keyClick(w.get(), Qt::Key_F6);
    QTest::keyPress(w.get(), Qt::Key_Alt);
    QTest::keyRelease(w.get(), Qt::Key_Alt);
    QVERIFY(!w->menuBar()->activeAction());
    QVERIFY(!w->menuBar()->hasFocus());
    QWidget* antes = QApplication::focusWidget();
    QTest::keyClick(w.get(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), antes);
    Teclear(w.get(), "q\rw");
    QCOMPARE(w->TextoEscrito, std::string("q\rw"));
    QVERIFY(w->EnEjercicio);
}

QTEST_MAIN(PruebaVentana)
#include "test_ventana.moc"
