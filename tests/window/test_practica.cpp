// The practice window on the offscreen platform: the own text's list of characters the keyboard
// cannot type and its replacements, files, whole copies and timed tests typed with physical keys,
// long texts a page at a time, the review drill, and the gating from the main window.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "Ayudas.h"
#include "PracticaLibre.h"
#include "platform/Texto.h"

namespace {

using Origen = TfrmPractica::Origen;

struct Ventanita {
    almacen::TConfiguracion cfg{};
    std::unique_ptr<TfrmPractica> w;
    explicit Ventanita(Origen o = Origen::Propio, bool crono = false) {
        almacen::ConfiguracionPorDefecto(cfg);
        w = std::make_unique<TfrmPractica>(cfg);
        w->Preparar(o, crono);
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("window not active");
    }
    TfrmPractica* operator->() const { return w.get(); }
    // The own text as a learner pastes it.
    void Pegar(const QString& t) const {
        w->edtTexto->setPlainText(t);
        w->AnalizarTextoPropio();
    }
};

}  // namespace

class PruebaPractica : public QObject {
    Q_OBJECT
private slots:
    void listaDeCaracteresYReemplazos();
    void limiteDeCaracteres();
    void ficheroUtf8OWindows1252();
    void copiaCompletaConUnError();
    void escYF6DesdeElEditor();
    void pruebaCronometradaHastaElFinDelTexto();
    void textoLargoPorPaginas();
    void repasoNombraSusTeclas();
    void menuDeLaVentanaPrincipal();
    void ayudasYAjustesDePractica();
    void intentosDeLaPractica();
};

void PruebaPractica::listaDeCaracteresYReemplazos() {
    Entorno e;
    Ventanita v;
    QVERIFY(v->edtTexto->hasFocus());  // ready for a paste at once
    v.Pegar(QStringLiteral("\u201CHola\u201D \u2014dijo\u2026 \u00ABya\u00BB\t5\u20AC \u201Cs\u00E3o\u201D"));
    QVERIFY(!v->AnalizarTextoPropio().has_value());
    const QString avisos = v->lblAvisos->text();
    QVERIFY2(avisos.contains(QStringLiteral("\u201C  (U+201C): 2 veces  \u2192  \"")), qPrintable(avisos));
    QVERIFY(avisos.contains(QStringLiteral("tabulador  (U+0009): 1 vez  \u2192  espacio")));
    QVERIFY(avisos.contains(QStringLiteral("\u20AC  (U+20AC): 1 vez  \u2192  euros")));
    QVERIFY(avisos.contains(QStringLiteral("\u00E3  (U+00E3): 1 vez")));
    QVERIFY(!avisos.contains(QStringLiteral("\u00E3  (U+00E3): 1 vez  \u2192")));
    QVERIFY(v->btnReemplazar->isEnabled());

    // The start is refused and says why.
    v->Alternar();
    QVERIFY(!v->EnCurso);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    QVERIFY(e.plataforma.mensajes.first().contains(QStringLiteral("U+00E3")));

    // One click: the typographic ones go, what has no replacement stays and still blocks.
    QTest::mouseClick(v->btnReemplazar, Qt::LeftButton);
    QCOMPARE(v->edtTexto->toPlainText(), QStringLiteral("\"Hola\" -dijo... \"ya\" 5 euros \"s\u00E3o\""));
    QVERIFY(!v->btnReemplazar->isEnabled());
    QVERIFY(v->lblAvisos->text().contains(QStringLiteral("U+00E3")));
    QVERIFY(!v->lblAvisos->text().contains(QStringLiteral("U+201C")));
    QVERIFY(!v->AnalizarTextoPropio().has_value());
    // Undone as any edit is.
    v->edtTexto->undo();
    QVERIFY(v->edtTexto->toPlainText().contains(QChar(0x2014)));
    v->edtTexto->redo();
    v.Pegar(v->edtTexto->toPlainText().replace(QChar(0xE3), QLatin1Char('a')));
    const std::optional<std::string> listo = v->AnalizarTextoPropio();
    QVERIFY(listo.has_value());
    QCOMPARE(*listo, std::string("\"Hola\" -dijo... \"ya\" 5 euros \"sao\""));
    QVERIFY2(v->lblAvisos->text().contains(QStringLiteral("34 caracteres")), qPrintable(v->lblAvisos->text()));
    // Decomposed accents (as some systems paste them) are one character, and one the keyboard types.
    v.Pegar(QStringLiteral("cafe\u0301"));
    QCOMPARE(*v->AnalizarTextoPropio(), std::string("caf\xE9"));
}

void PruebaPractica::limiteDeCaracteres() {
    Entorno e;
    Ventanita v;
    v.Pegar(QString(20000, QLatin1Char('a')));
    QVERIFY(v->AnalizarTextoPropio().has_value());
    v.Pegar(QString(20001, QLatin1Char('a')));
    QVERIFY(!v->AnalizarTextoPropio().has_value());
    QVERIFY(v->lblAvisos->text().contains(QStringLiteral("20001 caracteres; el máximo es 20000")));
    v->Alternar();
    QVERIFY(!v->EnCurso);
    // Line breaks are one Enter each, whatever the system wrote; the last ones do not count.
    v.Pegar(QStringLiteral("uno\r\ndos\n\n"));
    QCOMPARE(*v->AnalizarTextoPropio(), std::string("uno\rdos"));
}

void PruebaPractica::ficheroUtf8OWindows1252() {
    Entorno e;
    QTemporaryDir dir;
    Ventanita v;
    auto escribir = [&](const char* nombre, const QByteArray& bytes) {
        const QString ruta = dir.path() + QLatin1Char('/') + QLatin1String(nombre);
        QFile f(ruta);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return ruta;
    };
    e.plataforma.ficheroElegido = escribir("latin.txt", QByteArray("Ca\xF1" "a y caf\xE9\r\nal \x93" "d\xED" "a\x94\r\n"));
    QTest::mouseClick(v->btnAbrir, Qt::LeftButton);
    QCOMPARE(v->edtTexto->toPlainText(), QStringLiteral("Caña y café\nal \u201Cdía\u201D"));
    QVERIFY(v->lblAvisos->text().contains(QStringLiteral("U+201C")));
    e.plataforma.ficheroElegido = escribir("utf8.txt", QByteArray("\xEF\xBB\xBF\xC2\xBFQu\xC3\xA9?\n"));
    QTest::mouseClick(v->btnAbrir, Qt::LeftButton);
    QCOMPARE(v->edtTexto->toPlainText(), QStringLiteral("¿Qué?"));
    // Longer than the limit: the first 20,000 characters, and a box that says so.
    e.plataforma.ficheroElegido = escribir("largo.txt", QByteArray(25000, 'x'));
    QTest::mouseClick(v->btnAbrir, Qt::LeftButton);
    QCOMPARE(v->edtTexto->toPlainText().size(), 20000);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    QVERIFY(e.plataforma.mensajes.first().contains(QStringLiteral("25000")));
    // A file that cannot be read: an error box, the text as it was.
    e.plataforma.ficheroElegido = dir.path() + QStringLiteral("/no-existe.txt");
    QTest::mouseClick(v->btnAbrir, Qt::LeftButton);
    QCOMPARE(e.plataforma.errores.size(), 1);
    QVERIFY(e.plataforma.errores.first().contains(QStringLiteral("no-existe.txt")));
    QCOMPARE(v->edtTexto->toPlainText().size(), 20000);
}

void PruebaPractica::copiaCompletaConUnError() {
    Entorno e;
    Ventanita v;
    v.Pegar(QStringLiteral("Año «\u00FCber»\ny ¿qué?"));
    QTest::mouseClick(v->btnReemplazar, Qt::LeftButton);
    v->Alternar();
    QVERIFY(v->EnCurso);
    QVERIFY(!v->edtTexto->isVisible());
    QVERIFY(v->lblTextoOrigen->isVisible());
    QCOMPARE(v->lblTextoOrigen->text(), QStringLiteral("Año \"über\"«\ny ¿qué?"));
    QVERIFY(v->panelTeclado->isVisible());
    // One wrong character (p for q), dead keys for the accents, Enter for the line break.
    Teclear(v.w.get(), "A\xF1o \"\xFC" "ber\"\ry \xBFp");
    QCOMPARE(v->lblTextoEscrito->text(), QStringLiteral("Año \"über\"\ny ¿p"));
    Teclear(v.w.get(), "u\xE9?");
    QVERIFY(!v->EnCurso);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    QVERIFY2(e.plataforma.mensajes.first().startsWith(QStringLiteral("Copia incorrecta.\n\n(94% de aciertos)")),
             qPrintable(e.plataforma.mensajes.first()));
    QVERIFY(e.plataforma.mensajes.first().contains(QStringLiteral("pulsaciones por minuto.")));
    // Again, right: the text stays for another try.
    QVERIFY(v->edtTexto->isVisible());
    v->Alternar();
    Teclear(v.w.get(), "A\xF1o \"\xFC" "ber\"\ry \xBFqu\xE9?");
    QCOMPARE(e.plataforma.mensajes.size(), 2);
    QVERIFY(e.plataforma.mensajes.last().startsWith(QStringLiteral("Copia correcta.\n\n(100% de aciertos)")));
}

void PruebaPractica::escYF6DesdeElEditor() {
    Entorno e;
    Ventanita v;
    v.Pegar(QStringLiteral("hola mundo"));
    v->AnalizarTextoPropio();
    // F6 while the editor has the focus starts; Tab then is a key, not a move of the focus.
    QVERIFY(v->edtTexto->hasFocus());
    QTest::keyClick(v->edtTexto, Qt::Key_F6);
    QVERIFY(v->EnCurso);
    QWidget* foco = QApplication::focusWidget();
    QTest::keyClick(v.w.get(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), foco);
    QVERIFY(!v->cmbOrigen->isEnabled());
    // Esc empties the copy and the run goes on; Esc with nothing running closes the window.
    Teclear(v.w.get(), "hol");
    QCOMPARE(v->TextoEscrito, std::string("hol"));
    Golpe(v.w.get(), 9);  // Esc
    QVERIFY(v->TextoEscrito.empty());
    QVERIFY(v->lblTextoEscrito->text().isEmpty());
    QVERIFY(v->EnCurso);
    QVERIFY(v->isVisible());
    Teclear(v.w.get(), "ho");
    QTest::keyClick(v.w.get(), Qt::Key_F6);  // stops: no result, nothing judged
    QVERIFY(!v->EnCurso);
    QVERIFY(e.plataforma.mensajes.isEmpty());
    QVERIFY(v->cmbOrigen->isEnabled());
    v->setFocus();
    Golpe(v.w.get(), 9);
    QVERIFY(!v->isVisible());
}

void PruebaPractica::pruebaCronometradaHastaElFinDelTexto() {
    Entorno e;
    Ventanita v(Origen::Propio, true);
    QCOMPARE(v->windowTitle(), QStringLiteral("Prueba cronometrada"));
    QCOMPARE(v->spnPenalizacion->value(), 10);
    QCOMPARE(v->spnObjetivo->value(), 200);
    v->spnPenalizacion->setValue(5);
    v.Pegar(QStringLiteral("una prueba corta"));
    // Too short for a minute at 300 keystrokes per minute: a warning first; No keeps it idle.
    v->Alternar();
    QCOMPARE(e.plataforma.preguntas.size(), 1);
    QVERIFY(e.plataforma.preguntas.first().contains(QStringLiteral("16 caracteres")));
    QVERIFY(!v->EnCurso);
    e.plataforma.respuesta = true;
    v->Alternar();
    QVERIFY(v->EnCurso);
    QVERIFY(v->lblReloj->isVisible());
    QCOMPARE(v->lblReloj->Titulo(), QStringLiteral("01:00"));
    // A character typed and erased, then two errors left: 17 typed, 2 errors.
    Teclear(v.w.get(), "ux\bna prueba cprtq");
    QVERIFY(!v->EnCurso);
    QCOMPARE(v->Brutas, 17u);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    const QString caja = e.plataforma.mensajes.first();
    QVERIFY2(caja.startsWith(QStringLiteral("Prueba cronometrada de 1 minuto: se acabó el texto.\n")), qPrintable(caja));
    QVERIFY(caja.contains(QStringLiteral("\nPulsaciones brutas: 17\n")));
    QVERIFY(caja.contains(QStringLiteral("\nErrores: 2\n")));
    QVERIFY(caja.contains(QStringLiteral("Pulsaciones netas = brutas - 5 × errores = 17 - 5 × 2 = 7\n")));
    // Typed by a program, the speed is far beyond any target: the verdict itself is the core's.
    QVERIFY(caja.contains(QStringLiteral("\nApto (objetivo: 200 pulsaciones netas por minuto)")));
}

void PruebaPractica::textoLargoPorPaginas() {
    Entorno e;
    Ventanita v;
    QString largo;
    for (int i = 0; largo.size() < 20000 - 12; ++i) largo += QStringLiteral("palabra%1 ").arg(i % 10);
    largo.truncate(20000);
    v.Pegar(largo);
    QVERIFY(v->AnalizarTextoPropio().has_value());
    v->Alternar();
    QVERIFY(v->EnCurso);
    // A page of the text, whole lines of it, from its start.
    const QString pagina1 = v->lblTextoOrigen->text();
    QVERIFY(largo.startsWith(pagina1));
    QVERIFY(pagina1.size() > 500 && pagina1.size() < 1200);
    // Typing through the page turns it; the copy shows from the new page's start.
    Teclear(v.w.get(), largo.left(pagina1.size()).toLatin1().toStdString());
    const QString pagina2 = v->lblTextoOrigen->text();
    QCOMPARE(largo.mid(pagina1.size(), pagina2.size()), pagina2);
    QVERIFY(v->lblTextoEscrito->text().isEmpty());
    Teclear(v.w.get(), "pa");
    QCOMPARE(v->lblTextoEscrito->text(), QStringLiteral("pa"));
    // Erasing back over the page's start brings the first page back.
    Teclear(v.w.get(), "\b\b\b");
    QCOMPARE(v->lblTextoOrigen->text(), pagina1);
    QCOMPARE(v->lblTextoEscrito->text(), pagina1.left(pagina1.size() - 1));
    // Without the keyboard the texts get the whole window, as in the main window: longer pages.
    v->Alternar();
    v->chkVerTeclado->setChecked(false);
    v->Alternar();
    QVERIFY(!v->panelTeclado->isVisible());
    QVERIFY(v->lblTextoOrigen->text().size() > pagina1.size() * 3 / 2);
}

void PruebaPractica::repasoNombraSusTeclas() {
    Entorno e;
    Ventanita v(Origen::Repaso);
    QCOMPARE(v->windowTitle(), QStringLiteral("Repaso"));
    // Nothing recorded yet: it says so and drills the whole keyboard.
    QVERIFY(v->panelCabecera->Titulo().contains(QStringLiteral("pocas pulsaciones registradas (0 de 200)")));
    QVERIFY(v->Texto.size() >= 300);
    v->PonerTeclasDebiles("", 900);  // enough recorded, and no key missed
    QVERIFY(v->panelCabecera->Titulo().startsWith(QStringLiteral("Las estadísticas no muestran teclas débiles")));
    v->PonerTeclasDebiles("\xF1\xE1\xFCp\xBF", 900);
    QCOMPARE(v->panelCabecera->Titulo(), QStringLiteral("Repaso de: ñ, á, ü, p, ¿"));
    const std::string primero = v->Texto;
    QVERIFY(std::count(primero.begin(), primero.end(), '\xF1') >= 5);
    QVERIFY(v->lblTextoOrigen->text().startsWith(DeCp1252(primero.substr(0, 20))));
    // Copied: a new drill for the next time.
    v->Alternar();
    Teclear(v.w.get(), primero);
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    QVERIFY(e.plataforma.mensajes.first().startsWith(QStringLiteral("Copia correcta.")));
    QVERIFY(v->Texto != primero);
    QVERIFY(v->Texto.size() >= 300);
}

void PruebaPractica::menuDeLaVentanaPrincipal() {
    Entorno e;
    auto w = Ventana();
    const auto antes = w->Configuracion;
    QStringList titulos;
    e.plataforma.alDialogo = [&](QDialog& d) {
        titulos << d.windowTitle();
        return int(QDialog::Rejected);
    };
    for (const char* nombre : {"menuTextoLibre", "menuPrueba", "menuRepaso"})
        w->findChild<QAction*>(QLatin1String(nombre))->trigger();
    QCOMPARE(titulos, (QStringList{QStringLiteral("Texto libre"), QStringLiteral("Prueba cronometrada"), QStringLiteral("Repaso")}));
    QVERIFY(std::memcmp(antes.Realizados, w->Configuracion.Realizados, sizeof antes.Realizados) == 0);
    QVERIFY(std::memcmp(antes.Intentos, w->Configuracion.Intentos, sizeof antes.Intentos) == 0);
    // Refused while an exercise runs, as F5 is.
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(w->EnEjercicio);
    w->findChild<QAction*>(QStringLiteral("menuTextoLibre"))->trigger();
    QCOMPARE(titulos.size(), 3);
}

void PruebaPractica::ayudasYAjustesDePractica() {
    Entorno e;
    almacen::TConfiguracion cfg{};
    almacen::ConfiguracionPorDefecto(cfg);
    cfg.VerManos = 2;  // the hands coloured by finger, beneath the texts as in the main window
    AjustesAyudas ayudas;
    ayudas.SiguienteTecla = ayudas.MarcarErrores = ayudas.VelocidadYAciertos = true;
    QString texto;
    for (int i = 0; texto.size() < 2000; ++i) texto += QStringLiteral("casa%1 ").arg(i % 7);
    {
        ::Ajustes ajustes;
        TfrmPractica w(cfg, ayudas, &ajustes);
        w.Preparar(Origen::Propio, false);
        w.show();
        w.edtTexto->setPlainText(texto);
        w.Alternar();
        QVERIFY(w.EnCurso);
        // The guide lights the first key; live figures in the heading.
        QVERIFY(w.panelTeclado->Tecla("btnC")->Marca());
        QVERIFY(w.imgManosPintadas->isVisible() && !w.imgManosPintadas->pixmap().isNull());
        QVERIFY(!w.imgManos->isVisible());
        QVERIFY(w.lblCifras && w.lblCifras->isVisible());
        Teclear(&w, "cx");
        QCOMPARE(w.lblCifras->Titulo().right(4), QStringLiteral("50 %"));
        QVERIFY(w.panelTeclado->Tecla("btnBorrar")->Marca());  // a wrong copy: erase first
        Teclear(&w, "\b");
        QVERIFY(w.panelTeclado->Tecla("btnA")->Marca());
        // On the second page the guide still follows the text.
        const std::string primera = w.lblTextoOrigen->text().toStdString();
        Teclear(&w, "a" + primera.substr(2));
        QVERIFY(w.lblTextoOrigen->text().toStdString() != primera);
        const char siguiente = texto.at(static_cast<qsizetype>(primera.size())).toLatin1();
        QVERIFY(siguiente >= 'a' && siguiente <= 'z');
        const std::string tecla = std::string("btn") + static_cast<char>(siguiente - 'a' + 'A');
        QVERIFY2(w.panelTeclado->Tecla(tecla)->Marca(), tecla.c_str());
        QVERIFY(w.lblCifras->Titulo().endsWith(QStringLiteral("100 %")));
        w.Alternar();
        QVERIFY(!w.lblCifras->isVisible());
        QVERIFY(!w.panelTeclado->Tecla(tecla)->Marca());
        // Changed here, kept in the settings file when the window closes.
        w.spnPenalizacion->setValue(7);
        w.spnObjetivo->setValue(250);
        w.cmbMinutos->setCurrentIndex(2);
        w.chkVerTeclado->setChecked(false);
        w.reject();
        QVERIFY(e.plataforma.errores.isEmpty());
    }
    ::Ajustes leidos;
    const AjustesPractica p = LeerPractica(leidos);
    QCOMPARE(p.Penalizacion, 7);
    QCOMPARE(p.Objetivo, 250);
    QCOMPARE(p.Minutos, 5);
    QCOMPARE(p.VerTeclado, false);
    TfrmPractica w(cfg, {}, &leidos);
    QCOMPARE(w.spnPenalizacion->value(), 7);
    QCOMPARE(w.Minutos(), 5u);
    QVERIFY(!w.chkVerTeclado->isChecked());
    // Without the aids nothing of them shows.
    QVERIFY(!w.lblCifras);
}

void PruebaPractica::intentosDeLaPractica() {
    Entorno e;
    Ventanita v;
    std::vector<estadisticas::Intento> intentos;
    int consultas = 0;
    v->AlTerminarIntento = [&](estadisticas::Intento in) { intentos.push_back(std::move(in)); };
    v->LeerTeclasDebiles = [&]() -> std::pair<std::string, std::uint64_t> {
        ++consultas;
        return {"\xF1p", 4500};
    };
    v.Pegar(QStringLiteral("ola"));
    // A whole copy with one wrong character: 'libre', incorrect, the wrong press as typed.
    v->Alternar();
    Teclear(v.w.get(), "opa");
    QCOMPARE(intentos.size(), 1u);
    QCOMPARE(intentos[0].origen, estadisticas::Origen::Libre);
    QCOMPARE(intentos[0].resultado, estadisticas::Resultado::Incorrecto);
    QVERIFY(!intentos[0].posicion.has_value());
    QCOMPARE(intentos[0].pulsaciones.size(), 3u);
    QCOMPARE(intentos[0].pulsaciones[1].esperado, 'l');
    QCOMPARE(std::string(intentos[0].pulsaciones[1].Escrito()), std::string("p"));
    QCOMPARE(intentos[0].errores, 1u);
    // Esc after typing ends an attempt as abandoned; so does F6; nothing typed, nothing kept.
    v->Alternar();
    Teclear(v.w.get(), "o");
    Golpe(v.w.get(), 9);
    Teclear(v.w.get(), "ol");
    v->Alternar();
    v->Alternar();
    v->Alternar();
    QCOMPARE(intentos.size(), 3u);
    QCOMPARE(intentos[1].resultado, estadisticas::Resultado::Abandonado);
    QCOMPARE(intentos[2].resultado, estadisticas::Resultado::Abandonado);
    QCOMPARE(intentos[2].caracteres, 2u);
    // A timed test: 'prueba'.
    e.plataforma.respuesta = true;
    v->rbCronometrada->setChecked(true);
    v->Alternar();
    Teclear(v.w.get(), "ola");
    QCOMPARE(intentos.size(), 4u);
    QCOMPARE(intentos[3].origen, estadisticas::Origen::Prueba);
    QCOMPARE(intentos[3].resultado, estadisticas::Resultado::Correcto);  // far beyond the target
    // The drill reads the weak keys once, when it is first wanted: 'repaso'.
    QCOMPARE(consultas, 0);
    v->rbCompleto->setChecked(true);
    v->cmbOrigen->setCurrentIndex(static_cast<int>(Origen::Repaso));
    QCOMPARE(consultas, 1);
    QCOMPARE(v->panelCabecera->Titulo(), QStringLiteral("Repaso de: ñ, p"));
    const std::string drill = v->Texto;
    v->Alternar();
    Teclear(v.w.get(), drill);
    QCOMPARE(intentos.size(), 5u);
    QCOMPARE(intentos[4].origen, estadisticas::Origen::Repaso);
    QCOMPARE(intentos[4].texto, drill);
    v->cmbOrigen->setCurrentIndex(static_cast<int>(Origen::Pasaje));
    v->cmbOrigen->setCurrentIndex(static_cast<int>(Origen::Repaso));
    QCOMPARE(consultas, 1);
}

QTEST_MAIN(PruebaPractica)
#include "test_practica.moc"
