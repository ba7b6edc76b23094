#include "AyudasEscritura.h"

#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLine>
#include <QTimer>
#include <cmath>

#include "guia/Guia.h"
#include "keyboard/PanelTeclado.h"
#include "platform/Texto.h"
#include "practica/EnVivo.h"
#include "practica/Practica.h"

namespace {

const QColor kRojo(210, 0, 0), kFondoRojo(255, 205, 205);

QTextLayout::FormatRange Formato(int inicio, int largo, bool error) {
    QTextLayout::FormatRange f;
    f.start = inicio;
    f.length = largo;
    if (error) {
        f.format.setForeground(kRojo);
        f.format.setBackground(kFondoRojo);
    } else {
        f.format.setFontUnderline(true);
    }
    return f;
}

}  // namespace

AyudasEscritura::AyudasEscritura(PanelTeclado* teclado, QLabel* origen, QLabel* escrito, Panel* cabecera,
                                 const teclado::TraductorTeclas* traductor, QObject* padre)
    : QObject(padre), teclado_(teclado), origen_(origen), escrito_(escrito), cabecera_(cabecera), traductor_(traductor) {
    espera_ = new QTimer(this);
    espera_->setSingleShot(true);
    connect(espera_, &QTimer::timeout, this, &AyudasEscritura::MostrarSiguiente);
    segundo_ = new QTimer(this);
    connect(segundo_, &QTimer::timeout, this, &AyudasEscritura::ActualizarCifras);
}

AyudasEscritura::~AyudasEscritura() { Terminar(); }

void AyudasEscritura::PonerAjustes(const AjustesAyudas& a) {
    // Settings change between runs; one under way ends with the old ones and the next takes these.
    ajustes_ = a;
}

void AyudasEscritura::Empezar(std::string_view texto, bool conTeclado) {
    Terminar();
    if (!ajustes_.Alguna()) return;
    enMarcha_ = true;
    conTeclado_ = conTeclado;
    texto_.assign(texto);
    copia_.clear();
    if (ajustes_.MarcarErrores) {
        // The text to copy as the label shows it, with the place of each character in it.
        origenMostrado_ = DeCp1252(practica::TextoAMostrar(texto_));
        posOrigen_.resize(texto_.size());
        int p = 0;
        for (std::size_t i = 0; i < texto_.size(); ++i) {
            posOrigen_[i] = p;
            p += texto_[i] == '\r' ? 2 : 1;
        }
        subrayado_ = texto_.empty() ? -1 : posOrigen_[0];
        if (origen_) Disponer(origen_, origenMostrado_, capaOrigen_);
        escritoMostrado_.clear();
        errores_.clear();
        FiltrarEtiquetas(true);
    }
    if (ajustes_.VelocidadYAciertos && cabecera_) {
        if (!cifras_) {
            cifras_ = new Panel(cabecera_);
            cifras_->setObjectName(QStringLiteral("lblVelocidadYAciertos"));
            // At the right end of the heading line, the twin of the clock at its left end.
            cifras_->setGeometry(cabecera_->width() - 2 - 104, 2, 104, 18);
            cifras_->PonerBiselExterior(Panel::Bisel::Ninguno);
            cifras_->PonerBiselInterior(Panel::Bisel::Hundido);
            // It fills its whole face: the heading beneath need not paint again at each key.
            cifras_->setAttribute(Qt::WA_OpaquePaintEvent, true);
        }
        cronometro_.start();
        segundo_->start(1000);
        ActualizarCifras();
        cifras_->show();
    }
    if (ajustes_.SiguienteTecla && conTeclado_) {
        if (ajustes_.EsperaSiguienteTecla > 0) espera_->start(ajustes_.EsperaSiguienteTecla);
        else MostrarSiguiente();
    }
}

void AyudasEscritura::Tecla(std::string_view escrito) {
    if (!enMarcha_) return;
    // Shift, a dead key and the like leave the copy as it was: its marks stand.
    const bool cambio = copia_ != escrito;
    copia_.assign(escrito);
    if (ajustes_.MarcarErrores && cambio) {
        // The copy as typed; a line break where none is due shows as a red "«" before the break.
        escritoMostrado_.clear();
        errores_.clear();
        QString& s = escritoMostrado_;
        s.reserve(static_cast<qsizetype>(copia_.size()) + 8);
        std::size_t hecho = 0;
        for (const practica::Tramo& t : practica::Errores(copia_, texto_)) {
            s += DeCp1252(std::string_view(copia_).substr(hecho, t.inicio - hecho));
            const int inicio = static_cast<int>(s.size());
            for (std::size_t i = t.inicio; i < t.fin; ++i) {
                if (copia_[i] == '\r') s += QChar(0xAB);
                s += DeCp1252(std::string_view(copia_).substr(i, 1));
            }
            errores_.append(Formato(inicio, static_cast<int>(s.size()) - inicio, true));
            hecho = t.fin;
        }
        s += DeCp1252(std::string_view(copia_).substr(hecho));
        if (escrito_) escrito_->update();
        const int siguiente = copia_.size() < texto_.size() ? posOrigen_[copia_.size()] : -1;
        if (siguiente != subrayado_ && origen_) {
            // Only the two characters whose underline changes are painted again.
            origen_->update(ZonaDe(subrayado_));
            origen_->update(ZonaDe(siguiente));
        }
        subrayado_ = siguiente;
    }
    if (cifras_ && ajustes_.VelocidadYAciertos) ActualizarCifras();
    if (ajustes_.SiguienteTecla && conTeclado_) {
        // Every key hides the mark and starts the wait again.
        QuitarMarcas();
        if (ajustes_.EsperaSiguienteTecla > 0) espera_->start(ajustes_.EsperaSiguienteTecla);
        else MostrarSiguiente();
    }
}

void AyudasEscritura::Terminar() {
    espera_->stop();
    segundo_->stop();
    QuitarMarcas();
    if (cifras_) cifras_->hide();
    FiltrarEtiquetas(false);
    enMarcha_ = false;
}

void AyudasEscritura::MostrarSiguiente() {
    QuitarMarcas();
    if (!enMarcha_ || !teclado_ || !traductor_) return;
    const guia::Secuencia s = guia::Siguiente(*traductor_, copia_, texto_);
    if (s.Vacia()) return;
    const guia::Teclas t = guia::TeclasDe(*s.begin());
    int n = 0;
    for (const char* nombre : {t.tecla, t.modificador})
        if (nombre)
            if (Panel* p = teclado_->Tecla(nombre)) {
                p->PonerMarca(true);
                marcadas_[n++] = p;
            }
    emit SiguienteIndicada(s);
}

void AyudasEscritura::QuitarMarcas() {
    for (Panel*& p : marcadas_) {
        if (p && teclado_) p->PonerMarca(false);
        p = nullptr;
    }
}

void AyudasEscritura::ActualizarCifras() {
    if (!cifras_) return;
    const auto segundos = static_cast<unsigned>(cronometro_.elapsed() / 1000);
    cifras_->PonerTitulo(QString::fromStdString(practica::TextoEnVivo(practica::CalcularEnVivo(copia_, texto_, segundos))));
}

void AyudasEscritura::FiltrarEtiquetas(bool si) {
    if (si == filtrando_) return;
    filtrando_ = si;
    for (QLabel* l : {origen_.data(), escrito_.data()}) {
        if (!l) continue;
        if (si) l->installEventFilter(this);
        else l->removeEventFilter(this);
        l->update();
    }
}

bool AyudasEscritura::eventFilter(QObject* o, QEvent* e) {
    if (e->type() != QEvent::Paint || !filtrando_) return false;
    const QRect zona = static_cast<QPaintEvent*>(e)->rect();
    if (o == origen_) {
        QList<QTextLayout::FormatRange> f;
        if (subrayado_ >= 0) f.append(Formato(subrayado_, 1, false));
        Pintar(origen_, capaOrigen_, f, zona);
        return true;
    }
    if (o == escrito_) {
        QTextLayout capa;
        Disponer(escrito_, escritoMostrado_, capa);
        Pintar(escrito_, capa, errores_, zona);
        return true;
    }
    return false;
}

QRect AyudasEscritura::ZonaDe(int posicion) const {
    if (posicion < 0 || !origen_) return {};
    const QTextLine linea = capaOrigen_.lineForTextPosition(posicion);
    if (!linea.isValid()) return {};
    const qreal x1 = linea.cursorToX(posicion), x2 = linea.cursorToX(posicion + 1);
    const QRectF r(std::min(x1, x2), linea.y(), std::abs(x2 - x1), linea.height());
    // The underline may sit a pixel below the line box.
    return r.translated(origen_->contentsRect().topLeft()).toAlignedRect().adjusted(-1, -1, 1, 3);
}

// Word wrap, lines on whole pixels and the font's leading between them: the label's own plain-text
// layout, so every mark sits on the character the learner sees.
void AyudasEscritura::Disponer(QLabel* l, const QString& texto, QTextLayout& capa) {
    QString s = texto;
    s.replace(QLatin1Char('\n'), QChar::LineSeparator);
    capa.clearLayout();
    capa.setText(s);
    capa.setFont(QFont(l->font(), l));
    QTextOption opcion(Qt::AlignLeft | Qt::AlignTop);
    opcion.setWrapMode(QTextOption::WordWrap);
    opcion.setTextDirection(Qt::LeftToRight);
    capa.setTextOption(opcion);
    capa.setCacheEnabled(true);
    const qreal ancho = l->contentsRect().width();
    const qreal interlinea = QFontMetricsF(capa.font()).leading();
    qreal alto = -interlinea;
    capa.beginLayout();
    for (;;) {
        QTextLine linea = capa.createLine();
        if (!linea.isValid()) break;
        linea.setLineWidth(ancho);
        alto = std::ceil(alto + interlinea);
        linea.setPosition(QPointF(0, alto));
        alto += linea.ascent() + linea.descent();
    }
    capa.endLayout();
}

void AyudasEscritura::Pintar(QLabel* l, const QTextLayout& capa, const QList<QTextLayout::FormatRange>& formatos,
                             const QRect& zona) {
    QPainter p(l);
    p.setPen(l->palette().color(l->foregroundRole()));
    capa.draw(&p, l->contentsRect().topLeft(), formatos, zona);
}
