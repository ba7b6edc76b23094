#include "keyboard/PanelTeclado.h"

#include "keyboard/Dedos.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

// ---------------------------------------------------------------- Panel

Panel::Panel(QWidget* padre) : QWidget(padre) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Panel::PonerBiselExterior(Bisel b) {
    if (exterior_ == b) return;
    exterior_ = b;
    update();
}

void Panel::PonerBiselInterior(Bisel b) {
    interior_ = b;
    update();
}

void Panel::PonerAnchoBisel(int ancho) {
    anchoBisel_ = ancho;
    update();
}

void Panel::PonerColor(const QColor& c) {
    if (colorPropio_ && color_ == c) return;
    color_ = c;
    colorPropio_ = true;
    update();
}

void Panel::PonerMarca(bool m) {
    if (marca_ == m) return;
    marca_ = m;
    update();
}

void Panel::PonerTitulo(const QString& t) {
    if (titulo_ == t) return;
    titulo_ = t;
    anchoFuenteTitulo_ = -1;
    update();
}

void Panel::PonerSubrayado(bool s) {
    subrayado_ = s;
    anchoFuenteTitulo_ = -1;
    update();
}

void Panel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) anchoFuenteTitulo_ = -1;
    QWidget::changeEvent(e);
}

int Panel::AnchoTitulo() const {
    int bordes = 0;
    if (exterior_ != Bisel::Ninguno) bordes += anchoBisel_;
    if (interior_ != Bisel::Ninguno) bordes += 1;
    return width() - 2 * bordes - 2;
}

void Panel::AjustarTitulo() {
    const int disponible = AnchoTitulo();
    if (anchoFuenteTitulo_ == disponible) return;
    QFont f = font();
    f.setUnderline(subrayado_);
    int ancho = QFontMetrics(f).horizontalAdvance(titulo_);
    if (ancho > disponible && f.pixelSize() > kPixelesPequenos) {
        f.setPixelSize(kPixelesPequenos);
        ancho = QFontMetrics(f).horizontalAdvance(titulo_);
    }
    fuenteTitulo_ = f;
    escalaTitulo_ = ancho > disponible && disponible > 0 ? static_cast<double>(disponible) / ancho : 1.0;
    anchoFuenteTitulo_ = disponible;
}

const QFont& Panel::FuenteTitulo() {
    AjustarTitulo();
    return fuenteTitulo_;
}

double Panel::EscalaTitulo() {
    AjustarTitulo();
    return escalaTitulo_;
}

void Panel::PonerAlineacionIzquierda(bool izquierda) {
    izquierda_ = izquierda;
    update();
}

void Panel::PonerLeyenda(Leyenda l, const QRect& area, const QString& abajo, const QString& arriba) {
    leyenda_ = l;
    areaLeyenda_ = area;
    abajo_ = abajo;
    arriba_ = arriba;
    update();
}

void Panel::PonerPista(const QString& p) {
    pista_ = p;
    setToolTip(mostrarPista_ ? pista_ : QString());
}

void Panel::PonerMostrarPista(bool m) {
    mostrarPista_ = m;
    setToolTip(mostrarPista_ ? pista_ : QString());
}

QColor Panel::Tinta() const {
    // A light colour of its own (a finger's, the command grey) keeps black ink whatever the
    // desktop's palette; otherwise the ink is the palette's, light on a dark desktop.
    if (colorPropio_ && color_.isValid() && color_.lightnessF() >= 0.5) return Qt::black;
    return palette().color(QPalette::ButtonText);
}

void Panel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit Pulsado();
    QWidget::mouseReleaseEvent(e);
}

namespace {

// One-pixel lines as filled rectangles: the raster engine fills those directly, where a line
// goes through the pen's stroker (about ten times the work, for ~500 lines per keyboard paint).
void Marco(QPainter& p, QRect r, int ancho, const QColor& arribaIzq, const QColor& abajoDer) {
    for (int i = 0; i < ancho; ++i) {
        p.fillRect(r.left(), r.top(), r.width() - 1, 1, arribaIzq);
        p.fillRect(r.left(), r.top(), 1, r.height() - 1, arribaIzq);
        p.fillRect(r.left(), r.bottom(), r.width(), 1, abajoDer);
        p.fillRect(r.right(), r.top(), 1, r.height(), abajoDer);
        r.adjust(1, 1, -1, -1);
    }
}

}  // namespace

void Panel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    QColor fondo = colorPropio_ ? color_ : pal.color(QPalette::Button);
    if (!fondo.isValid()) fondo = QColor(70, 78, 70);  // the value none: an unlit light
    p.fillRect(rect(), fondo);
    const QColor luz = pal.color(QPalette::Light);
    const QColor sombra = pal.color(QPalette::Dark);
    QRect r = rect();
    if (exterior_ != Bisel::Ninguno) {
        const bool elevado = exterior_ == Bisel::Elevado;
        Marco(p, r, anchoBisel_, elevado ? luz : sombra, elevado ? sombra : luz);
        r.adjust(anchoBisel_, anchoBisel_, -anchoBisel_, -anchoBisel_);
    }
    if (interior_ != Bisel::Ninguno) {
        const bool elevado = interior_ == Bisel::Elevado;
        Marco(p, r, 1, elevado ? luz : sombra, elevado ? sombra : luz);
        r.adjust(1, 1, -1, -1);
    }
    if (marca_) {
        const QRect anillo = r.adjusted(1, 1, -1, -1);
        Marco(p, anillo, 2, Qt::black, Qt::black);
        Marco(p, anillo.adjusted(2, 2, -2, -2), 1, Qt::white, Qt::white);
    }
    // A lowered key shows its legend one pixel down and right, as a pressed keycap does.
    const int d = exterior_ == Bisel::Hundido ? 1 : 0;
    p.translate(d, d);
    if (leyenda_ != Leyenda::Ninguna) PintarLeyenda(p);
    if (!titulo_.isEmpty()) {
        p.setFont(FuenteTitulo());
        p.setPen(Tinta());
        QRectF t = r.adjusted(izquierda_ ? 4 : 0, 0, 0, 0);
        if (const double e = EscalaTitulo(); e < 1) {
            // Narrowed towards the side it is aligned to: the box widens by as much as it shrinks.
            const double eje = izquierda_ ? t.left() : t.center().x();
            p.translate(eje, 0);
            p.scale(e, 1);
            p.translate(-eje, 0);
            t.setWidth(t.width() / e);
            if (!izquierda_) t.moveCenter(QPointF(eje, t.center().y()));
        }
        p.drawText(t, (izquierda_ ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextSingleLine, titulo_);
    }
}

void Panel::PintarLeyenda(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF a = areaLeyenda_;
    const QColor tinta = Tinta();
    p.setPen(QPen(tinta, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = a.center();
    auto punta = [&](QPointF vertice, QPointF dir, double largo) {
        // A filled arrow head pointing along dir.
        const QPointF n(-dir.y(), dir.x());
        QPainterPath t;
        t.moveTo(vertice);
        t.lineTo(vertice - dir * largo + n * largo * 0.6);
        t.lineTo(vertice - dir * largo - n * largo * 0.6);
        t.closeSubpath();
        p.fillPath(t, tinta);
    };
    switch (leyenda_) {
    case Leyenda::Simbolos: {
        p.setFont(font());
        p.setPen(tinta);
        const QRectF mitadAbajo(a.left(), a.center().y() - 1, a.width() * 0.6, a.height() / 2 + 1);
        const QRectF mitadArriba(a.left() + a.width() * 0.4, a.top() - 1, a.width() * 0.6, a.height() / 2 + 1);
        if (marca_) {
            // The symbols sit in the corners, over the guide's ring: a light halo keeps them legible.
            p.setPen(Qt::white);
            for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
                p.drawText(mitadAbajo.translated(d), Qt::AlignLeft | Qt::AlignBottom, abajo_);
                p.drawText(mitadArriba.translated(d), Qt::AlignRight | Qt::AlignTop, arriba_);
            }
            p.setPen(tinta);
        }
        p.drawText(mitadAbajo, Qt::AlignLeft | Qt::AlignBottom, abajo_);
        p.drawText(mitadArriba, Qt::AlignRight | Qt::AlignTop, arriba_);
        break;
    }
    case Leyenda::Tabulador: {
        // Upper arrow to the left against a bar, lower arrow to the right against a bar.
        const double y1 = a.top() + a.height() * 0.3, y2 = a.top() + a.height() * 0.72;
        const double x0 = a.left() + 3, x1 = a.right() - 3;
        p.drawLine(QPointF(x0, y1 - 4), QPointF(x0, y1 + 4));
        p.drawLine(QPointF(x0 + 4, y1), QPointF(x1, y1));
        punta(QPointF(x0 + 1, y1), QPointF(-1, 0), 5);
        p.drawLine(QPointF(x1, y2 - 4), QPointF(x1, y2 + 4));
        p.drawLine(QPointF(x0, y2), QPointF(x1 - 4, y2));
        punta(QPointF(x1 - 1, y2), QPointF(1, 0), 5);
        break;
    }
    case Leyenda::Mayusculas: {
        // Hollow upward arrow.
        const double w = 9, h = 14;
        const double x = c.x() - w / 2, y = c.y() - h / 2;
        QPainterPath t;
        t.moveTo(x + w / 2, y);
        t.lineTo(x + w, y + h * 0.5);
        t.lineTo(x + w * 0.72, y + h * 0.5);
        t.lineTo(x + w * 0.72, y + h);
        t.lineTo(x + w * 0.28, y + h);
        t.lineTo(x + w * 0.28, y + h * 0.5);
        t.lineTo(x, y + h * 0.5);
        t.closeSubpath();
        p.drawPath(t);
        break;
    }
    case Leyenda::Borrar:
        p.drawLine(QPointF(a.left() + 5, c.y()), QPointF(a.right() - 2, c.y()));
        punta(QPointF(a.left() + 1, c.y()), QPointF(-1, 0), 6);
        break;
    case Leyenda::Intro: {
        // Bent return arrow: down from the top right, then left.
        const double xr = c.x() + 5, yb = a.top() + a.height() * 0.62;
        p.drawLine(QPointF(xr, a.top() + a.height() * 0.25), QPointF(xr, yb));
        p.drawLine(QPointF(xr, yb), QPointF(c.x() - 3, yb));
        punta(QPointF(c.x() - 7, yb), QPointF(-1, 0), 5);
        break;
    }
    case Leyenda::Windows: {
        // A four-pane window flag.
        const double s = std::min(a.width(), a.height()) * 0.7;
        const QRectF q(c.x() - s / 2, c.y() - s / 2, s, s);
        const double g = 1.5, m = s / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(tinta);
        p.drawRect(QRectF(q.left(), q.top(), m - g / 2, m - g / 2));
        p.drawRect(QRectF(q.left() + m + g / 2, q.top(), m - g / 2, m - g / 2));
        p.drawRect(QRectF(q.left(), q.top() + m + g / 2, m - g / 2, m - g / 2));
        p.drawRect(QRectF(q.left() + m + g / 2, q.top() + m + g / 2, m - g / 2, m - g / 2));
        break;
    }
    case Leyenda::Menu: {
        // A menu sheet with lines and a pointer over it.
        const QRectF hoja(a.left() + 3, a.top() + 2, a.width() * 0.55, a.height() - 5);
        p.setBrush(palette().color(QPalette::Base));
        p.drawRect(hoja);
        for (int i = 1; i <= 3; ++i) {
            const double y = hoja.top() + hoja.height() * i / 4.0;
            p.drawLine(QPointF(hoja.left() + 2, y), QPointF(hoja.right() - 2, y));
        }
        QPainterPath flecha;
        const QPointF o(hoja.right() - 2, hoja.center().y());
        flecha.moveTo(o);
        flecha.lineTo(o + QPointF(0, 10));
        flecha.lineTo(o + QPointF(2.5, 7.5));
        flecha.lineTo(o + QPointF(5, 11));
        flecha.lineTo(o + QPointF(6.5, 10));
        flecha.lineTo(o + QPointF(4.2, 6.8));
        flecha.lineTo(o + QPointF(7.5, 6.5));
        flecha.closeSubpath();
        p.setBrush(tinta);
        p.drawPath(flecha);
        break;
    }
    case Leyenda::FlechaArriba:
    case Leyenda::FlechaAbajo:
    case Leyenda::FlechaIzquierda:
    case Leyenda::FlechaDerecha: {
        QPointF dir(0, -1);
        if (leyenda_ == Leyenda::FlechaAbajo) dir = QPointF(0, 1);
        if (leyenda_ == Leyenda::FlechaIzquierda) dir = QPointF(-1, 0);
        if (leyenda_ == Leyenda::FlechaDerecha) dir = QPointF(1, 0);
        const double largo = 5.5;
        p.drawLine(c - dir * largo, c + dir * (largo - 3));
        punta(c + dir * largo, dir, 4.5);
        break;
    }
    case Leyenda::Ninguna:
        break;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// ---------------------------------------------------------------- PanelTeclado

namespace {

constexpr QRect kArea30(3, 3, 22, 22);

DefTecla T(const char* n, int x, int y, const char* titulo, int w = 30, int h = 30) {
    return DefTecla{n, x, y, w, h, titulo, Leyenda::Ninguna, nullptr, nullptr, {}};
}
DefTecla S(const char* n, int x, int y, const char* abajo, const char* arriba) {
    return DefTecla{n, x, y, 30, 30, nullptr, Leyenda::Simbolos, abajo, arriba, kArea30};
}
DefTecla I(const char* n, int x, int y, int w, int h, Leyenda l, QRect area) {
    return DefTecla{n, x, y, w, h, nullptr, l, nullptr, nullptr, area};
}

}  // namespace

const std::vector<DefTecla>& PanelTeclado::Disposicion() {
    static const std::vector<DefTecla> d = [] {
        std::vector<DefTecla> v;
        // Function-key row.
        const int f = 16;
        v.push_back(T("btnESC", 13, f, "ESC"));
        const int xf[12] = {69, 101, 133, 165, 213, 245, 277, 309, 359, 391, 423, 455};
        static const char* nf[12] = {"btnF1", "btnF2", "btnF3", "btnF4", "btnF5", "btnF6",
                                     "btnF7", "btnF8", "btnF9", "btnF10", "btnF11", "btnF12"};
        static const char* tf[12] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
        for (int i = 0; i < 12; ++i) v.push_back(T(nf[i], xf[i], f, tf[i]));
        v.push_back(T("btnImprPant", 519, f, "Imp"));
        v.push_back(T("btnBloqDespl", 551, f, "Bloq"));
        v.push_back(T("Panel77", 583, f, "Pausa"));
        // Number row.
        const int n = 64;
        v.push_back(S("btnPrimero", 13, n, "º", "ª"));
        v.push_back(S("btn1", 45, n, "1", "!"));
        v.push_back(S("btn2", 77, n, "2", "\""));
        v.push_back(S("btn3", 109, n, "3", "·"));
        v.push_back(S("btn4", 141, n, "4", "$"));
        v.push_back(S("btn5", 173, n, "5", "%"));
        v.push_back(S("btn6", 205, n, "6", "&"));
        v.push_back(S("btn7", 237, n, "7", "/"));
        v.push_back(S("btn8", 269, n, "8", "("));
        v.push_back(S("btn9", 301, n, "9", ")"));
        v.push_back(S("btn0", 333, n, "0", "="));
        v.push_back(S("btnComilla", 365, n, "'", "?"));
        v.push_back(S("btnAdmiracion", 397, n, "¡", "¿"));
        v.push_back(I("btnBorrar", 429, n, 56, 30, Leyenda::Borrar, QRect(12, 12, 34, 12)));
        v.push_back(T("Panel78", 519, n, "Insert"));
        v.push_back(T("Panel79", 551, n, "Inicio"));
        v.push_back(T("btnRePag", 583, n, "Re.Pg."));
        v.push_back(T("btnBloqNum", 639, n, "BloqNum"));
        v.push_back(T("Panel93", 671, n, "/"));
        v.push_back(T("Panel94", 703, n, "*"));
        v.push_back(T("Panel95", 735, n, "-"));
        // Top letter row.
        const int q = 96;
        v.push_back(I("btnTabulador", 13, q, 43, 30, Leyenda::Tabulador, QRect(7, 7, 30, 17)));
        const char* fila1 = "QWERTYUIOP";
        static const char* nq[10] = {"btnQ", "btnW", "btnE", "btnR", "btnT", "btnY", "btnU", "btnI", "btnO", "btnP"};
        static const char* tq[10] = {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P"};
        for (int i = 0; i < 10; ++i) v.push_back(T(nq[i], 58 + 32 * i, q, tq[i]));
        (void)fila1;
        v.push_back(S("btnAcentoAbierto", 378, q, "`", "^"));
        v.push_back(S("btnMas", 410, q, "+", "*"));
        v.push_back(I("btnIntro", 455, q, 30, 62, Leyenda::Intro, QRect(5, 8, 22, 41)));
        v.push_back(T("Panel81", 519, q, "Supr."));
        v.push_back(T("Panel82", 551, q, "Fin"));
        v.push_back(T("btnAvPag", 583, q, "Av.Pg."));
        v.push_back(T("btn7Num", 639, q, "7"));
        v.push_back(T("Panel97", 671, q, "8"));
        v.push_back(T("btn9Num", 703, q, "9"));
        v.push_back(T("Panel105", 735, q, "+", 30, 62));
        // Home row.
        const int a = 128;
        v.push_back(T("btnBloqMayus", 13, a, "Bloq.Mayú.", 56));
        static const char* na[9] = {"btnA", "btnS", "btnD", "btnF", "btnG", "btnH", "btnJ", "btnK", "btnL"};
        static const char* ta[9] = {"A", "S", "D", "F", "G", "H", "J", "K", "L"};
        for (int i = 0; i < 9; ++i) v.push_back(T(na[i], 71 + 32 * i, a, ta[i]));
        v.push_back(T("btnEnye", 359, a, "Ñ"));
        v.push_back(S("btnAcento", 391, a, "´", "¨"));
        v.push_back(T("btnCeTrencada", 423, a, "Ç"));
        v.push_back(T("btn4Num", 639, a, "4"));
        v.push_back(T("Panel100", 671, a, "5"));
        v.push_back(T("btn6Num", 703, a, "6"));
        // Bottom letter row.
        const int z = 160;
        v.push_back(I("btnMayusculasIzq", 13, z, 37, 30, Leyenda::Mayusculas, QRect(6, 8, 25, 17)));
        v.push_back(S("btnMenor", 52, z, "<", ">"));
        static const char* nz[7] = {"btnZ", "btnX", "btnC", "btnV", "btnB", "btnN", "btnM"};
        static const char* tz[7] = {"Z", "X", "C", "V", "B", "N", "M"};
        for (int i = 0; i < 7; ++i) v.push_back(T(nz[i], 84 + 32 * i, z, tz[i]));
        v.push_back(S("btnComa", 308, z, ",", ";"));
        v.push_back(S("btnPunto", 340, z, ".", ":"));
        v.push_back(S("btnMenos", 372, z, "-", "_"));
        v.push_back(I("btnMayusculasDer", 404, z, 81, 30, Leyenda::Mayusculas, QRect(22, 8, 25, 17)));
        v.push_back(I("Panel88", 551, z, 30, 30, Leyenda::FlechaArriba, QRect(12, 10, 12, 14)));
        v.push_back(T("btn1Num", 639, z, "1"));
        v.push_back(T("Panel103", 671, z, "2"));
        v.push_back(T("btn3Num", 703, z, "3"));
        v.push_back(T("Panel106", 735, z, "Intro", 30, 62));
        // Bottom row.
        const int b = 192;
        v.push_back(T("btnControlIzq", 13, b, "Control", 38));
        v.push_back(I("Panel52", 54, b, 36, 30, Leyenda::Windows, QRect(8, 8, 25, 17)));
        v.push_back(T("btnAlt", 93, b, "Alt", 37));
        v.push_back(T("btnEspacio", 133, b, "", 193));
        v.push_back(T("Panel55", 328, b, "Alt.Gr.", 37));
        v.push_back(I("Panel56", 367, b, 37, 30, Leyenda::Windows, QRect(9, 8, 25, 17)));
        v.push_back(I("btnMenuRaton", 406, b, 38, 30, Leyenda::Menu, QRect(10, 6, 22, 20)));
        v.push_back(T("btnControlDer", 446, b, "Control", 39));
        v.push_back(I("Panel84", 519, b, 30, 30, Leyenda::FlechaIzquierda, QRect(8, 14, 16, 10)));
        v.push_back(I("Panel85", 551, b, 30, 30, Leyenda::FlechaAbajo, QRect(12, 10, 12, 14)));
        v.push_back(I("Panel86", 583, b, 30, 30, Leyenda::FlechaDerecha, QRect(8, 14, 16, 10)));
        v.push_back(T("btn0Num", 639, b, "0"));
        v.push_back(T("btnPuntoNum", 671, b, "Ins", 62));
        return v;
    }();
    return d;
}

const std::vector<const char*>& PanelTeclado::TeclasDeEscritura() {
    static const std::vector<const char*> t = [] {
        std::vector<const char*> v;
        for (int i = 0; i < teclado::kNumTeclasEscritura; ++i) v.push_back(teclado::TeclaEscritura(i).data());
        return v;
    }();
    return t;
}

QColor PanelTeclado::ColorDedo(std::string_view n, const QPalette& paleta) {
    using teclado::Dedo;
    switch (teclado::DedoDeTecla(n)) {
    case Dedo::MeniqueIzq: case Dedo::MeniqueDer: return QColor(255, 0, 0);
    case Dedo::AnularIzq: case Dedo::AnularDer: return QColor(255, 255, 0);
    case Dedo::MedioIzq: case Dedo::MedioDer: return QColor(0, 255, 0);
    case Dedo::IndiceIzq: case Dedo::IndiceDer: return QColor(0, 255, 255);
    case Dedo::Pulgares: return paleta.color(QPalette::Active, QPalette::Highlight);
    case Dedo::Ninguno: break;
    }
    return QColor();
}

PanelTeclado::PanelTeclado(QWidget* padre) : Panel(padre) {
    setObjectName(QStringLiteral("PanelTeclado"));
    PonerAnchoBisel(4);
    setFixedSize(775, 240);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    setFont(f);  // the keys inherit it
    for (const DefTecla& d : Disposicion()) {
        auto* k = new Panel(this);
        k->setObjectName(QString::fromLatin1(d.nombre));
        k->setGeometry(d.x, d.y, d.ancho, d.alto);
        k->PonerAnchoBisel(2);
        if (d.titulo) k->PonerTitulo(QString::fromUtf8(d.titulo));
        if (d.leyenda != Leyenda::Ninguna)
            k->PonerLeyenda(d.leyenda, d.area, QString::fromUtf8(d.abajo ? d.abajo : ""),
                            QString::fromUtf8(d.arriba ? d.arriba : ""));
        teclas_.insert(QByteArray(d.nombre), k);
    }
    Tecla("btnF")->PonerSubrayado(true);
    Tecla("btnJ")->PonerSubrayado(true);

    luces_ = new Panel(this);
    luces_->setObjectName(QStringLiteral("PanelLuces"));
    luces_->setGeometry(639, 16, 125, 30);
    luces_->PonerAnchoBisel(1);
    struct Luz { const char* nombre; int x; const char* etiqueta; const char* texto; int xe; };
    const Luz luces[3] = {{"PanelNumerico", 6, "lblNumLock", "Bloq. Num.", 16},
                          {"PanelMayusculas", 44, "lblCapsLock", "Bloq. May.", 54},
                          {"PanelScroll", 84, "lblScrollLock", "Bloq. Scroll", 94}};
    QFont fl = f;
    fl.setPixelSize(kPixelesPequenos);
    Panel* creadas[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto* luz = new Panel(luces_);
        luz->setObjectName(QString::fromLatin1(luces[i].nombre));
        luz->setGeometry(luces[i].x, 12, 10, 5);
        luz->PonerBiselExterior(Panel::Bisel::Ninguno);
        luz->PonerColor(QColor());  // unlit
        creadas[i] = luz;
        auto* etiqueta = new QLabel(QString::fromUtf8(luces[i].texto), luces_);
        etiqueta->setObjectName(QString::fromLatin1(luces[i].etiqueta));
        etiqueta->setGeometry(luces[i].xe, 2, 28, 26);
        etiqueta->setWordWrap(true);
        etiqueta->setFont(fl);
        etiqueta->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    numerico_ = creadas[0];
    mayusculas_ = creadas[1];
    scroll_ = creadas[2];

    // Panels of every row of the key table, indexed by virtual key for the key-press path.
    for (const teclado::FilaTecla& fila : teclado::TablaTeclas())
        for (int i = 0; i < 2; ++i)
            if (fila.paneles[i]) porVk_[fila.vk][static_cast<std::size_t>(i)] = Tecla(fila.paneles[i]);
}

Panel* PanelTeclado::Tecla(std::string_view nombre) const {
    return teclas_.value(QByteArray(nombre.data(), static_cast<qsizetype>(nombre.size())));
}

void PanelTeclado::Hundir(const teclado::FilaTecla& fila) {
    for (Panel* p : porVk_[fila.vk])
        if (p) HundirTecla(p);
}

void PanelTeclado::Levantar(const teclado::FilaTecla& fila) {
    for (Panel* p : porVk_[fila.vk])
        if (p) LevantarTecla(p);
}

void PanelTeclado::PintarTeclado(int activo) {
    if (activo != 0 && activo != 1) return;
    const QColor cara = palette().color(QPalette::Button);
    for (const char* n : TeclasDeEscritura()) Tecla(n)->PonerColor(activo ? ColorDedo(n, palette()) : cara);
}
