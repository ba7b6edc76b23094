// Every text of the catalogue typed into the real window with physical keys gets the correct
// verdict, and the hands pictures decode (or, damaged, leave their image empty).
#include <QFile>
#include <QLabel>
#include <QtTest>

#include "Ayudas.h"
#include "Pulsoteclado.h"
#include "platform/Jpeg.h"

class PruebaCatalogoTecleado : public QObject {
    Q_OBJECT
private slots:
    void cadaTextoDaElVeredictoCorrecto();
    void imagenesJpeg();
};

void PruebaCatalogoTecleado::cadaTextoDaElVeredictoCorrecto() {
    Entorno e;
    TfrmPulsoteclado w;
    w.show();
    QApplication::setActiveWindow(&w);
    int tecleados = 0;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        w.UnidadActual = p.Unidad;
        w.LeccionActual = p.Leccion;
        w.EjercicioActual = p.Ejercicio;
        w.MostrarEjercicio();
        w.AlternarEjercicio();
        const int antes = e.plataforma.mensajes.size();
        Teclear(&w, catalogo::Texto(p));
        const QString donde = QStringLiteral("%1.%2.%3").arg(p.Unidad).arg(p.Leccion).arg(p.Ejercicio);
        QVERIFY2(e.plataforma.mensajes.size() == antes + 1, qPrintable(donde));
        QVERIFY2(e.plataforma.mensajes.last().startsWith(QStringLiteral("Ejercicio correcto. Puede pasar al siguiente.")), qPrintable(donde));
        QVERIFY2(!w.EnEjercicio, qPrintable(donde));
        QVERIFY2(w.Configuracion.Realizados[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] == 1, qPrintable(donde));
        if (p.Unidad == 5) QVERIFY2(e.plataforma.mensajes.last().endsWith(QStringLiteral(" pulsaciones por minuto.")), qPrintable(donde));
        ++tecleados;
    });
    QCOMPARE(tecleados, 511);
    qInfo("%d texts typed", tecleados);
}

void PruebaCatalogoTecleado::imagenesJpeg() {
    QFile buena(QStringLiteral(PT_FUENTES "/data/manos_pintadas.jpg"));
    QVERIFY(buena.open(QIODevice::ReadOnly));
    const QImage img = DecodificarJpeg(buena.readAll());
    QCOMPARE(img.size(), QSize(444, 275));
    QFile rota(QStringLiteral(PT_FUENTES "/tests/data/manos_rota.jpg"));
    QVERIFY(rota.open(QIODevice::ReadOnly));
    QVERIFY(DecodificarJpeg(rota.readAll()).isNull());
    QVERIFY(DecodificarJpeg(QByteArray()).isNull());
    QVERIFY(DecodificarJpeg(QByteArray("not a picture at all")).isNull());
    QVERIFY(DecodificarJpeg(QByteArray("\xFF\xD8\xFF", 3)).isNull());
}

QTEST_MAIN(PruebaCatalogoTecleado)
#include "test_catalogo_tecleado.moc"
