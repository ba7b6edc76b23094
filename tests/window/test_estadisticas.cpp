// The statistics as the main window keeps them: which runs become attempts and how they end, the
// statistics window and its gating, the export, and the faults of the file.
#include <QTableWidget>
#include <QTabWidget>
#include <QRadioButton>
#include <QComboBox>
#include <QPushButton>
#include <QLabel>
#include <QDir>
#include <QFile>

#include "Ayudas.h"
#include "Estadisticas.h"
#include "estadisticas/Almacen.h"
#include "keyboard/Dedos.h"
#include "platform/Rutas.h"

using catalogo::Posicion;

namespace {

std::string Base() { return rutas::FicheroEstadisticas().toStdString(); }

// An attempt made up in memory and written straight to the file.
estadisticas::Intento Hecho(const std::string& texto, const std::string& escrito, int unidad) {
    estadisticas::RegistroIntento r;
    r.Empezar(estadisticas::Origen::Catalogo, Posicion{static_cast<std::uint16_t>(unidad), 1, 1}, texto);
    auto t = estadisticas::RegistroIntento::Reloj::time_point{} + std::chrono::seconds(1);
    for (std::size_t i = 0; i < escrito.size(); ++i) {
        const char c = escrito[i];
        r.Pulsar(c >= 'a' && c <= 'z' ? static_cast<std::uint16_t>(c - 32) : 32, 0, std::string(1, c), i, t);
        t += std::chrono::milliseconds(c == 'k' ? 900 : 150);  // K is slow
    }
    return *r.Terminar(escrito == texto ? estadisticas::Resultado::Correcto : estadisticas::Resultado::Incorrecto,
                       escrito.size(), t);
}

}  // namespace

class PruebaEstadisticas : public QObject {
    Q_OBJECT
private slots:
    void cadaCorridaEsUnIntento();
    void laVentanaMuestraLoRegistrado();
    void sinNadaRegistradoYDuranteUnEjercicio();
    void unFicheroDanadoSeAparta();
    void sinCarpetaUnSoloAviso();
};

void PruebaEstadisticas::cadaCorridaEsUnIntento() {
    Entorno e;
    {
        auto w = Ventana();
        QVERIFY(!QFileInfo::exists(rutas::FicheroEstadisticas()));
        const std::string texto(catalogo::Texto(w->Actual()));
        Teclear(w.get(), "asdf");  // idle: not recorded
        w->AlternarEjercicio();
        Teclear(w.get(), texto.substr(0, 3));
        Golpe(w.get(), 9);                     // Esc: the attempt is abandoned
        Golpe(w.get(), 9);                     // a second Esc with nothing typed records nothing
        Teclear(w.get(), texto.substr(0, 2));  // a new attempt
        w->AlternarEjercicio();                // F6: abandoned
        w->AlternarEjercicio();
        Golpe(w.get(), 50);                    // Shift alone, then Backspace: nothing written
        Golpe(w.get(), 22);
        w->AlternarEjercicio();                // not an attempt
        w->AlternarEjercicio();
        std::string mal = texto;
        mal[0] = mal[0] == 'x' ? 'z' : 'x';
        Teclear(w.get(), mal);                 // the verdict: incorrect
        QVERIFY(!w->EnEjercicio);
        w->AlternarEjercicio();
        Teclear(w.get(), texto.substr(0, 4));
        QVERIFY(w->close());                   // closing during the run: abandoned, and written before it ends
        QCOMPARE(e.plataforma.avisos, QStringList());
    }
    estadisticas::BaseDatos db(Base());
    const auto v = db.LeerIntentos();
    QCOMPARE(v.size(), std::size_t(4));
    const std::string resultados[4] = {"abandonado", "abandonado", "incorrecto", "abandonado"};
    const std::uint32_t caracteres[4] = {3, 2, static_cast<std::uint32_t>(catalogo::Texto(1, 1, 1).size()), 4};
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(v[i].resultado, resultados[i]);
        QCOMPARE(v[i].caracteres, caracteres[i]);
        QCOMPARE(v[i].origen, std::string("catalogo"));
        QVERIFY(v[i].posicion == (Posicion{1, 1, 1}));
    }
    QCOMPARE(v[2].errores, 1u);
    // Every press belongs to the run: 3, 2, the whole text, 4; no idle key, no Esc.
    QCOMPARE(db.ContarPulsaciones(), std::int64_t(3 + 2 + catalogo::Texto(1, 1, 1).size() + 4));
}

void PruebaEstadisticas::laVentanaMuestraLoRegistrado() {
    Entorno e;
    {
        estadisticas::BaseDatos db(Base());
        // D missed three times in four; K slow.
        db.Guardar(Hecho("dddd kkkk", "sssd kkkk", 1));
        db.Guardar(Hecho("fff", "fff", 2));
    }
    auto w = Ventana();
    w->Configuracion.Realizados[0][0][0] = 1;
    w->Configuracion.Intentos[0][0][0] = 4;
    QString resumen, curso;
    QColor colorD, colorF, colorK, colorKLento, colorDLento;
    int confusiones = 0, puntos = 0, puntosTodas = 0, puntosUnidad2 = 0;
    QString acento, confusion;
    e.plataforma.carpeta = e.dir.path();
    e.plataforma.alDialogo = [&](QDialog& d) {
        auto& v = dynamic_cast<TfrmEstadisticas&>(d);
        resumen = v.lblResumen->text();
        curso = v.lblCurso->text();
        colorD = v.panelTeclado->Tecla("btnD")->Color();
        colorF = v.panelTeclado->Tecla("btnF")->Color();
        colorK = v.panelTeclado->Tecla("btnK")->Color();
        v.radioLentitud->click();
        colorKLento = v.panelTeclado->Tecla("btnK")->Color();
        colorDLento = v.panelTeclado->Tecla("btnD")->Color();
        confusiones = v.tablaConfusiones->rowCount();
        confusion = v.tablaConfusiones->item(0, 0)->text();
        acento = v.tablaAcentos->item(0, 0)->text();
        puntos = static_cast<int>(v.grafico->Puntos().size());  // the current unit's, 1
        v.ElegirUnidad(std::nullopt);
        puntosTodas = static_cast<int>(v.grafico->Puntos().size());
        v.ElegirUnidad(2);
        puntosUnidad2 = static_cast<int>(v.grafico->Puntos().size());
        v.btnExportar->click();
        return int(QDialog::Accepted);
    };
    w->menuEstadisticas->trigger();
    QCOMPARE(e.plataforma.dialogos, QStringList{QStringLiteral("TfrmEstadisticas")});
    QCOMPARE(resumen, QStringLiteral("2 intentos (1 correctos) y 12 pulsaciones registradas."));
    QVERIFY2(curso.startsWith(QStringLiteral("1 de 511 ejercicios hechos, con 4 intentos")), qPrintable(curso));
    QCOMPARE(colorD, ColorCalor(1));  // the highest error rate: deep red
    QCOMPARE(colorF, ColorCalor(0));  // typed, no errors: white
    QCOMPARE(colorK, ColorCalor(0));
    QCOMPARE(colorKLento, ColorCalor(1));  // the slowest median
    QCOMPARE(colorDLento, ColorCalor(0));  // 150 ms, the quickest: the scale runs from it to the slowest
    QCOMPARE(confusiones, 1);
    QCOMPARE(confusion, QStringLiteral("escribió «s» en lugar de «d»"));
    QCOMPARE(acento, QStringLiteral("Tilde olvidada"));
    QCOMPARE(puntos, 1);
    QCOMPARE(puntosTodas, 2);
    QCOMPARE(puntosUnidad2, 1);
    // The export: two files with a header row each, and a box that names them.
    QFile i(e.dir.path() + QStringLiteral("/pulsoteclado-intentos.csv")), p(e.dir.path() + QStringLiteral("/pulsoteclado-pulsaciones.csv"));
    QVERIFY(i.open(QIODevice::ReadOnly) && p.open(QIODevice::ReadOnly));
    QCOMPARE(i.readAll().count('\n'), 3);
    QCOMPARE(p.readAll().count('\n'), 13);
    QVERIFY(e.plataforma.mensajes.last().contains(QStringLiteral("pulsoteclado-pulsaciones.csv")));
    QVERIFY(e.plataforma.errores.isEmpty());
}

void PruebaEstadisticas::sinNadaRegistradoYDuranteUnEjercicio() {
    Entorno e;
    auto w = Ventana();
    bool vacio = false, exportar = true, teclado = true;
    e.plataforma.alDialogo = [&](QDialog& d) {
        auto& v = dynamic_cast<TfrmEstadisticas&>(d);
        vacio = v.lblVacio->isVisibleTo(&v);
        exportar = v.btnExportar->isEnabled();
        teclado = v.tabs->isTabVisible(0);
        return int(QDialog::Accepted);
    };
    w->MostrarEstadisticas();
    QVERIFY(vacio);
    QVERIFY(!exportar);
    QVERIFY(!teclado);
    // Refused while an exercise runs, like F7.
    e.plataforma.dialogos.clear();
    w->AlternarEjercicio();
    w->menuEstadisticas->trigger();
    QVERIFY(e.plataforma.dialogos.isEmpty());
    w->AlternarEjercicio();
}

void PruebaEstadisticas::unFicheroDanadoSeAparta() {
    Entorno e;
    QDir().mkpath(QFileInfo(rutas::FicheroEstadisticas()).path());
    {
        QFile f(rutas::FicheroEstadisticas());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
    }
    auto w = Ventana();
    w->AlternarEjercicio();
    Teclear(w.get(), "ab");
    w->AlternarEjercicio();
    QVERIFY(QTest::qWaitFor([&] { return !e.plataforma.avisos.isEmpty(); }, 5000));
    QCOMPARE(e.plataforma.avisos.size(), 1);
    QVERIFY2(e.plataforma.avisos[0].contains(QStringLiteral("estadisticas.sqlite.danado-")), qPrintable(e.plataforma.avisos[0]));
    QVERIFY(e.plataforma.errores.isEmpty());
    // The exercise goes on untouched, and the next attempts go to the new file.
    w->AlternarEjercicio();
    Teclear(w.get(), "cd");
    w->AlternarEjercicio();
    QVERIFY(w->close());
    QCOMPARE(e.plataforma.avisos.size(), 1);
    QCOMPARE(estadisticas::BaseDatos(Base()).LeerIntentos().size(), std::size_t(2));
    QVERIFY(QFileInfo::exists(e.Fichero()));
}

void PruebaEstadisticas::sinCarpetaUnSoloAviso() {
    Entorno e;
    // A file where the data folder must go: neither the progress nor the statistics can be kept.
    {
        QFile f(e.dir.path() + QStringLiteral("/Pulsoteclado"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no soy una carpeta");
    }
    auto w = Ventana();
    QCOMPARE(e.plataforma.errores.size(), 1);  // the progress file's own box
    for (int i = 0; i < 3; ++i) {
        w->AlternarEjercicio();
        Teclear(w.get(), "ab");
        w->AlternarEjercicio();
    }
    QString vacio;
    e.plataforma.alDialogo = [&](QDialog& d) {
        vacio = dynamic_cast<TfrmEstadisticas&>(d).lblVacio->text();
        return int(QDialog::Accepted);
    };
    w->MostrarEstadisticas();
    QVERIFY2(vacio.startsWith(QStringLiteral("No se han podido leer las estadísticas")), qPrintable(vacio));
    QTest::qWait(50);  // the notice is queued to the window's thread
    QCOMPARE(e.plataforma.avisos.size(), 1);
    QVERIFY2(e.plataforma.avisos[0].startsWith(QStringLiteral("No se pueden guardar las estadísticas")), qPrintable(e.plataforma.avisos[0]));
    QCOMPARE(e.plataforma.errores.size(), 1);
    e.plataforma.respuesta = true;  // close without saving the progress
    QVERIFY(w->close());
}

QTEST_MAIN(PruebaEstadisticas)
#include "test_estadisticas.moc"
