#include "Piezas.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>

#include "keyboard/PanelTeclado.h"
#include "platform/Jpeg.h"
#include "platform/Plataforma.h"
#include "platform/Rutas.h"

namespace piezas {

QLabel* EtiquetaTexto(QWidget* padre, const char* nombre, const QString& nombreAccesible) {
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(13);
    auto* l = new QLabel(padre);
    l->setObjectName(QString::fromLatin1(nombre));
    l->setFont(mono);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setAttribute(Qt::WA_TranslucentBackground);
    // A fixed name, so that a new text is a change of value rather than of name.
    l->setAccessibleName(nombreAccesible);
    l->hide();
    return l;
}

void FondoTextos(const QPalette& pal, QLabel* origen, QLabel* escrito) {
    // The texts lie over the hands picture, which is light: on a dark desktop their light ink
    // would vanish there, so they get a veil of the window's colour that the hands show through.
    const bool oscuro = pal.color(QPalette::WindowText).lightnessF() > pal.color(QPalette::Window).lightnessF();
    for (QLabel* l : {origen, escrito}) {
        if (oscuro) {
            QPalette p = l->palette();
            QColor velo = pal.color(QPalette::Window);
            velo.setAlpha(215);
            p.setColor(QPalette::Window, velo);
            l->setPalette(p);
        }
        // Transparent as a rule; the veil needs a background of its own.
        l->setAttribute(Qt::WA_TranslucentBackground, !oscuro);
        if (oscuro) l->setAttribute(Qt::WA_NoSystemBackground, false);
        l->setAutoFillBackground(oscuro);
    }
}

Panel* Cabecera(QWidget* padre, const char* nombre, Panel** reloj) {
    auto* cabecera = new Panel(padre);
    cabecera->setObjectName(QString::fromLatin1(nombre));
    cabecera->setGeometry(8, 4, 775, 22);
    *reloj = new Panel(cabecera);
    (*reloj)->setObjectName(QStringLiteral("lblReloj"));
    (*reloj)->setGeometry(2, 2, 50, 18);
    (*reloj)->PonerBiselExterior(Panel::Bisel::Ninguno);
    (*reloj)->PonerBiselInterior(Panel::Bisel::Hundido);
    (*reloj)->hide();
    return cabecera;
}

void ColocarTextos(QLabel* origen, QLabel* escrito, bool tecladoOculto) {
    if (tecladoOculto) {
        origen->setGeometry(8, 30, 775, 260);
        escrito->setGeometry(8, 290, 775, 260);
    } else {
        origen->setGeometry(8, 280, 775, 130);
        escrito->setGeometry(8, 416, 775, 130);
    }
}

int AlturaLinea(bool tecladoOculto) { return tecladoOculto ? 285 : 412; }

QLabel* Linea(QWidget* padre) {
    auto* l = new QLabel(padre);
    l->setObjectName(QStringLiteral("lblLinea"));
    l->setGeometry(3, AlturaLinea(false), 785, 2);
    // Drawn in the text colour: black on the usual grey, light on a dark desktop.
    l->setBackgroundRole(QPalette::WindowText);
    l->setAutoFillBackground(true);
    l->hide();
    return l;
}

QLabel* Manos(QWidget* padre, const char* nombre) {
    auto* img = new QLabel(padre);
    img->setObjectName(QString::fromLatin1(nombre));
    img->setGeometry(24, 268, 449, 281);
    img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    img->hide();
    return img;
}

// The picture for a screen of the given device pixel ratio: the one of twice the size on a
// high-density screen, brought to the screen's exact size where the ratio is not 2, so that it is
// drawn pixel for pixel.
QPixmap CargarManos(const char* nombre, qreal ratio) {
    const bool doble = ratio > 1;
    QFile f(QStringLiteral(":/imagenes/") + QLatin1String(nombre) + (doble ? QStringLiteral("@2x.jpg") : QStringLiteral(".jpg")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QImage imagen = DecodificarJpeg(f.readAll());
    if (!doble || imagen.isNull()) return QPixmap::fromImage(imagen);
    const QSize logico = imagen.size() / 2;
    if (ratio != 2)
        imagen = imagen.scaled(qRound(logico.width() * ratio), qRound(logico.height() * ratio), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    QPixmap pm = QPixmap::fromImage(imagen);
    pm.setDevicePixelRatio(ratio);
    return pm;
}

void MostrarManos(int verManos, QLabel* manos, QLabel* pintadas, bool decodificadas[2]) {
    auto mostrar = [](QLabel* img, const char* nombre, bool& decodificada) {
        if (!decodificada) {
            img->setPixmap(CargarManos(nombre, img->devicePixelRatioF()));
            decodificada = true;
        }
        img->show();
    };
    switch (verManos) {
    case 0: manos->hide(); pintadas->hide(); break;
    case 1: mostrar(manos, "manos", decodificadas[0]); pintadas->hide(); break;
    case 2: manos->hide(); mostrar(pintadas, "manos_pintadas", decodificadas[1]); break;
    default: break;
    }
}

void SonidoResultado(bool activo, bool correcto) {
    if (!activo) return;
    const QString ruta = rutas::CarpetaPrograma() + (correcto ? QStringLiteral("/bien.wav") : QStringLiteral("/mal.wav"));
    if (!QFileInfo::exists(ruta) || !LaPlataforma().ReproducirSonido(ruta)) LaPlataforma().Pitido();
}

}  // namespace piezas
