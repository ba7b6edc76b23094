// The window on a dark desktop and on a high-density screen: legible ink, the rule and the texts
// over the hands, and the hands picture that matches the screen.
#include <QLabel>
#include <QPainter>
#include <QtTest>

#include "Ayudas.h"

namespace {

// A dark palette, as the Fusion style or a dark desktop theme gives one.
QPalette PaletaOscura() {
    QPalette p;
    const QColor fondo(53, 53, 53), base(35, 35, 35), texto(235, 235, 235);
    p.setColor(QPalette::Window, fondo);
    p.setColor(QPalette::WindowText, texto);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Text, texto);
    p.setColor(QPalette::Button, fondo);
    p.setColor(QPalette::ButtonText, texto);
    p.setColor(QPalette::Light, QColor(90, 90, 90));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    return p;
}

// Pixels inside a key's bevels: how many are light ink, and how many dark ink.
int Claros(QWidget* w) {
    const QImage im = w->grab().toImage();
    int n = 0;
    for (int y = 3; y < im.height() - 3; ++y)
        for (int x = 3; x < im.width() - 3; ++x) n += im.pixelColor(x, y).lightnessF() > 0.7;
    return n;
}
int Negros(QWidget* w) {
    const QImage im = w->grab().toImage();
    int n = 0;
    for (int y = 3; y < im.height() - 3; ++y)
        for (int x = 3; x < im.width() - 3; ++x) {
            const QColor c = im.pixelColor(x, y);
            n += c.red() + c.green() + c.blue() < 120;
        }
    return n;
}

struct PaletaDeLaPrueba {
    QPalette antes = QApplication::palette();
    explicit PaletaDeLaPrueba(const QPalette& p) { QApplication::setPalette(p); }
    ~PaletaDeLaPrueba() { QApplication::setPalette(antes); }
};

}  // namespace

class PruebaApariencia : public QObject {
    Q_OBJECT
private slots:
    void escritorioOscuro();
    void escritorioClaroSinVelo();
};

void PruebaApariencia::escritorioOscuro() {
    Entorno e;
    PaletaDeLaPrueba oscura(PaletaOscura());
    auto w = Ventana();
    const QColor texto(235, 235, 235);
    // Plain keys: the palette's light ink, no black.
    QVERIFY(Claros(w->Boton("btnQ")) > 5);
    QCOMPARE(Negros(w->Boton("btnQ")), 0);
    QVERIFY(Claros(w->Boton("btn1")) > 5);  // a legend drawn in code
    // Keys coloured by finger, and the grey command keys: black ink.
    w->Configuracion.PintarTecladoActivo = 1;
    w->AplicarPantalla();
    for (const char* k : {"btnQ", "btnW", "btnE", "btnR", "btn1", "btnIntro", "btnF5"}) {
        QVERIFY2(Negros(w->Boton(k)) > 5, k);
    }
    // The rule between the texts in the text colour; the texts veiled over the hands.
    w->Configuracion.VerManos = 2;
    w->AplicarPantalla();
    w->AlternarEjercicio();
    QCOMPARE(w->lblLinea->grab().toImage().pixelColor(10, 0), texto);
    for (QLabel* l : {w->lblTextoOrigen, w->lblTextoEscrito}) QVERIFY(l->autoFillBackground());
    // Over the white of the picture, the text's backdrop is dark.
    const QImage ventana = w->grab().toImage();
    const QPoint punto = w->lblTextoOrigen->mapTo(w.get(), QPoint(300, 100));
    QVERIFY(ventana.pixelColor(punto).lightnessF() < 0.5);
}

void PruebaApariencia::escritorioClaroSinVelo() {
    Entorno e;
    auto w = Ventana();
    w->AlternarEjercicio();
    for (QLabel* l : {w->lblTextoOrigen, w->lblTextoEscrito}) {
        QVERIFY(!l->autoFillBackground());
        QVERIFY(l->testAttribute(Qt::WA_TranslucentBackground));
    }
    QCOMPARE(w->lblLinea->grab().toImage().pixelColor(10, 0), QColor(Qt::black));
    // Switching to a dark palette while running veils them; back to light, the veil goes.
    {
        PaletaDeLaPrueba oscura(PaletaOscura());
        QTRY_VERIFY(w->lblTextoOrigen->autoFillBackground());
    }
    QTRY_VERIFY(!w->lblTextoOrigen->autoFillBackground());
}

QTEST_MAIN(PruebaApariencia)
#include "test_apariencia.moc"
