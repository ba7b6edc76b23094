#include "Piezas.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>

#include "platform/Jpeg.h"
#include "platform/Plataforma.h"
#include "platform/Rutas.h"

namespace piezas {

QLabel* EtiquetaTexto(QWidget* padre, const char* nombre) {
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
    l->hide();
    return l;
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
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::black);
    l->setPalette(p);
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

QPixmap CargarManos(const char* recurso) {
    QFile f(QString::fromLatin1(recurso));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QPixmap::fromImage(DecodificarJpeg(f.readAll()));
}

void MostrarManos(int verManos, QLabel* manos, QLabel* pintadas, bool decodificadas[2]) {
    auto mostrar = [](QLabel* img, const char* recurso, bool& decodificada) {
        if (!decodificada) {
            img->setPixmap(CargarManos(recurso));
            decodificada = true;
        }
        img->show();
    };
    switch (verManos) {
    case 0: manos->hide(); pintadas->hide(); break;
    case 1: mostrar(manos, ":/imagenes/manos.jpg", decodificadas[0]); pintadas->hide(); break;
    case 2: manos->hide(); mostrar(pintadas, ":/imagenes/manos_pintadas.jpg", decodificadas[1]); break;
    default: break;
    }
}

void SonidoResultado(bool activo, bool correcto) {
    if (!activo) return;
    const QString ruta = rutas::CarpetaPrograma() + (correcto ? QStringLiteral("/bien.wav") : QStringLiteral("/mal.wav"));
    if (!QFileInfo::exists(ruta) || !LaPlataforma().ReproducirSonido(ruta)) LaPlataforma().Pitido();
}

}  // namespace piezas
