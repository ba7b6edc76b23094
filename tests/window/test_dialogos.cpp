// The dialogs and the graph window on their own, without the main window.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QtTest>
#include <cstring>
#include <vector>

#include "Configuracion.h"
#include "EligeUnidad.h"
#include "Grafico.h"
#include "GrupoRadio.h"
#include "Lecciones.h"
#include "SobreProg.h"
#include "catalogue/Catalogo.h"

namespace {

// Offscreen unless the caller chose a platform; runs before QTEST_MAIN builds the application.
[[maybe_unused]] const bool kPlataforma = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

using Intentos = std::uint16_t[7][12][15];

std::vector<catalogo::Posicion> TodasLasPosiciones() {
    std::vector<catalogo::Posicion> v;
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) { v.push_back(p); });
    return v;
}

void CompararPosicion(const catalogo::Posicion& p, int u, int l, int e) {
    QCOMPARE(int(p.Unidad), u);
    QCOMPARE(int(p.Leccion), l);
    QCOMPARE(int(p.Ejercicio), e);
}

// The title bar offers the close box and nothing else.
bool SoloCierre(const QWidget& w) {
    const Qt::WindowFlags f = w.windowFlags();
    return (f & Qt::WindowCloseButtonHint) && !(f & Qt::WindowMaximizeButtonHint) &&
           !(f & Qt::WindowMinimizeButtonHint) && !(f & Qt::WindowContextHelpButtonHint);
}

bool TamanoFijo(const QWidget& w, int ancho, int alto) {
    return w.size() == QSize(ancho, alto) && w.minimumSize() == w.size() && w.maximumSize() == w.size();
}

// Where the tick box of an item is drawn.
QPoint CentroCasilla(QListWidget* lista, QListWidgetItem* item) {
    QStyleOptionViewItem opt;
    opt.initFrom(lista->viewport());
    opt.rect = lista->visualItemRect(item);
    opt.font = lista->font();
    opt.fontMetrics = QFontMetrics(lista->font());
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = item->text();
    opt.checkState = item->checkState();
    opt.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    return lista->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, lista).center();
}

// A point on the round box of a radio item, where a click always counts.
QPoint Indicador(QRadioButton* r) {
    QStyleOptionButton opt;
    opt.initFrom(r);
    return r->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, r).center();
}

const QRgb kBlanco = qRgb(255, 255, 255);
const QRgb kVerde = qRgb(0, 128, 0);
const QRgb kRojo = qRgb(255, 0, 0);

enum class Tinta { Ninguna, Negra, Verde, Roja, Mezcla };

// The colour of the text drawn inside r: anti-aliased ink on white keeps its hue.
Tinta TintaEn(const QImage& img, const QRect& r) {
    Tinta t = Tinta::Ninguna;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (c == kBlanco) continue;
            const int rr = qRed(c), g = qGreen(c), b = qBlue(c);
            Tinta esta = Tinta::Mezcla;
            if (rr == g && g == b) esta = Tinta::Negra;
            else if (rr == b && g > rr) esta = Tinta::Verde;
            else if (rr == 255 && g == b) esta = Tinta::Roja;
            if (t == Tinta::Ninguna) t = esta;
            else if (t != esta) return Tinta::Mezcla;
        }
    return t;
}

bool TodoDeColor(const QImage& img, const QRect& r, QRgb color) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) != color) return false;
    return true;
}

bool AlgunoDeColor(const QImage& img, QRgb color) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == color) return true;
    return false;
}

}  // namespace

class PruebasDialogos : public QObject {
    Q_OBJECT

private slots:
    // ---- exercise chooser
    void elegidorListaTodoElCatalogo();
    void elegidorLeePosiciones();
    void elegidorPosicionElegida();
    void elegidorTicksFijos();
    void elegidorBotones();
    // ---- progress graph
    void graficoVentana();
    void graficoDisposicion();
    void graficoPaso();
    void graficoSinIntentos();
    void graficoBarras();
    void graficoEnterYEscCierran();
    // ---- settings, unit chooser, about
    void grupoRadioIndice();
    void configuracionControles();
    void eligeUnidadSoloConEjercicios();
    void sobreProgramaTexto();
    void sobreProgramaEnterYEscCierran();
};

void PruebasDialogos::elegidorListaTodoElCatalogo() {
    static practica::Realizados hechos{};
    TfrmLecciones dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Lecciones"));
    QVERIFY(TamanoFijo(dlg, 470, 371));
    QVERIFY(SoloCierre(dlg));
    QCOMPARE(dlg.chkTemas->selectionMode(), QAbstractItemView::SingleSelection);

    dlg.Llenar(hechos);
    dlg.Llenar(hechos);  // a second fill replaces the first
    const std::vector<catalogo::Posicion> todas = TodasLasPosiciones();
    QCOMPARE(dlg.chkTemas->count(), int(todas.size()));
    QCOMPARE(dlg.chkTemas->item(0)->text(),
             QStringLiteral("Unidad Nº 1. Lección Nº 1. Ejercicio Nº 1. Mano izquierda, primera línea de letras."));
    // Every item names its own exercise, in catalogue order, two-digit numbers included.
    for (int i = 0; i < dlg.chkTemas->count(); ++i) {
        const catalogo::Posicion leida = TfrmLecciones::LeerPosicion(dlg.chkTemas->item(i)->text());
        QVERIFY2(leida == todas[size_t(i)], qPrintable(dlg.chkTemas->item(i)->text()));
        QCOMPARE(dlg.chkTemas->item(i)->checkState(), Qt::Unchecked);
    }
    // The whole shipped catalogue; unit 6 lesson 4 and unit 7 hold nothing.
    QCOMPARE(dlg.chkTemas->count(), 511);
    for (int i = 0; i < dlg.chkTemas->count(); ++i) {
        const QString t = dlg.chkTemas->item(i)->text();
        QVERIFY2(!t.startsWith(QStringLiteral("Unidad Nº 6. Lección Nº 4.")) && !t.startsWith(QStringLiteral("Unidad Nº 7.")),
                 qPrintable(t));
    }
    QCOMPARE(dlg.chkTemas->sizeHintForRow(0), 13);
    // The ampersand of a title is shown as it is.
    bool hallado = false;
    for (int i = 0; i < dlg.chkTemas->count(); ++i)
        if (dlg.chkTemas->item(i)->text() == QStringLiteral("Unidad Nº 3. Lección Nº 1. Ejercicio Nº 14. El carácter \"&\"."))
            hallado = true;
    QVERIFY(hallado);

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.chkTemas->selectedItems().isEmpty());
    QCOMPARE(dlg.chkTemas->verticalScrollBar()->value(), 0);
    QCOMPARE(QApplication::focusWidget() == nullptr || QApplication::focusWidget() == dlg.chkTemas, true);
}

void PruebasDialogos::elegidorLeePosiciones() {
    CompararPosicion(TfrmLecciones::LeerPosicion(
                         QStringLiteral("Unidad Nº 1. Lección Nº 10. Ejercicio Nº 12. Palabras con letras duplicadas (II).")),
                     1, 10, 12);
    CompararPosicion(TfrmLecciones::LeerPosicion(QStringLiteral("Unidad Nº 7. Lección Nº 3. Ejercicio Nº 9. ")), 7, 3, 9);
    // Nothing read from a text that is not an item's.
    CompararPosicion(TfrmLecciones::LeerPosicion(QStringLiteral("Unidad Nº ")), 0, 0, 0);
    CompararPosicion(TfrmLecciones::LeerPosicion(QStringLiteral("Unidad Nº x. Lección Nº 5")), 0, 5, 0);
}

void PruebasDialogos::elegidorPosicionElegida() {
    static practica::Realizados hechos{};
    TfrmLecciones dlg;
    dlg.Llenar(hechos);
    CompararPosicion(dlg.PosicionElegida(), 1, 1, 1);
    const int ultimo = dlg.chkTemas->count() - 1;
    dlg.chkTemas->item(ultimo)->setSelected(true);
    QVERIFY(dlg.PosicionElegida() == TodasLasPosiciones().back());

    TfrmLecciones vacio;  // never filled
    CompararPosicion(vacio.PosicionElegida(), 1, 1, 1);
}

void PruebasDialogos::elegidorTicksFijos() {
    static practica::Realizados hechos{};
    std::memset(hechos, 0, sizeof hechos);
    hechos[0][0][0] = 1;  // the first exercise is done, the second is not
    TfrmLecciones dlg;
    dlg.Llenar(hechos);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QListWidget* lista = dlg.chkTemas;
    QCOMPARE(lista->item(0)->checkState(), Qt::Checked);
    QCOMPARE(lista->item(1)->checkState(), Qt::Unchecked);

    QSignalSpy cambios(lista, &QListWidget::itemChanged);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, CentroCasilla(lista, lista->item(1)));
    QVERIFY2(cambios.count() > 0, "the click reached the tick box");
    QCOMPARE(lista->item(1)->checkState(), Qt::Unchecked);
    QVERIFY(lista->item(1)->isSelected());  // selecting by mouse still works

    cambios.clear();
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, CentroCasilla(lista, lista->item(0)));
    QVERIFY(cambios.count() > 0);
    QCOMPARE(lista->item(0)->checkState(), Qt::Checked);

    cambios.clear();
    lista->setFocus();
    lista->setCurrentRow(1);
    QTest::keyClick(lista, Qt::Key_Space);
    QVERIFY2(cambios.count() > 0, "the space bar flipped the tick");
    QCOMPARE(lista->item(1)->checkState(), Qt::Unchecked);
    lista->setCurrentRow(0);
    QTest::keyClick(lista, Qt::Key_Space);
    QCOMPARE(lista->item(0)->checkState(), Qt::Checked);
    for (int i = 2; i < lista->count(); ++i) QCOMPARE(lista->item(i)->checkState(), Qt::Unchecked);

    // Every exercise done: every item ticked.
    std::memset(hechos, 1, sizeof hechos);
    dlg.Llenar(hechos);
    for (int i = 0; i < lista->count(); ++i) QCOMPARE(lista->item(i)->checkState(), Qt::Checked);
}

void PruebasDialogos::elegidorBotones() {
    static practica::Realizados hechos{};
    struct Caso {
        const char* nombre;
        int tecla;
        int resultado;
    };
    for (const Caso& c : {Caso{"Enter", Qt::Key_Return, QDialog::Accepted}, Caso{"Esc", Qt::Key_Escape, QDialog::Rejected}}) {
        TfrmLecciones dlg;
        QCOMPARE(dlg.btnAceptar->text(), QStringLiteral("&Aceptar"));
        QVERIFY(dlg.btnAceptar->isDefault());
        QCOMPARE(dlg.btnCancelar->text(), QStringLiteral("&Cancelar"));
        dlg.Llenar(hechos);
        dlg.setResult(-1);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(dlg.chkTemas, Qt::Key(c.tecla));
        QVERIFY2(dlg.isHidden(), c.nombre);
        QCOMPARE(dlg.result(), c.resultado);
    }
    TfrmLecciones dlg;
    dlg.setResult(-1);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.close();  // the close box
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void PruebasDialogos::graficoVentana() {
    TfrmGrafico g;
    QCOMPARE(g.windowTitle(), QStringLiteral("Gráfico"));
    QCOMPARE(int(g.Margen), 5);
    QCOMPARE(g.size(), QGuiApplication::primaryScreen()->geometry().size());
    QCOMPARE(g.btnOk->text(), QStringLiteral("&Ok"));
    QCOMPARE(g.btnOk->size(), QSize(89, 25));
    QVERIFY(g.btnOk->isDefault());
    QVERIFY(SoloCierre(g));

    // Laid out for the window's own size.
    const QSize s = g.frameGeometry().size();
    g.PrepararGrafico();
    QCOMPARE(g.Imagen.size(), QSize(s.width() - 15, s.height() - 65));
    QCOMPARE(g.btnOk->pos(), QPoint((s.width() - 89) / 2, s.height() - 55));
}

void PruebasDialogos::graficoDisposicion() {
    TfrmGrafico g;
    g.PrepararGrafico(1024, 768);
    QCOMPARE(g.imgGrafico->geometry(), QRect(5, 5, 1009, 703));
    QCOMPARE(g.Imagen.size(), QSize(1009, 703));
    QCOMPARE(g.Imagen.format(), QImage::Format_RGB32);
    QCOMPARE(g.btnOk->pos(), QPoint(467, 713));
    QVERIFY(TodoDeColor(g.Imagen, g.Imagen.rect(), kBlanco));

    // A window too small for a picture gets none, and drawing on it is harmless.
    static practica::Realizados hechos{};
    static Intentos intentos{};
    g.PrepararGrafico(10, 40);
    QVERIFY(g.Imagen.isNull());
    g.Dibujar(1, hechos, intentos);
    QVERIFY(g.Imagen.isNull());
}

void PruebasDialogos::graficoPaso() {
    QCOMPARE(TfrmGrafico::Paso(1009, 128), 7);
    QCOMPARE(TfrmGrafico::Paso(1009, 75), 13);
    QCOMPARE(TfrmGrafico::Paso(1009, 34), 20);  // 29, capped
    QCOMPARE(TfrmGrafico::Paso(1009, 1), 20);
    QCOMPARE(TfrmGrafico::Paso(1009, 49), 20);  // exactly 20 is kept
    QCOMPARE(TfrmGrafico::Paso(1009, 50), 19);

    static practica::Realizados hechos{};
    static Intentos intentos{};
    TfrmGrafico g;
    g.PrepararGrafico(1024, 768);
    g.Dibujar(1, hechos, intentos);
    QCOMPARE(g.N(), 128);
    QCOMPARE(g.Paso(), 7);
    g.PrepararGrafico(1024, 768);
    g.Dibujar(6, hechos, intentos);
    QCOMPARE(g.N(), 34);
    QCOMPARE(g.Paso(), 20);
    // Bars 19 pixels wide with a pixel between them: at count 0 none is drawn, so mark one.
    intentos[5][0][1] = 1;
    g.PrepararGrafico(1024, 768);
    g.Dibujar(6, hechos, intentos);
    QCOMPARE(g.XBarra(1), 27);
    QVERIFY(TodoDeColor(g.Imagen, QRect(27, g.Y1(1), 19, g.Y0() - g.Y1(1)), kRojo));
    QCOMPARE(g.Imagen.pixel(26, g.Y0() - 1), kBlanco);
    QCOMPARE(g.Imagen.pixel(46, g.Y0() - 1), kBlanco);
}

void PruebasDialogos::graficoSinIntentos() {
    static practica::Realizados hechos{};
    static Intentos intentos{};
    std::memset(intentos, 0, sizeof intentos);
    // Other units' counts do not count.
    intentos[1][0][0] = 500;
    TfrmGrafico g;
    g.PrepararGrafico(1024, 768);
    g.Dibujar(1, hechos, intentos);
    const QImage& img = g.Imagen;
    const int W = img.width(), H = img.height(), T = g.T(), B = g.Paso();
    QVERIFY(T > 0);
    QCOMPARE(g.M(), 1);
    QCOMPARE(g.Y0(), H - 2 * T);

    // Every bar empty.
    QVERIFY(!AlgunoDeColor(img, kVerde));
    QVERIFY(!AlgunoDeColor(img, kRojo));
    // Each count, 0, in black right above the axis.
    for (int i : {0, 1, g.N() - 1})
        QCOMPARE(TintaEn(img, QRect(g.XBarra(i), g.Y0() - T, B, T)), Tinta::Negra);
    // Axes: one pixel wide, ends included.
    QCOMPARE(img.pixel(2, g.Y0()), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(W - 2, g.Y0()), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(1, g.Y0()), kBlanco);
    QCOMPARE(img.pixel(W - 1, g.Y0()), kBlanco);
    QVERIFY(TodoDeColor(img, QRect(900, g.Y0() - 1, 100, 1), kBlanco));
    QCOMPARE(img.pixel(5, T), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(5, H - 2), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(5, H - 1), kBlanco);
    QCOMPARE(img.pixel(4, H / 2), kBlanco);
    QCOMPARE(img.pixel(6, H / 2), kBlanco);
    // The captions.
    const QFontMetrics fm(QFont(), &g.Imagen);
    QCOMPARE(TintaEn(img, QRect(0, 0, fm.horizontalAdvance(QStringLiteral("Intentos")), T)), Tinta::Negra);
    const int ancho = fm.horizontalAdvance(QStringLiteral("Lecciones"));
    QCOMPARE(TintaEn(img, QRect(W - ancho, H - T + 1, ancho, T - 1)), Tinta::Negra);
    // Lesson numbers under the axis, where each lesson's first exercise stands.
    int i = 0;
    for (int l = 1; l <= 12; ++l) {
        for (int e = 1; e <= 15; ++e) {
            if (!catalogo::Existe(1, l, e)) continue;
            if (e == 1) QCOMPARE(TintaEn(img, QRect(g.XBarra(i), g.Y0() + 1, B, T)), Tinta::Negra);
            ++i;
        }
    }
    // White where nothing is drawn.
    QVERIFY(TodoDeColor(img, QRect(g.XBarra(g.N()) + 20, 3 * T, 50, g.Y0() - 4 * T), kBlanco));
    QVERIFY(TodoDeColor(img, QRect(6, 2 * T, g.XBarra(g.N()) - 6, g.Y0() - 3 * T - 2), kBlanco));
}

void PruebasDialogos::graficoBarras() {
    static practica::Realizados hechos{};
    static Intentos intentos{};
    std::memset(hechos, 0, sizeof hechos);
    std::memset(intentos, 0, sizeof intentos);
    intentos[0][0][0] = 200;  // the unit's maximum, not done: a full red bar
    hechos[0][0][1] = 1;      // done at the first attempt: 1 of 200 is 0 %, an empty bar
    intentos[0][0][1] = 1;
    hechos[0][0][2] = 1;  // done, half the maximum: a green bar
    intentos[0][0][2] = 100;
    intentos[0][0][3] = 3;  // 1 %, not done: a red bar
    TfrmGrafico g;
    g.PrepararGrafico(1024, 768);
    g.Dibujar(1, hechos, intentos);
    const QImage& img = g.Imagen;
    const int H = img.height(), T = g.T(), B = g.Paso(), Y0 = g.Y0();
    QCOMPARE(g.M(), 200);

    // The tallest bar reaches row 2T, H - 4T pixels tall, one pixel narrower than the pitch.
    const int X0 = g.XBarra(0);
    QCOMPARE(g.Y1(200), 2 * T);
    QVERIFY(TodoDeColor(img, QRect(X0, 2 * T, B - 1, H - 4 * T), kRojo));
    QCOMPARE(img.pixel(X0, 2 * T - 1), kBlanco);
    QVERIFY(TodoDeColor(img, QRect(X0 + B - 1, 2 * T, 1, Y0 - 2 * T - T), kBlanco));
    QCOMPARE(TintaEn(img, QRect(X0, T, B, T)), Tinta::Roja);

    // Empty bar, its count in green on the axis.
    const int X1 = g.XBarra(1);
    QCOMPARE(g.Y1(1), Y0);
    QVERIFY(TodoDeColor(img, QRect(X1, 2 * T, B - 1, Y0 - 3 * T), kBlanco));
    QCOMPARE(TintaEn(img, QRect(X1, Y0 - T, B, T)), Tinta::Verde);

    // Half height, in green, standing on the axis.
    const int X2 = g.XBarra(2), y2 = g.Y1(100);
    QCOMPARE(y2, Y0 - ((H - 4 * T) * 50) / 100);
    QVERIFY(TodoDeColor(img, QRect(X2, y2, B - 1, Y0 - y2), kVerde));
    QCOMPARE(img.pixel(X2, y2 - 1), kBlanco);
    QCOMPARE(img.pixel(X2, Y0), qRgb(0, 0, 0));
    QVERIFY(TodoDeColor(img, QRect(X2, 2 * T, B - 1, y2 - T - 2 * T), kBlanco));

    // 3 of 200 is 1 %: a short red bar with its count in red above it.
    const int X3 = g.XBarra(3), y3 = g.Y1(3);
    QCOMPARE(y3, Y0 - (H - 4 * T) / 100);
    QVERIFY(y3 < Y0);
    QVERIFY(TodoDeColor(img, QRect(X3, y3, B - 1, Y0 - y3), kRojo));
    QCOMPARE(TintaEn(img, QRect(X3 + 1, y3 - T, B - 2, T)), Tinta::Roja);
}

void PruebasDialogos::graficoEnterYEscCierran() {
    for (int tecla : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        TfrmGrafico g;
        g.PrepararGrafico();
        QSignalSpy pulsado(g.btnOk, &QPushButton::clicked);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.btnOk->setFocus();
        QTest::keyClick(g.btnOk, Qt::Key(tecla));
        QCOMPARE(pulsado.count(), 1);
        QVERIFY(g.isHidden());
    }
}

void PruebasDialogos::grupoRadioIndice() {
    GrupoRadio g(QStringLiteral("Título"));
    QCOMPARE(g.title(), QStringLiteral("Título"));
    QCOMPARE(g.ItemIndex(), -1);
    g.PonerItemIndex(0);  // nothing to choose from yet
    QCOMPARE(g.ItemIndex(), -1);
    g.AgregarItem(QStringLiteral("a"));
    g.AgregarItem(QStringLiteral("b"));
    g.AgregarItem(QStringLiteral("c"));
    QCOMPARE(g.Cuenta(), 3);
    QCOMPARE(g.ItemIndex(), -1);
    QCOMPARE(g.Item(1)->text(), QStringLiteral("b"));
    QCOMPARE(g.Item(3), nullptr);
    QCOMPARE(g.Item(-1), nullptr);

    g.PonerItemIndex(2);
    QCOMPARE(g.ItemIndex(), 2);
    g.PonerItemIndex(1);
    QCOMPARE(g.ItemIndex(), 1);
    QVERIFY(!g.Item(2)->isChecked());
    g.PonerItemIndex(-1);
    QCOMPARE(g.ItemIndex(), -1);
    for (int i = 0; i < 3; ++i) QVERIFY(!g.Item(i)->isChecked());
    g.PonerItemIndex(7);  // a stored value out of range
    QCOMPARE(g.ItemIndex(), 2);
    g.PonerItemIndex(-5);
    QCOMPARE(g.ItemIndex(), -1);

    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QTest::mouseClick(g.Item(0), Qt::LeftButton, {}, Indicador(g.Item(0)));
    QCOMPARE(g.ItemIndex(), 0);
    QTest::mouseClick(g.Item(1), Qt::LeftButton, {}, Indicador(g.Item(1)));
    QCOMPARE(g.ItemIndex(), 1);
    QVERIFY(!g.Item(0)->isChecked());
}

void PruebasDialogos::configuracionControles() {
    TfrmConfiguracion dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Configuración"));
    QVERIFY(TamanoFijo(dlg, 406, 297));
    QVERIFY(SoloCierre(dlg));
    QCOMPARE(dlg.btnOK->text(), QStringLiteral("&Ok"));
    QVERIFY(dlg.btnOK->isDefault());
    QCOMPARE(dlg.btnCancelar->text(), QStringLiteral("&Cancelar"));
    QCOMPARE(dlg.tabConfig->count(), 3);  // the aids while typing are the third page
    QCOMPARE(dlg.tabConfig->tabText(0), QStringLiteral("&Pantalla"));
    QCOMPARE(dlg.tabConfig->tabText(1), QStringLiteral("&Sonidos"));
    QCOMPARE(dlg.tabConfig->tabText(2), QStringLiteral("&Ayudas"));

    struct Grupo {
        GrupoRadio* g;
        const char* titulo;
        QStringList items;
    };
    for (const Grupo& c : {Grupo{dlg.radioManos, "Ver manos",
                                 {QStringLiteral("No"), QStringLiteral("Si (sin pintar)"), QStringLiteral("Si (pintadas)")}},
                           Grupo{dlg.radioTeclado, "Pintar teclado",
                                 {QStringLiteral("No"), QStringLiteral("Si")}}}) {
        QCOMPARE(c.g->parentWidget(), dlg.tabConfig->widget(0));
        QCOMPARE(c.g->title(), QString::fromUtf8(c.titulo));
        QCOMPARE(c.g->Cuenta(), int(c.items.size()));
        for (int i = 0; i < c.g->Cuenta(); ++i) QCOMPARE(c.g->Item(i)->text(), c.items[i]);
    }
    QCOMPARE(dlg.chkSonidoTecla->parentWidget(), dlg.tabConfig->widget(1));
    QCOMPARE(dlg.chkSonidoTecla->text(), QStringLiteral("Al teclear"));
    QCOMPARE(dlg.chkSonidoLeccion->parentWidget(), dlg.tabConfig->widget(1));
    QCOMPARE(dlg.chkSonidoLeccion->text(), QStringLiteral("Al terminar una lección"));
    for (QWidget* c : std::initializer_list<QWidget*>{dlg.chkSiguienteTecla, dlg.cmbEsperaSiguienteTecla,
                                                      dlg.chkMarcarErrores, dlg.chkVelocidadYAciertos})
        QCOMPARE(c->parentWidget(), dlg.tabConfig->widget(2));
    QCOMPARE(dlg.chkSiguienteTecla->text(), QStringLiteral("Indicar la siguiente tecla"));
    QCOMPARE(dlg.chkMarcarErrores->text(), QStringLiteral("Marcar los errores al escribir"));
    QCOMPARE(dlg.chkVelocidadYAciertos->text(), QStringLiteral("Mostrar velocidad y aciertos"));
    QStringList esperas;
    for (int i = 0; i < dlg.cmbEsperaSiguienteTecla->count(); ++i) esperas << dlg.cmbEsperaSiguienteTecla->itemText(i);
    QCOMPARE(esperas, (QStringList{"No", "0,5 s", "1 s", "2 s"}));
    for (int ms : {0, 500, 1000, 2000}) {
        dlg.PonerEsperaSiguienteTecla(ms);
        QCOMPARE(dlg.EsperaSiguienteTecla(), ms);
    }
    dlg.PonerEsperaSiguienteTecla(0);

    // What the main window copies in comes back out.
    dlg.radioManos->PonerItemIndex(2);
    dlg.radioTeclado->PonerItemIndex(1);
    dlg.chkSonidoLeccion->setChecked(true);
    dlg.tabConfig->setCurrentIndex(1);
    dlg.setResult(-1);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.tabConfig->currentIndex(), 1);
    QCOMPARE(dlg.radioManos->ItemIndex(), 2);
    QCOMPARE(dlg.radioTeclado->ItemIndex(), 1);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isHidden());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void PruebasDialogos::eligeUnidadSoloConEjercicios() {
    QList<int> conEjercicios;
    for (int n = 1; n <= 7; ++n)
        if (catalogo::EjerciciosDeUnidad(n) > 0) conEjercicios.append(n);
    QCOMPARE(conEjercicios, QList<int>({1, 2, 3, 4, 5, 6}));

    TfrmEligeUnidad dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Gráficos"));
    QVERIFY(TamanoFijo(dlg, 363, 167));
    QVERIFY(SoloCierre(dlg));
    QCOMPARE(dlg.radioUnidades->title(), QStringLiteral("&Elige una unidad"));
    QCOMPARE(dlg.btnOk->text(), QStringLiteral("&Ok"));
    QVERIFY(dlg.btnOk->isDefault());
    QCOMPARE(dlg.brnCancelar->text(), QStringLiteral("&Cancelar"));

    dlg.Llenar(2);
    QCOMPARE(dlg.radioUnidades->Cuenta(), int(conEjercicios.size()));
    for (int i = 0; i < conEjercicios.size(); ++i)
        QCOMPARE(dlg.radioUnidades->Item(i)->text(), QStringLiteral("Unidad Nº &") + QString::number(conEjercicios[i]));
    QCOMPARE(dlg.radioUnidades->ItemIndex(), 1);
    QCOMPARE(dlg.UnidadElegida(), 2);

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(dlg.radioUnidades->Item(0), Qt::LeftButton, {}, Indicador(dlg.radioUnidades->Item(0)));
    QCOMPARE(dlg.UnidadElegida(), 1);
    dlg.radioUnidades->PonerItemIndex(int(conEjercicios.size()) - 1);
    QCOMPARE(dlg.UnidadElegida(), conEjercicios.back());
    dlg.radioUnidades->PonerItemIndex(-1);
    QCOMPARE(dlg.UnidadElegida(), 0);

    for (int actual : conEjercicios) {
        TfrmEligeUnidad otro;
        otro.Llenar(actual);
        QCOMPARE(otro.UnidadElegida(), actual);
    }
}

void PruebasDialogos::sobreProgramaTexto() {
    TfrmSobreElPrograma dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Sobre el programa..."));
    QVERIFY(TamanoFijo(dlg, 367, 239));
    QVERIFY(SoloCierre(dlg));
    QCOMPARE(dlg.Memo->toPlainText(),
             QStringLiteral("   Con este programa usted podrá aprender a escribir a máquina de manera rápida. Pero para "
                            "ello deberá realizar todos los ejercicios de manera correcta. No trate de ir deprisa, sino "
                            "de hacerlo bien. La velocidad se adquiera después, con mucha práctica.\n"));
    QCOMPARE(dlg.Memo->blockCount(), 2);
    QVERIFY(dlg.Memo->isReadOnly());
    QCOMPARE(dlg.Memo->frameShape(), QFrame::NoFrame);
    QCOMPARE(dlg.Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!(dlg.Memo->focusPolicy() & Qt::TabFocus));
    QCOMPARE(dlg.Memo->palette().color(QPalette::Base), dlg.palette().color(QPalette::Window));
    QCOMPARE(dlg.btnOk->text(), QStringLiteral("OK"));
    QVERIFY(!dlg.btnOk->icon().isNull());
}

void PruebasDialogos::sobreProgramaEnterYEscCierran() {
    struct Caso {
        int tecla;
        bool desdeMemo;
    };
    for (const Caso& c : {Caso{Qt::Key_Return, false}, Caso{Qt::Key_Escape, false}, Caso{Qt::Key_Return, true},
                          Caso{Qt::Key_Escape, true}}) {
        TfrmSobreElPrograma dlg;
        dlg.setResult(-1);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QWidget* destino = c.desdeMemo ? static_cast<QWidget*>(dlg.Memo) : dlg.btnOk;
        destino->setFocus();
        QTest::keyClick(destino, Qt::Key(c.tecla));
        QVERIFY(dlg.isHidden());
        // Esc gives the OK result too: the one button answers both keys.
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
}

QTEST_MAIN(PruebasDialogos)
#include "test_dialogos.moc"
