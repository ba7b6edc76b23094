#include "Grafico.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

const QColor kVerde(0, 128, 0);
const QColor kRojo(255, 0, 0);

// Text with its top-left corner at (x, y), on the painter's white background.
void Escribir(QPainter& p, int x, int y, const QString& texto, const QColor& color) {
    p.setPen(color);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), texto);
}

}  // namespace

ImagenGrafico::ImagenGrafico(const QImage& imagen, QWidget* padre) : QWidget(padre), imagen_(imagen) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImagenGrafico::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!imagen_.isNull()) p.drawImage(0, 0, imagen_);
}

TfrmGrafico::TfrmGrafico(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Gráfico"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));

    imgGrafico = new ImagenGrafico(Imagen, this);
    imgGrafico->setObjectName(QStringLiteral("imgGrafico"));
    imgGrafico->setAccessibleName(QStringLiteral("Gráfico de intentos"));

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setFixedSize(89, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TfrmGrafico::btnOkClick);

    Margen = 5;
    if (const QScreen* pantalla = QGuiApplication::primaryScreen()) resize(pantalla->geometry().size());
}

void TfrmGrafico::PrepararGrafico() {
    const QRect marco = frameGeometry();
    PrepararGrafico(marco.width(), marco.height());
}

void TfrmGrafico::PrepararGrafico(int FW, int FH) {
    const int BW = btnOk->width(), BH = btnOk->height();
    const int ancho = FW - 3 * Margen;
    const int alto = FH - 3 * Margen - 2 * BH;
    btnOk->move((FW - BW) / 2, FH - 2 * BH - Margen);
    if (ancho > 0 && alto > 0) {
        imgGrafico->setGeometry(Margen, Margen, ancho, alto);
        Imagen = QImage(ancho, alto, QImage::Format_RGB32);
        Imagen.fill(Qt::white);
    } else {
        // A window too small for any picture.
        imgGrafico->setGeometry(Margen, Margen, 0, 0);
        Imagen = QImage();
    }
    imgGrafico->update();
}

int TfrmGrafico::Paso(int W, int N, int margen) {
    if (N < 1) N = 1;
    return std::min((W - 2 * margen) / N, 20);
}

int TfrmGrafico::Y1(unsigned intentos) const {
    const int P = static_cast<int>(intentos * 100u / static_cast<unsigned>(m_));
    return y0_ - ((Imagen.height() - 4 * t_) * P) / 100;
}

void TfrmGrafico::Dibujar(int unidad, const practica::Realizados& hechos, const std::uint16_t intentos[7][12][15]) {
    if (Imagen.isNull() || unidad < 1 || unidad > catalogo::NumUnidades) return;
    const int u = unidad - 1;
    const int W = Imagen.width(), H = Imagen.height();

    QPainter p(&Imagen);
    p.setFont(QFont());
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    const QFontMetrics fm = p.fontMetrics();
    t_ = fm.height();
    const int T = t_;

    // Every slot counts towards the maximum, whether its exercise exists or not.
    m_ = 1;
    for (int l = 0; l < catalogo::NumLecciones; ++l)
        for (int e = 0; e < catalogo::NumEjercicios; ++e) m_ = std::max<int>(m_, intentos[u][l][e]);
    n_ = std::max(catalogo::EjerciciosDeUnidad(unidad), 1);
    paso_ = Paso(W, n_, Margen);
    const int B = paso_;

    Escribir(p, 0, 0, QStringLiteral("Intentos"), Qt::black);
    const QString lecciones = QStringLiteral("Lecciones");
    Escribir(p, W - fm.horizontalAdvance(lecciones), H - T + 1, lecciones, Qt::black);

    // One-pixel axes, both ends included.
    p.fillRect(QRect(QPoint(Margen, T), QPoint(Margen, H - 2)), Qt::black);
    y0_ = H - 2 * T;
    p.fillRect(QRect(QPoint(2, y0_), QPoint(W - 2, y0_)), Qt::black);

    QStringList lectura;  // what the bars say, for a screen reader
    int i = 0;
    for (int l = 1; l <= catalogo::NumLecciones; ++l) {
        for (int e = 1; e <= catalogo::NumEjercicios; ++e) {
            if (!catalogo::Existe(unidad, l, e)) continue;
            const int X = Margen + 2 + i * B;
            if (e == 1) Escribir(p, X, H - 2 * T + 1, QString::number(l), Qt::black);

            const unsigned cuenta = intentos[u][l - 1][e - 1];
            const QColor relleno = hechos[u][l - 1][e - 1] != 0 ? kVerde : kRojo;
            const QColor texto = cuenta > 0 ? relleno : QColor(Qt::black);
            const int y1 = Y1(cuenta);
            if (B > 1 && y1 < y0_) p.fillRect(QRect(X, y1, B - 1, y0_ - y1), relleno);
            Escribir(p, X, y1 - T, QString::number(cuenta), texto);
            lectura << QStringLiteral("Lección %1, ejercicio %2: %3 intentos, %4")
                           .arg(l)
                           .arg(e)
                           .arg(cuenta)
                           .arg(hechos[u][l - 1][e - 1] != 0 ? QStringLiteral("realizado") : QStringLiteral("sin realizar"));
            ++i;
        }
    }
    imgGrafico->setAccessibleDescription(lectura.join(QStringLiteral("; ")));
    imgGrafico->update();
}

void TfrmGrafico::btnOkClick() { close(); }

void TfrmGrafico::keyPressEvent(QKeyEvent* e) {
    // Esc presses the button as Enter does, rather than rejecting behind its back.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        btnOk->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
