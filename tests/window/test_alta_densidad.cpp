// The window on a screen of twice the density: it keeps its layout in logical pixels, and the
// hands pictures come from the pictures of twice the size, drawn pixel for pixel.
#include <QLabel>
#include <QtTest>

#include "Ayudas.h"

class PruebaAltaDensidad : public QObject {
    Q_OBJECT
private slots:
    void manosDelDobleDeTamano();
};

void PruebaAltaDensidad::manosDelDobleDeTamano() {
    Entorno e;
    auto w = Ventana();
    QCOMPARE(w->devicePixelRatioF(), 2.0);
    QCOMPARE(w->centralWidget()->size(), QSize(792, 554));
    for (int ver : {1, 2}) {
        w->Configuracion.VerManos = static_cast<std::uint8_t>(ver);
        w->AplicarPantalla();
        QLabel* img = ver == 1 ? w->imgManos : w->imgManosPintadas;
        const QPixmap pm = img->pixmap();
        QCOMPARE(pm.size(), QSize(888, 550));
        QCOMPARE(pm.devicePixelRatio(), 2.0);
        QCOMPARE(pm.deviceIndependentSize(), QSizeF(444, 275));
        // The right picture: the painted one has its red little-finger tips, the plain one none.
        const QImage im = pm.toImage();
        int rojos = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                const QColor c = im.pixelColor(x, y);
                rojos += c.red() > 230 && c.green() < 40 && c.blue() < 40;
            }
        if (ver == 1) QCOMPARE(rojos, 0);
        else QVERIFY(rojos > 1000);  // two tips of about 30 by 50 pixels at this size
    }
    // A key's legend is drawn at the screen's density, not enlarged from a small bitmap.
    const QImage q = w->Boton("btnQ")->grab().toImage();
    QCOMPARE(q.size(), QSize(60, 60));
}

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    PruebaAltaDensidad prueba;
    return QTest::qExec(&prueba, argc, argv);
}
#include "test_alta_densidad.moc"
