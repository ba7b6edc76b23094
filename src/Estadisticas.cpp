#include "Estadisticas.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "keyboard/Dedos.h"
#include "keyboard/PanelTeclado.h"
#include "platform/Plataforma.h"
#include "platform/Texto.h"

namespace {

const QColor kRojoProfundo(150, 0, 0);
const QColor kAzul(0, 0, 200);
const QColor kVerde(0, 128, 0);

QString Porcentaje(double t) { return QString::number(t * 100, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" %"); }

QTableWidget* Tabla(QWidget* padre, const QStringList& cabeceras) {
    auto* t = new QTableWidget(0, static_cast<int>(cabeceras.size()), padre);
    t->setHorizontalHeaderLabels(cabeceras);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setFocusPolicy(Qt::NoFocus);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return t;
}

// Figures right-aligned; the first column and texts (columns from `texto` on) left-aligned.
void Fila(QTableWidget* t, const QStringList& celdas, int texto = 1000) {
    const int f = t->rowCount();
    t->insertRow(f);
    for (int c = 0; c < celdas.size(); ++c) {
        auto* i = new QTableWidgetItem(celdas[c]);
        if (c > 0 && c < texto) i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(f, c, i);
    }
}

}  // namespace

QColor ColorCalor(double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto mezcla = [t](int blanco, int rojo) { return static_cast<int>(std::lround(blanco + (rojo - blanco) * t)); };
    return QColor(mezcla(255, kRojoProfundo.red()), mezcla(255, kRojoProfundo.green()), mezcla(255, kRojoProfundo.blue()));
}

QString NombreDedo(int d) {
    static const char* const nombres[teclado::kNumDedos] = {
        "Meñique izquierdo", "Anular izquierdo", "Corazón izquierdo", "Índice izquierdo", "Pulgares",
        "Índice derecho", "Corazón derecho", "Anular derecho", "Meñique derecho"};
    return d >= 0 && d < teclado::kNumDedos ? QString::fromUtf8(nombres[d]) : QString();
}

QString NombreClaseAcento(estadisticas::ClaseAcento c) {
    using estadisticas::ClaseAcento;
    switch (c) {
    case ClaseAcento::TildeOlvidada: return QStringLiteral("Tilde olvidada");
    case ClaseAcento::TildeDeMas: return QStringLiteral("Tilde de más");
    case ClaseAcento::AcentoCambiado: return QStringLiteral("Acento cambiado");
    case ClaseAcento::DieresisOlvidada: return QStringLiteral("Diéresis olvidada");
    case ClaseAcento::MuertaMalUsada: return QStringLiteral("Tecla muerta mal usada");
    case ClaseAcento::MayusculaCambiada: return QStringLiteral("Mayúscula cambiada");
    case ClaseAcento::AperturaOlvidada: return QStringLiteral("Signo de apertura olvidado");
    }
    return {};
}

QString NombreCaracter(std::string_view c) {
    if (c == " ") return QStringLiteral("espacio");
    if (c == "\r") return QStringLiteral("Intro");
    if (c == "\b") return QStringLiteral("Retroceso");
    QString r = DeCp1252(c);
    return QStringLiteral("«") + r.replace(QLatin1Char('\n'), QStringLiteral("Intro")) + QStringLiteral("»");
}

// ---------------------------------------------------------------- legend

LeyendaCalor::LeyendaCalor(QWidget* padre) : QWidget(padre) {}

void LeyendaCalor::PonerExtremos(const QString& minimo, const QString& maximo) {
    minimo_ = minimo;
    maximo_ = maximo;
    update();
}

QSize LeyendaCalor::sizeHint() const { return {260, 20}; }

void LeyendaCalor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = fontMetrics();
    const int izq = fm.horizontalAdvance(minimo_) + 6, der = fm.horizontalAdvance(maximo_) + 6;
    const QRect barra(izq, 3, std::max(10, width() - izq - der), height() - 6);
    QLinearGradient g(barra.topLeft(), barra.topRight());
    g.setColorAt(0, ColorCalor(0));
    g.setColorAt(1, ColorCalor(1));
    p.fillRect(barra, g);
    p.setPen(Qt::black);
    p.drawRect(barra.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(0, 0, izq - 4, height()), Qt::AlignRight | Qt::AlignVCenter, minimo_);
    p.drawText(QRect(barra.right() + 5, 0, der, height()), Qt::AlignLeft | Qt::AlignVCenter, maximo_);
}

// ---------------------------------------------------------------- chart

GraficoHistoria::GraficoHistoria(QWidget* padre) : QWidget(padre) { setMinimumSize(400, 200); }

void GraficoHistoria::PonerPuntos(std::vector<estadisticas::PuntoHistoria> puntos, bool porDia) {
    puntos_ = std::move(puntos);
    porDia_ = porDia;
    update();
}

void GraficoHistoria::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QFontMetrics fm = fontMetrics();
    const int T = fm.height();
    const int margen = 5;
    const int izq = fm.horizontalAdvance(QStringLiteral("0000")) + 2 * margen;
    const int der = fm.horizontalAdvance(QStringLiteral("100 %")) + 2 * margen;
    const QRect area(izq, T + 2 * margen, width() - izq - der, height() - 3 * T - 3 * margen);
    if (area.width() < 20 || area.height() < 20) return;
    if (puntos_.empty()) {
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No hay intentos de esta unidad."));
        return;
    }
    double maxPpm = 10;
    for (const auto& q : puntos_) maxPpm = std::max(maxPpm, q.ppm);
    // A round top for the speed scale, in four round steps.
    double paso = 5;
    for (const double p : {5.0, 10.0, 25.0, 50.0, 100.0, 250.0, 500.0})
        if (4 * p >= maxPpm) {
            paso = p;
            break;
        }
    maxPpm = std::max(4 * paso, std::ceil(maxPpm / (4 * paso)) * 4 * paso);

    p.setPen(Qt::black);
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.topLeft(), area.bottomLeft());
    p.drawLine(area.topRight(), area.bottomRight());
    p.setPen(kAzul);
    p.drawText(QPoint(margen, T), QStringLiteral("Pulsaciones por minuto"));
    p.setPen(kVerde);
    const QString acierto = QStringLiteral("Acierto");
    p.drawText(QPoint(width() - margen - fm.horizontalAdvance(acierto), T), acierto);
    for (int i = 0; i <= 4; ++i) {
        const int y = area.bottom() - area.height() * i / 4;
        p.setPen(QColor(220, 220, 220));
        if (i > 0) p.drawLine(area.left() + 1, y, area.right() - 1, y);
        p.setPen(kAzul);
        const QString v = QString::number(std::lround(maxPpm * i / 4));
        p.drawText(QRect(0, y - T / 2, izq - margen, T), Qt::AlignRight | Qt::AlignVCenter, v);
        p.setPen(kVerde);
        p.drawText(QRect(area.right() + margen, y - T / 2, der, T), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::number(25 * i) + QStringLiteral(" %"));
    }
    const std::size_t n = puntos_.size();
    auto x = [&](std::size_t i) {
        return n == 1 ? area.center().x() : area.left() + 4 + static_cast<double>(area.width() - 8) * i / (n - 1);
    };
    QPainterPath velocidad, exactitud;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF v(x(i), area.bottom() - area.height() * puntos_[i].ppm / maxPpm);
        const QPointF a(x(i), area.bottom() - area.height() * puntos_[i].acierto);
        if (i == 0) {
            velocidad.moveTo(v);
            exactitud.moveTo(a);
        } else {
            velocidad.lineTo(v);
            exactitud.lineTo(a);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kVerde, 1.5));
    p.drawPath(exactitud);
    p.setPen(QPen(kAzul, 2));
    p.drawPath(velocidad);
    if (n <= 60) {
        for (std::size_t i = 0; i < n; ++i) {
            p.setBrush(kAzul);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(x(i), area.bottom() - area.height() * puntos_[i].ppm / maxPpm), 2.5, 2.5);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    // The first and the last date under the axis.
    p.setPen(Qt::black);
    auto fecha = [this](std::size_t i) {
        const std::string& f = puntos_[i].fecha;
        return QString::fromStdString(porDia_ ? f.substr(0, 10) : f.substr(0, 16)).replace(QLatin1Char('T'), QLatin1Char(' '));
    };
    p.drawText(QRect(area.left(), area.bottom() + margen, area.width(), T), Qt::AlignLeft | Qt::AlignTop, fecha(0));
    if (n > 1) p.drawText(QRect(area.left(), area.bottom() + margen, area.width(), T), Qt::AlignRight | Qt::AlignTop, fecha(n - 1));
    const QString eje = porDia_ ? QString::number(n) + QStringLiteral(" días") : QString::number(n) + QStringLiteral(" intentos");
    p.drawText(QRect(area.left(), area.bottom() + margen + T, area.width(), T), Qt::AlignHCenter | Qt::AlignTop, eje);
}

// ---------------------------------------------------------------- window

TfrmEstadisticas::TfrmEstadisticas(QWidget* padre, estadisticas::Resumen resumen, const estadisticas::Avance& avance,
                                   std::function<QString(const QString&)> exportar)
    : QDialog(padre), resumen_(std::move(resumen)), exportar_(std::move(exportar)) {
    setObjectName(QStringLiteral("frmEstadisticas"));
    setWindowTitle(QStringLiteral("Estadísticas"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont fuente(QStringLiteral("Liberation Sans"));
    fuente.setPixelSize(12);
    setFont(fuente);

    auto* raiz = new QVBoxLayout(this);
    lblResumen = new QLabel(this);
    lblResumen->setObjectName(QStringLiteral("lblResumen"));
    raiz->addWidget(lblResumen);

    lblVacio = new QLabel(QStringLiteral("Todavía no hay nada registrado.\n\nCada ejercicio que escriba queda guardado aquí: "
                                         "las teclas que más falla, sus despistes con los acentos\ny su velocidad y su "
                                         "acierto a lo largo del tiempo. Empiece un ejercicio con F6."),
                          this);
    lblVacio->setObjectName(QStringLiteral("lblVacio"));
    lblVacio->setAlignment(Qt::AlignCenter);
    lblVacio->setMinimumHeight(120);
    raiz->addWidget(lblVacio);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    raiz->addWidget(tabs, 1);

    // The keyboard.
    auto* pagTeclado = new QWidget(tabs);
    auto* vt = new QVBoxLayout(pagTeclado);
    auto* fila = new QHBoxLayout;
    radioErrores = new QRadioButton(QStringLiteral("&Errores"), pagTeclado);
    radioErrores->setObjectName(QStringLiteral("radioErrores"));
    radioLentitud = new QRadioButton(QStringLiteral("&Lentitud"), pagTeclado);
    radioLentitud->setObjectName(QStringLiteral("radioLentitud"));
    radioErrores->setChecked(true);
    leyenda = new LeyendaCalor(pagTeclado);
    fila->addWidget(radioErrores);
    fila->addWidget(radioLentitud);
    fila->addStretch(1);
    fila->addWidget(leyenda);
    vt->addLayout(fila);
    panelTeclado = new PanelTeclado(pagTeclado);
    vt->addWidget(panelTeclado, 0, Qt::AlignHCenter);
    lblDebiles = new QLabel(pagTeclado);
    lblDebiles->setObjectName(QStringLiteral("lblDebiles"));
    lblDebiles->setWordWrap(true);
    vt->addWidget(lblDebiles);
    vt->addStretch(1);
    tabs->addTab(pagTeclado, QStringLiteral("&Teclado"));
    connect(radioErrores, &QRadioButton::toggled, this, [this](bool e) { MostrarErrores(e); });

    tablaDedos = Tabla(tabs, {QStringLiteral("Dedo"), QStringLiteral("Pulsaciones"), QStringLiteral("Errores"),
                              QStringLiteral("Tasa de error"), QStringLiteral("Mediana (ms)")});
    tablaDedos->setObjectName(QStringLiteral("tablaDedos"));
    tabs->addTab(tablaDedos, QStringLiteral("&Dedos"));
    tablaConfusiones = Tabla(tabs, {QStringLiteral("Confusión"), QStringLiteral("Veces")});
    tablaConfusiones->setObjectName(QStringLiteral("tablaConfusiones"));
    tabs->addTab(tablaConfusiones, QStringLiteral("&Confusiones"));
    tablaAcentos = Tabla(tabs, {QStringLiteral("Falta"), QStringLiteral("Veces"), QStringLiteral("Ejemplo")});
    tablaAcentos->setObjectName(QStringLiteral("tablaAcentos"));
    tabs->addTab(tablaAcentos, QStringLiteral("&Acentos"));

    // Speed and accuracy over time.
    auto* pagGrafico = new QWidget(tabs);
    auto* vg = new QVBoxLayout(pagGrafico);
    auto* filtros = new QHBoxLayout;
    comboUnidad = new QComboBox(pagGrafico);
    comboUnidad->setObjectName(QStringLiteral("comboUnidad"));
    comboUnidad->addItem(QStringLiteral("Todas las unidades"), 0);
    for (int u = 1; u <= catalogo::NumUnidades; ++u)
        if (catalogo::EjerciciosDeUnidad(u) > 0) comboUnidad->addItem(QStringLiteral("Unidad Nº ") + QString::number(u), u);
    comboPeriodo = new QComboBox(pagGrafico);
    comboPeriodo->setObjectName(QStringLiteral("comboPeriodo"));
    comboPeriodo->addItem(QStringLiteral("Por intento"));
    comboPeriodo->addItem(QStringLiteral("Por día"));
    auto* lblUnidad = new QLabel(QStringLiteral("&Unidad:"), pagGrafico);
    lblUnidad->setBuddy(comboUnidad);
    filtros->addWidget(lblUnidad);
    filtros->addWidget(comboUnidad);
    filtros->addWidget(comboPeriodo);
    filtros->addStretch(1);
    vg->addLayout(filtros);
    grafico = new GraficoHistoria(pagGrafico);
    grafico->setObjectName(QStringLiteral("grafico"));
    vg->addWidget(grafico, 1);
    tabs->addTab(pagGrafico, QStringLiteral("E&volución"));
    connect(comboUnidad, &QComboBox::currentIndexChanged, this, [this] { ActualizarGrafico(); });
    connect(comboPeriodo, &QComboBox::currentIndexChanged, this, [this] { ActualizarGrafico(); });

    // The course.
    auto* pagCurso = new QWidget(tabs);
    auto* vc = new QVBoxLayout(pagCurso);
    lblCurso = new QLabel(pagCurso);
    lblCurso->setObjectName(QStringLiteral("lblCurso"));
    vc->addWidget(lblCurso);
    tablaCurso = Tabla(pagCurso, {QStringLiteral("Unidad"), QStringLiteral("Ejercicios hechos"), QStringLiteral("Intentos")});
    tablaCurso->setObjectName(QStringLiteral("tablaCurso"));
    vc->addWidget(tablaCurso, 1);
    tabs->addTab(pagCurso, QStringLiteral("C&urso"));

    auto* botones = new QHBoxLayout;
    btnExportar = new QPushButton(QStringLiteral("E&xportar CSV..."), this);
    btnExportar->setObjectName(QStringLiteral("btnExportar"));
    btnCerrar = new QPushButton(QStringLiteral("C&errar"), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));
    btnCerrar->setDefault(true);
    botones->addWidget(btnExportar);
    botones->addStretch(1);
    botones->addWidget(btnCerrar);
    raiz->addLayout(botones);
    connect(btnExportar, &QPushButton::clicked, this, &TfrmEstadisticas::btnExportarClick);
    connect(btnCerrar, &QPushButton::clicked, this, &QDialog::accept);

    LlenarCurso(avance);
    const bool vacio = resumen_.Vacio();
    lblVacio->setVisible(vacio);
    btnExportar->setEnabled(!vacio);
    for (int i = 0; i < 5; ++i) tabs->setTabVisible(i, !vacio);
    if (vacio) {
        tabs->setCurrentIndex(5);
        lblResumen->setText(QString());
        lblResumen->hide();
    } else {
        std::uint64_t correctos = 0;
        for (const auto& in : resumen_.intentos) correctos += in.resultado == "correcto";
        lblResumen->setText(QString::number(resumen_.intentos.size()) + QStringLiteral(" intentos (") +
                            QString::number(correctos) + QStringLiteral(" correctos) y ") +
                            QString::number(resumen_.pulsaciones) + QStringLiteral(" pulsaciones registradas."));
        LlenarTablas();
        MostrarErrores(true);
        ActualizarGrafico();
    }
    resize(820, 560);
}

void TfrmEstadisticas::MostrarErrores(bool errores) {
    if (radioErrores->isChecked() != errores) (errores ? radioErrores : radioLentitud)->setChecked(true);
    // Errors from none (white) to the highest rate; slowness from the quickest key to the slowest,
    // keys never timed staying white.
    double minimo = 0, maximo = 0;
    bool primero = true;
    for (const auto& c : resumen_.teclas) {
        if (errores) {
            maximo = std::max(maximo, c.Tasa());
        } else if (c.medianaMs > 0) {
            minimo = primero ? c.medianaMs : std::min<double>(minimo, c.medianaMs);
            maximo = std::max<double>(maximo, c.medianaMs);
            primero = false;
        }
    }
    const QPalette base = palette();
    for (int i = 0; i < teclado::kNumTeclasEscritura; ++i) {
        const auto& c = resumen_.teclas[static_cast<std::size_t>(i)];
        double t = 0;
        if (errores) t = maximo > 0 ? c.Tasa() / maximo : 0;
        else if (c.medianaMs > 0) t = maximo > minimo ? (c.medianaMs - minimo) / (maximo - minimo) : 1;
        Panel* tecla = panelTeclado->Tecla(teclado::TeclaEscritura(i));
        tecla->PonerColor(ColorCalor(t));
        // Legends stay legible on the darker reds.
        QPalette pal = base;
        pal.setColor(QPalette::ButtonText, t > 0.55 ? Qt::white : Qt::black);
        tecla->setPalette(pal);
        tecla->setToolTip(QString::number(c.errores) + QStringLiteral(" errores en ") + QString::number(c.esperadas) +
                          QStringLiteral(" pulsaciones (") + Porcentaje(c.Tasa()) + QStringLiteral("); mediana ") +
                          QString::number(c.medianaMs) + QStringLiteral(" ms"));
    }
    if (errores) leyenda->PonerExtremos(QStringLiteral("0 %"), Porcentaje(maximo));
    else
        leyenda->PonerExtremos(QString::number(static_cast<long long>(minimo)) + QStringLiteral(" ms"),
                               QString::number(static_cast<long long>(maximo)) + QStringLiteral(" ms"));
}

void TfrmEstadisticas::LlenarTablas() {
    QStringList debiles;
    for (const estadisticas::TeclaDebil& d : resumen_.TeclasDebiles())
        debiles << NombreCaracter(std::string_view(&d.caracter, 1)) + QStringLiteral(" (") + Porcentaje(d.tasa) +
                       QStringLiteral(" de errores)");
    lblDebiles->setText(debiles.isEmpty() ? QStringLiteral("Ninguna tecla con errores.")
                                          : QStringLiteral("Las teclas más débiles: ") + debiles.join(QStringLiteral(", ")) +
                                                QStringLiteral("."));
    for (int d = 0; d < teclado::kNumDedos; ++d) {
        const auto& c = resumen_.dedos[static_cast<std::size_t>(d)];
        Fila(tablaDedos, {NombreDedo(d), QString::number(c.esperadas), QString::number(c.errores), Porcentaje(c.Tasa()),
                          QString::number(c.medianaMs)});
    }
    for (const auto& c : resumen_.confusiones)
        Fila(tablaConfusiones, {QStringLiteral("escribió ") + NombreCaracter(c.escrito) + QStringLiteral(" en lugar de ") +
                                    NombreCaracter(std::string_view(&c.esperado, 1)),
                                QString::number(c.veces)});
    if (resumen_.confusiones.empty()) Fila(tablaConfusiones, {QStringLiteral("Ninguna: no ha escrito nada mal."), QString()});
    for (int k = 0; k < estadisticas::kNumClasesAcento; ++k) {
        const auto& a = resumen_.acentos[static_cast<std::size_t>(k)];
        const QString ejemplo = a.veces ? DeCp1252(a.escrita) + QStringLiteral(" en lugar de ") + DeCp1252(a.palabra) : QString();
        Fila(tablaAcentos, {NombreClaseAcento(static_cast<estadisticas::ClaseAcento>(k)), QString::number(a.veces), ejemplo}, 2);
    }
    tablaAcentos->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
}

void TfrmEstadisticas::LlenarCurso(const estadisticas::Avance& a) {
    lblCurso->setText(QString::number(a.todo.hechos) + QStringLiteral(" de ") + QString::number(a.todo.total) +
                      QStringLiteral(" ejercicios hechos, con ") + QString::number(a.todo.intentos) + QStringLiteral(" intentos."));
    for (int u = 1; u <= catalogo::NumUnidades; ++u) {
        const auto& x = a.unidades[static_cast<std::size_t>(u - 1)];
        if (x.total == 0) continue;
        Fila(tablaCurso, {QStringLiteral("Unidad Nº ") + QString::number(u),
                          QString::number(x.hechos) + QStringLiteral(" de ") + QString::number(x.total),
                          QString::number(x.intentos)});
    }
}

void TfrmEstadisticas::ElegirUnidad(std::optional<int> unidad) {
    const int i = comboUnidad->findData(unidad.value_or(0));
    if (i >= 0) comboUnidad->setCurrentIndex(i);
}

void TfrmEstadisticas::ActualizarGrafico() {
    const int u = comboUnidad->currentData().toInt();
    const std::optional<int> unidad = u > 0 ? std::optional<int>(u) : std::nullopt;
    const bool porDia = comboPeriodo->currentIndex() == 1;
    grafico->PonerPuntos(porDia ? resumen_.HistoriaPorDia(unidad) : resumen_.HistoriaPorIntento(unidad), porDia);
}

void TfrmEstadisticas::btnExportarClick() {
    const QString carpeta = LaPlataforma().ElegirCarpeta(this, QStringLiteral("Exportar las estadísticas a la carpeta"));
    if (carpeta.isEmpty() || !exportar_) return;
    const QString error = exportar_(carpeta);
    if (!error.isEmpty()) LaPlataforma().MostrarError(this, error);
    else
        LaPlataforma().MostrarMensaje(this, QStringLiteral("Se han exportado los intentos y las pulsaciones a\n") + carpeta +
                                                 QStringLiteral("/pulsoteclado-intentos.csv\n") + carpeta +
                                                 QStringLiteral("/pulsoteclado-pulsaciones.csv"));
}
