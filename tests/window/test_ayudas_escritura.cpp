// The aids while typing in the main window: their settings file and dialog page, the next key on
// the on-screen keyboard, the error marks and the live figures; and that they change neither the
// copy nor the verdict.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "Ayudas.h"
#include "AyudasEscritura.h"
#include "Configuracion.h"
#include "Pulsoteclado.h"
#include "platform/Texto.h"

using catalogo::Posicion;

namespace {

constexpr std::uint32_t kRetroceso = 22, kIntro = 36, kAcento = 48, kShiftIzq = 50, kBloqMayus = 66;
const QRgb kFondoError = qRgb(255, 205, 205);

QString FicheroAjustes(const Entorno& e) { return e.dir.path() + QStringLiteral("/config/Pulsoteclado/pulsoteclado.conf"); }

void EscribirAjustes(const Entorno& e, const QByteArray& contenido) {
    QDir().mkpath(QFileInfo(FicheroAjustes(e)).absolutePath());
    QFile f(FicheroAjustes(e));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(contenido);
}

void Ir(TfrmPulsoteclado& w, Posicion p) {
    w.UnidadActual = p.Unidad;
    w.LeccionActual = p.Leccion;
    w.EjercicioActual = p.Ejercicio;
    w.MostrarEjercicio();
}

QStringList Marcadas(TfrmPulsoteclado& w) {
    QStringList r;
    for (const DefTecla& d : PanelTeclado::Disposicion())
        if (w.Boton(d.nombre)->Marca()) r << QString::fromLatin1(d.nombre);
    r.sort();
    return r;
}

int Pixeles(QWidget* w, QRgb color) {
    const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
    return n;
}

AjustesAyudas Todas() {
    AjustesAyudas a;
    a.SiguienteTecla = a.MarcarErrores = a.VelocidadYAciertos = true;
    return a;
}

}  // namespace

class PruebaAyudas : public QObject {
    Q_OBJECT
private slots:
    void ajustesYSuPagina();
    void ficheroDeAjustesDanadoOSinEscritura();
    void siguienteTecla();
    void esperaAntesDeIndicarla();
    void erroresMarcadosSinCambiarLaCopia();
    void marcasSobreElMismoAjusteDeLineas();
    void cifrasEnVivo();
};

void PruebaAyudas::ajustesYSuPagina() {
    Entorno e;
    auto w = Ventana();
    QVERIFY(!w->Ayudas());  // all off: nothing built
    QVERIFY(w->menuCfgAyudas);
    int pagina = -1;
    bool enCasilla[4] = {true, true, true, true};
    bool esperaActiva = true;
    e.plataforma.alDialogo = [&](QDialog& d) {
        auto* c = qobject_cast<TfrmConfiguracion*>(&d);
        pagina = c->tabConfig->currentIndex();
        enCasilla[0] = c->chkSiguienteTecla->isChecked();
        enCasilla[1] = c->chkMarcarErrores->isChecked();
        enCasilla[2] = c->chkVelocidadYAciertos->isChecked();
        enCasilla[3] = c->EsperaSiguienteTecla() != 0;
        esperaActiva = c->cmbEsperaSiguienteTecla->isEnabled();
        c->chkSiguienteTecla->setChecked(true);
        c->PonerEsperaSiguienteTecla(1000);
        c->chkMarcarErrores->setChecked(true);
        return int(QDialog::Rejected);
    };
    w->menuCfgAyudas->trigger();
    QCOMPARE(pagina, 2);
    for (bool b : enCasilla) QVERIFY(!b);
    QVERIFY(!esperaActiva);  // the wait is greyed while the guide is off
    QVERIFY(!w->Ayudas());   // Cancel changes nothing
    QVERIFY(!QFileInfo::exists(FicheroAjustes(e)));

    // OK applies at once and writes the file; the progress file is not touched.
    e.plataforma.alDialogo = [](QDialog& d) {
        auto* c = qobject_cast<TfrmConfiguracion*>(&d);
        c->chkSiguienteTecla->setChecked(true);
        c->PonerEsperaSiguienteTecla(1000);
        c->chkVelocidadYAciertos->setChecked(true);
        return int(QDialog::Accepted);
    };
    auto progreso = [&] {
        QFile f(e.Fichero());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray antes = progreso();
    w->Configurar(2);
    QVERIFY(w->Ayudas());
    QVERIFY(w->Ayudas()->Ajustes().SiguienteTecla && w->Ayudas()->Ajustes().VelocidadYAciertos);
    QVERIFY(!w->Ayudas()->Ajustes().MarcarErrores);
    QCOMPARE(w->Ayudas()->Ajustes().EsperaSiguienteTecla, 1000);
    {
        QSettings s(FicheroAjustes(e), QSettings::IniFormat);
        QCOMPARE(s.value("Ayudas/SiguienteTecla").toString(), QStringLiteral("true"));
        QCOMPARE(s.value("Ayudas/EsperaSiguienteTecla").toString(), QStringLiteral("1000"));
        QCOMPARE(s.value("Ayudas/MarcarErrores").toString(), QStringLiteral("false"));
        QCOMPARE(s.value("Ayudas/VelocidadYAciertos").toString(), QStringLiteral("true"));
    }
    QCOMPARE(progreso(), antes);
    QVERIFY(e.plataforma.errores.isEmpty());

    // Gated like F9: refused during an exercise, from the menu and directly.
    const int dialogos = int(e.plataforma.dialogos.size());
    w->AlternarEjercicio();
    w->menuCfgAyudas->trigger();
    w->Configurar(2);
    QCOMPARE(int(e.plataforma.dialogos.size()), dialogos);
    w->AlternarEjercicio();

    // A new start reads them back; keys of other groups stay in the file when it is written again.
    {
        QSettings s(FicheroAjustes(e), QSettings::IniFormat);
        s.setValue("Practica/Otra", 7);
    }
    w.reset();
    w = Ventana();
    QVERIFY(w->Ayudas());
    AjustesAyudas esperadas;
    esperadas.SiguienteTecla = esperadas.VelocidadYAciertos = true;
    esperadas.EsperaSiguienteTecla = 1000;
    QCOMPARE(w->Ayudas()->Ajustes(), esperadas);
    e.plataforma.alDialogo = [&](QDialog& d) {
        auto* c = qobject_cast<TfrmConfiguracion*>(&d);
        esperaActiva = c->cmbEsperaSiguienteTecla->isEnabled() && c->EsperaSiguienteTecla() == 1000;
        c->chkSiguienteTecla->setChecked(false);
        return int(QDialog::Accepted);
    };
    w->Configurar(2);
    QVERIFY(esperaActiva);
    QSettings s(FicheroAjustes(e), QSettings::IniFormat);
    QCOMPARE(s.value("Ayudas/SiguienteTecla").toString(), QStringLiteral("false"));
    QCOMPARE(s.value("Practica/Otra").toInt(), 7);
}

void PruebaAyudas::ficheroDeAjustesDanadoOSinEscritura() {
    Entorno e;
    // Values out of range and words that are not true/false are ignored; an unknown key too.
    EscribirAjustes(e, "[Ayudas]\nSiguienteTecla=quizas\nEsperaSiguienteTecla=750\nMarcarErrores=TRUE\n"
                       "VelocidadYAciertos=1\nDesconocida=true\n");
    {
        auto w = Ventana();
        QVERIFY(w->Ayudas());
        AjustesAyudas a;
        a.MarcarErrores = true;
        QCOMPARE(w->Ayudas()->Ajustes(), a);
    }
    // A damaged file: the defaults, silently.
    EscribirAjustes(e, QByteArray("\xFF\x00\x01[[[Ayudas\n=\n\xC3", 12) + QByteArray(5000, '\x7F'));
    {
        auto w = Ventana();
        QVERIFY(!w->Ayudas());
        QVERIFY(e.plataforma.errores.isEmpty());
        QVERIFY(e.plataforma.mensajes.isEmpty());
    }
    // A folder that cannot be made: one error box, and the aids still apply for this session.
    QVERIFY(QFile::remove(FicheroAjustes(e)));
    QVERIFY(QDir().rmdir(QFileInfo(FicheroAjustes(e)).absolutePath()));
    {
        QFile tapon(e.dir.path() + QStringLiteral("/config/Pulsoteclado"));
        QVERIFY(tapon.open(QIODevice::WriteOnly));
    }
    auto w = Ventana();
    e.plataforma.alDialogo = [](QDialog& d) {
        qobject_cast<TfrmConfiguracion*>(&d)->chkMarcarErrores->setChecked(true);
        return int(QDialog::Accepted);
    };
    w->Configurar(2);
    QCOMPARE(e.plataforma.errores.size(), 1);
    QVERIFY(e.plataforma.errores.front().contains(QStringLiteral("pulsoteclado.conf")));
    QVERIFY(w->Ayudas() && w->Ayudas()->Ajustes().MarcarErrores);
    // The progress file is written at close as ever.
    w->close();
    QVERIFY(QFileInfo::exists(e.Fichero()));
}

void PruebaAyudas::siguienteTecla() {
    Entorno e;
    EscribirAjustes(e, "[Ayudas]\nSiguienteTecla=true\n");
    auto w = Ventana();
    QVERIFY(Marcadas(*w).isEmpty());  // idle: no mark
    QTest::keyClick(w.get(), Qt::Key_F6);
    const std::string texto(catalogo::Texto(1, 1, 1));
    QCOMPARE(texto.substr(0, 3), std::string("qwe"));
    QCOMPARE(Marcadas(*w), QStringList{"btnQ"});
    QSignalSpy indicadas(w->Ayudas(), &AyudasEscritura::SiguienteIndicada);
    Teclear(w.get(), "q");
    QCOMPARE(Marcadas(*w), QStringList{"btnW"});
    QCOMPARE(indicadas.size(), 1);
    QCOMPARE(qvariant_cast<guia::Secuencia>(indicadas.front().front()).begin()->vk, std::uint16_t('W'));
    // A key held down keeps its bevel; the mark is a separate thing.
    Fisica(w.get(), prueba::Teclear("w").front().codigo, true);
    QVERIFY(w->Boton("btnW")->BiselExterior() == Panel::Bisel::Hundido);
    QCOMPARE(Marcadas(*w), QStringList{"btnE"});
    Fisica(w.get(), prueba::Teclear("w").front().codigo, false);
    // A wrong character: Backspace until the copy matches again.
    Teclear(w.get(), "x");
    QCOMPARE(Marcadas(*w), QStringList{"btnBorrar"});
    Golpe(w.get(), kRetroceso);
    QCOMPARE(Marcadas(*w), QStringList{"btnE"});
    QCOMPARE(w->TextoEscrito, std::string("qw"));
    w->AlternarEjercicio();
    QVERIFY(Marcadas(*w).isEmpty());

    // An accented capital in two steps: the dead key alone, then the other hand's Shift and A.
    const Posicion angela{3, 4, 1};
    QCOMPARE(std::string(catalogo::Texto(angela).substr(0, 2)), std::string("\xC1n"));
    Ir(*w, angela);
    w->AlternarEjercicio();
    QCOMPARE(Marcadas(*w), QStringList{"btnAcento"});
    Golpe(w.get(), kAcento);
    QCOMPARE(Marcadas(*w), (QStringList{"btnA", "btnMayusculasDer"}));
    Fisica(w.get(), kShiftIzq, true);
    QCOMPARE(Marcadas(*w), (QStringList{"btnA", "btnMayusculasDer"}));  // Shift alone produces nothing
    Golpe(w.get(), prueba::Teclear("a").front().codigo);
    Fisica(w.get(), kShiftIzq, false);
    QCOMPARE(w->TextoEscrito, std::string("\xC1"));
    QCOMPARE(Marcadas(*w), QStringList{"btnN"});
    // With Caps Lock on, a lower-case letter takes Shift (the other hand's).
    Golpe(w.get(), kBloqMayus);
    QCOMPARE(Marcadas(*w), (QStringList{"btnMayusculasIzq", "btnN"}));
    Golpe(w.get(), kBloqMayus);
    w->AlternarEjercicio();

    // Units 4 and above hide the keyboard during the run: no guide.
    Ir(*w, {4, 1, 1});
    w->AlternarEjercicio();
    QVERIFY(Marcadas(*w).isEmpty());
    Teclear(w.get(), "x");
    QVERIFY(Marcadas(*w).isEmpty());
    w->AlternarEjercicio();
}

void PruebaAyudas::esperaAntesDeIndicarla() {
    Entorno e;
    auto w = Ventana();
    AjustesAyudas a;
    a.SiguienteTecla = true;
    a.EsperaSiguienteTecla = 500;
    w->AplicarAyudas(a);
    w->AlternarEjercicio();
    QVERIFY(Marcadas(*w).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(Marcadas(*w), QStringList{"btnQ"}, 3000);
    // Every key hides it and starts the wait again.
    Teclear(w.get(), "q");
    QVERIFY(Marcadas(*w).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(Marcadas(*w), QStringList{"btnW"}, 3000);
    Fisica(w.get(), kShiftIzq, true);
    QVERIFY(Marcadas(*w).isEmpty());
    Fisica(w.get(), kShiftIzq, false);
    // Stopping drops a pending mark: none appears afterwards.
    w->AlternarEjercicio();
    QTest::qWait(700);
    QVERIFY(Marcadas(*w).isEmpty());
}

void PruebaAyudas::erroresMarcadosSinCambiarLaCopia() {
    Entorno e;
    EscribirAjustes(e, "[Ayudas]\nMarcarErrores=true\n");
    auto w = Ventana();
    w->AlternarEjercicio();
    Teclear(w.get(), "qw");
    QCOMPARE(Pixeles(w->lblTextoEscrito, kFondoError), 0);
    Teclear(w.get(), "x");
    QVERIFY(Pixeles(w->lblTextoEscrito, kFondoError) > 20);
    Golpe(w.get(), kRetroceso);
    QCOMPARE(Pixeles(w->lblTextoEscrito, kFondoError), 0);
    // A line break where none is due: red, and the copy holds the break as typed.
    Golpe(w.get(), kIntro);
    QVERIFY(Pixeles(w->lblTextoEscrito, kFondoError) > 20);
    QCOMPARE(w->TextoEscrito, std::string("qw\r"));
    QCOMPARE(w->lblTextoEscrito->text(), QStringLiteral("qw\n"));
    Golpe(w.get(), kRetroceso);
    QCOMPARE(Pixeles(w->lblTextoEscrito, kFondoError), 0);
    // A dead key that does not combine at the end: both characters past the text's length are red.
    const std::string texto(catalogo::Texto(1, 1, 1));
    w->AlternarEjercicio();
    w->AlternarEjercicio();
    Teclear(w.get(), texto.substr(0, texto.size() - 1));
    QCOMPARE(Pixeles(w->lblTextoEscrito, kFondoError), 0);
    // The verdict, the counts and the message are those of the program without aids.
    Golpe(w.get(), kAcento);
    Teclear(w.get(), "1");
    QCOMPARE(w->TextoEscrito, texto.substr(0, texto.size() - 1) + "\xB4" "1");
    QCOMPARE(e.plataforma.mensajes.size(), 1);
    QCOMPARE(e.plataforma.mensajes.back(),
             DeCp1252(practica::TextoMensaje(practica::kIncorrecto, practica::kRepetir,
                                             practica::LineaPrecision(practica::Precision(w->TextoEscrito, texto)))));
    QVERIFY(!w->EnEjercicio);
    QCOMPARE(w->Configuracion.Intentos[0][0][0], std::uint16_t(2));  // the stop after "qw", the verdict
}

// With nothing to mark, the aids' painting is the label's own, pixel for pixel: the marks sit on
// the characters the learner sees. Long texts wrap over several lines; "&" and "<" show as typed.
void PruebaAyudas::marcasSobreElMismoAjusteDeLineas() {
    Entorno e;
    auto sin = Ventana();
    auto con = Ventana();
    AjustesAyudas a;
    a.MarcarErrores = true;
    con->AplicarAyudas(a);
    for (Posicion p : {Posicion{5, 12, 1}, Posicion{3, 1, 14}}) {
        const std::string texto(catalogo::Texto(p));
        const std::string copia = texto.substr(0, std::min<std::size_t>(texto.size() - 1, 700));
        for (TfrmPulsoteclado* w : {sin.get(), con.get()}) {
            Ir(*w, p);
            w->AlternarEjercicio();
            Teclear(w, copia);
            QCOMPARE(w->TextoEscrito, copia);
        }
        QVERIFY(copia.size() < 200 || sin->lblTextoEscrito->text().size() > 600);
        QCOMPARE(con->lblTextoEscrito->grab().toImage(), sin->lblTextoEscrito->grab().toImage());
        // The text to copy differs only by the underline under the next character.
        const QImage a1 = sin->lblTextoOrigen->grab().toImage(), b1 = con->lblTextoOrigen->grab().toImage();
        QRect diferencia;
        for (int y = 0; y < a1.height(); ++y)
            for (int x = 0; x < a1.width(); ++x)
                if (a1.pixel(x, y) != b1.pixel(x, y)) diferencia |= QRect(x, y, 1, 1);
        QVERIFY(!diferencia.isEmpty());
        QVERIFY2(diferencia.width() <= 10 && diferencia.height() <= 2,
                 qPrintable(QStringLiteral("%1x%2").arg(diferencia.width()).arg(diferencia.height())));
        for (TfrmPulsoteclado* w : {sin.get(), con.get()}) w->AlternarEjercicio();
    }
}

void PruebaAyudas::cifrasEnVivo() {
    Entorno e;
    auto w = Ventana();
    Ir(*w, {5, 1, 1});
    w->AlternarEjercicio();
    QVERIFY(!w->Ayudas());  // off: no panel at all
    w->AlternarEjercicio();
    w->AplicarAyudas(Todas());
    w->AlternarEjercicio();
    Panel* cifras = w->Ayudas()->PanelCifras();
    QVERIFY(cifras && cifras->isVisible());
    QVERIFY(w->lblReloj->isVisible());  // the clock keeps its place on the left
    QVERIFY(cifras->geometry().left() > w->lblReloj->geometry().right());
    QCOMPARE(cifras->geometry().right(), w->panelLecciones->width() - 3);
    QCOMPARE(cifras->Titulo(), QStringLiteral("0 ppm  100 %"));
    const std::string texto(catalogo::Texto(5, 1, 1));
    Teclear(w.get(), texto.substr(0, 3));
    Teclear(w.get(), texto[3] == 'x' ? "y" : "x");
    QCOMPARE(cifras->Titulo(), QStringLiteral("0 ppm  75 %"));
    // Refreshed each second without a key.
    QTRY_VERIFY_WITH_TIMEOUT(!cifras->Titulo().startsWith(QStringLiteral("0 ppm")), 4000);
    QVERIFY(cifras->Titulo().endsWith(QStringLiteral("  75 %")));
    w->AlternarEjercicio();
    QVERIFY(!cifras->isVisible());
}

QTEST_MAIN(PruebaAyudas)
#include "test_ayudas_escritura.moc"
