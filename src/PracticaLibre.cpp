#include "PracticaLibre.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QShortcut>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "AyudasEscritura.h"
#include "Piezas.h"
#include "catalogue/Catalogo.h"
#include "platform/Plataforma.h"
#include "platform/Texto.h"
#include "practica/EnVivo.h"
#include "practica/Practica.h"
#include "practica/Repaso.h"

namespace {

// A file larger than this cannot hold 20,000 characters of text worth reading.
constexpr qint64 kMaxBytesFichero = 4 * 1024 * 1024;
// The characters the list names one by one; the rest are counted.
constexpr std::size_t kMaxListados = 12;

QString Codigo(char32_t c) { return QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper(); }

std::u32string DelEditor(const QPlainTextEdit* e) {
    return e->toPlainText().normalized(QString::NormalizationForm_C).toStdU32String();
}

}  // namespace

TfrmPractica::TfrmPractica(const almacen::TConfiguracion& configuracion, const AjustesAyudas& ayudas, ::Ajustes* ajustes,
                           QWidget* padre)
    : QDialog(padre), cfg_(configuracion), ayudasAjustes_(ayudas), ajustes_(ajustes) {
    setObjectName(QStringLiteral("frmPractica"));
    setWindowTitle(QStringLiteral("Texto libre"));
    QFont fuente(QStringLiteral("Liberation Sans"));
    fuente.setPixelSize(11);
    setFont(fuente);
    setFixedSize(792, kAltoAjustes + 554);
    setFocusPolicy(Qt::StrongFocus);

    // ---- the settings strip
    tira_ = new QWidget(this);
    tira_->setObjectName(QStringLiteral("ajustes"));
    tira_->setGeometry(0, 0, 792, kAltoAjustes);
    auto etiqueta = [this](const char* texto, int x, int y, int ancho, QWidget* amigo) {
        auto* l = new QLabel(QString::fromUtf8(texto), tira_);
        l->setGeometry(x, y, ancho, 22);
        l->setBuddy(amigo);
        return l;
    };
    cmbOrigen = new QComboBox(tira_);
    cmbOrigen->setObjectName(QStringLiteral("cmbOrigen"));
    cmbOrigen->addItems({QStringLiteral("Texto propio"), QStringLiteral("Pasaje de las unidades 4 a 6"),
                         QStringLiteral("Repaso de teclas débiles")});
    cmbOrigen->setGeometry(52, 8, 210, 22);
    etiqueta("&Texto:", 8, 8, 44, cmbOrigen);
    cmbPasaje = new QComboBox(tira_);
    cmbPasaje->setObjectName(QStringLiteral("cmbPasaje"));
    cmbPasaje->setGeometry(270, 8, 514, 22);
    for (int u = 4; u <= 6; ++u)
        for (int l = 1; l <= catalogo::NumLecciones; ++l)
            for (int e = 1; e <= catalogo::NumEjercicios; ++e)
                if (catalogo::Existe(u, l, e))
                    cmbPasaje->addItem(QStringLiteral("%1.%2.%3  ").arg(u).arg(l).arg(e) + DeCp1252(catalogo::TituloEjercicio(u, l, e)),
                                       u * 10000 + l * 100 + e);
    btnAbrir = new QPushButton(QStringLiteral("&Abrir fichero..."), tira_);
    btnAbrir->setObjectName(QStringLiteral("btnAbrir"));
    btnAbrir->setGeometry(270, 7, 120, 24);

    rbCompleto = new QRadioButton(QStringLiteral("Texto &completo"), tira_);
    rbCompleto->setObjectName(QStringLiteral("rbCompleto"));
    rbCompleto->setGeometry(8, 36, 120, 22);
    rbCompleto->setChecked(true);
    rbCronometrada = new QRadioButton(QStringLiteral("&Prueba cronometrada:"), tira_);
    rbCronometrada->setObjectName(QStringLiteral("rbCronometrada"));
    rbCronometrada->setGeometry(130, 36, 145, 22);
    cmbMinutos = new QComboBox(tira_);
    cmbMinutos->setObjectName(QStringLiteral("cmbMinutos"));
    for (unsigned m : practica::kMinutosPrueba)
        cmbMinutos->addItem(m == 1 ? QStringLiteral("1 minuto") : QStringLiteral("%1 minutos").arg(m), m);
    cmbMinutos->setGeometry(276, 36, 96, 22);
    spnPenalizacion = new QSpinBox(tira_);
    spnPenalizacion->setObjectName(QStringLiteral("spnPenalizacion"));
    spnPenalizacion->setRange(0, 100);
    spnPenalizacion->setValue(static_cast<int>(practica::kPenalizacionPorOmision));
    spnPenalizacion->setGeometry(520, 36, 56, 22);
    etiqueta("Pe&nalización por error:", 392, 36, 128, spnPenalizacion);
    spnObjetivo = new QSpinBox(tira_);
    spnObjetivo->setObjectName(QStringLiteral("spnObjetivo"));
    spnObjetivo->setRange(1, 1000);
    spnObjetivo->setValue(static_cast<int>(practica::kObjetivoPorOmision));
    spnObjetivo->setSuffix(QStringLiteral(" ppm netas"));
    spnObjetivo->setGeometry(660, 36, 124, 22);
    etiqueta("&Objetivo:", 600, 36, 60, spnObjetivo);

    chkVerTeclado = new QCheckBox(QStringLiteral("&Ver teclado"), tira_);
    chkVerTeclado->setObjectName(QStringLiteral("chkVerTeclado"));
    chkVerTeclado->setGeometry(8, 64, 120, 22);
    chkVerTeclado->setChecked(true);
    // Outside the strip: it stops a run. No accelerator: Alt is a key being practised.
    btnEmpezar = new QPushButton(QStringLiteral("Empezar (F6)"), this);
    btnEmpezar->setObjectName(QStringLiteral("btnEmpezar"));
    btnEmpezar->setGeometry(660, 62, 124, 26);
    btnEmpezar->setAutoDefault(false);
    btnEmpezar->setFocusPolicy(Qt::NoFocus);
    btnAbrir->setAutoDefault(false);

    // ---- the exercise area, laid out as the main window's client area
    auto* escena = new QWidget(this);
    escena->setObjectName(QStringLiteral("escena"));
    escena->setGeometry(0, kAltoAjustes, 792, 554);
    imgManos = piezas::Manos(escena, "imgManos");
    imgManosPintadas = piezas::Manos(escena, "imgManosPintadas");
    panelTeclado = new PanelTeclado(escena);
    panelTeclado->move(8, 32);
    panelTeclado->PintarTeclado(cfg_.PintarTecladoActivo);
    panelCabecera = piezas::Cabecera(escena, "panelCabecera", &lblReloj);
    lblLinea = piezas::Linea(escena);
    lblTextoOrigen = piezas::EtiquetaTexto(escena, "lblTextoOrigen", QStringLiteral("Texto a copiar"));
    lblTextoEscrito = piezas::EtiquetaTexto(escena, "lblTextoEscrito", QStringLiteral("Texto escrito"));
    piezas::ColocarTextos(lblTextoOrigen, lblTextoEscrito, false);
    piezas::FondoTextos(palette(), lblTextoOrigen, lblTextoEscrito);

    edtTexto = new QPlainTextEdit(escena);
    edtTexto->setObjectName(QStringLiteral("edtTexto"));
    edtTexto->setGeometry(8, 30, 775, 360);
    edtTexto->setFont(lblTextoOrigen->font());
    edtTexto->setTabChangesFocus(false);
    edtTexto->setPlaceholderText(QStringLiteral("Escriba o pegue aquí su texto (hasta 20000 caracteres), o ábralo de un fichero .txt."));
    lblAvisos = new QLabel(escena);
    lblAvisos->setObjectName(QStringLiteral("lblAvisos"));
    lblAvisos->setGeometry(8, 396, 640, 154);
    lblAvisos->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAvisos->setTextFormat(Qt::PlainText);
    lblAvisos->setWordWrap(true);
    btnReemplazar = new QPushButton(QStringLiteral("&Reemplazar"), escena);
    btnReemplazar->setObjectName(QStringLiteral("btnReemplazar"));
    btnReemplazar->setGeometry(656, 396, 127, 26);
    btnReemplazar->setAutoDefault(false);
    btnReemplazar->setToolTip(QStringLiteral("Cambia las comillas, rayas, puntos suspensivos, espacios especiales, "
                                             "tabuladores y el símbolo del euro por lo que el teclado escribe"));

    // In the practice window only Esc and F6 do anything.
    for (const char* n : {"btnESC", "btnF6"}) panelTeclado->Tecla(n)->PonerColor(piezas::kGrisMedio);
    panelTeclado->Tecla("btnESC")->PonerPista(QStringLiteral("Cancelar escritura"));
    panelTeclado->Tecla("btnF6")->PonerPista(QStringLiteral("Empezar"));
    panelTeclado->Tecla("btnF6")->PonerMostrarPista(true);

    Reloj = new QTimer(this);
    Reloj->setObjectName(QStringLiteral("Reloj"));
    Reloj->setInterval(100);
    Reloj->setTimerType(Qt::PreciseTimer);
    connect(Reloj, &QTimer::timeout, this, &TfrmPractica::RelojTimer);
    analisis_ = new QTimer(this);
    analisis_->setSingleShot(true);
    analisis_->setInterval(150);
    connect(analisis_, &QTimer::timeout, this, [this] { AnalizarTextoPropio(); });

    // F6 from anywhere in the window, the editor included.
    auto* f6 = new QShortcut(QKeySequence(Qt::Key_F6), this);
    f6->setContext(Qt::WindowShortcut);
    connect(f6, &QShortcut::activated, this, &TfrmPractica::Alternar);
    connect(btnEmpezar, &QPushButton::clicked, this, &TfrmPractica::Alternar);
    connect(panelTeclado->Tecla("btnF6"), &Panel::Pulsado, this, &TfrmPractica::Alternar);
    connect(btnAbrir, &QPushButton::clicked, this, &TfrmPractica::AbrirFichero);
    connect(btnReemplazar, &QPushButton::clicked, this, &TfrmPractica::ReemplazarTipograficos);
    connect(edtTexto, &QPlainTextEdit::textChanged, analisis_, qOverload<>(&QTimer::start));
    connect(cmbOrigen, &QComboBox::currentIndexChanged, this, &TfrmPractica::CambioDeOrigen);
    connect(cmbPasaje, &QComboBox::currentIndexChanged, this, &TfrmPractica::MostrarEspera);
    connect(chkVerTeclado, &QCheckBox::toggled, this, &TfrmPractica::MostrarEspera);
    connect(rbCronometrada, &QRadioButton::toggled, this, &TfrmPractica::ActualizarTitulo);

    if (ajustes_) practicaLeida_ = LeerPractica(*ajustes_);
    spnPenalizacion->setValue(practicaLeida_.Penalizacion);
    spnObjetivo->setValue(practicaLeida_.Objetivo);
    cmbMinutos->setCurrentIndex(std::max(0, cmbMinutos->findData(practicaLeida_.Minutos)));
    chkVerTeclado->setChecked(practicaLeida_.VerTeclado);

    // The marks and the guide work on the page on screen; the live figures on the whole run.
    AjustesAyudas marcas = ayudasAjustes_;
    marcas.VelocidadYAciertos = false;
    if (marcas.Alguna()) {
        ayudas_ = std::make_unique<AyudasEscritura>(panelTeclado, lblTextoOrigen, lblTextoEscrito, panelCabecera, &Traductor);
        ayudas_->PonerAjustes(marcas);
    }
    if (ayudasAjustes_.VelocidadYAciertos) {
        lblCifras = new Panel(panelCabecera);
        lblCifras->setObjectName(QStringLiteral("lblVelocidadYAciertos"));
        lblCifras->setGeometry(panelCabecera->width() - 2 - 104, 2, 104, 18);
        lblCifras->PonerBiselExterior(Panel::Bisel::Ninguno);
        lblCifras->PonerBiselInterior(Panel::Bisel::Hundido);
        lblCifras->setAttribute(Qt::WA_OpaquePaintEvent, true);
        lblCifras->hide();
    }

    Preparar(Origen::Propio, false);
}

TfrmPractica::~TfrmPractica() = default;

AjustesPractica TfrmPractica::AjustesActuales() const {
    AjustesPractica a;
    a.Penalizacion = spnPenalizacion->value();
    a.Objetivo = spnObjetivo->value();
    a.Minutos = static_cast<int>(Minutos());
    a.VerTeclado = chkVerTeclado->isChecked();
    return a;
}

void TfrmPractica::done(int resultado) {
    Abandonar();
    const AjustesPractica a = AjustesActuales();
    if (ajustes_ && a != practicaLeida_) {
        PonerPractica(*ajustes_, a);
        QString error;
        if (ajustes_->Guardar(&error)) practicaLeida_ = a;
        else LaPlataforma().MostrarError(this, error);
    }
    QDialog::done(resultado);
}

void TfrmPractica::ActualizarCifras() {
    if (!lblCifras) return;
    const auto s = iniciado_ ? static_cast<unsigned>(cronometro_.elapsed() / 1000) : 0u;
    lblCifras->PonerTitulo(QString::fromStdString(practica::TextoEnVivo(practica::CalcularEnVivo(TextoEscrito, Texto, s))));
}

// ---------------------------------------------------------------- set-up

TfrmPractica::Origen TfrmPractica::OrigenActual() const { return static_cast<Origen>(cmbOrigen->currentIndex()); }
bool TfrmPractica::Cronometrada() const { return rbCronometrada->isChecked(); }
unsigned TfrmPractica::Minutos() const { return cmbMinutos->currentData().toUInt(); }

void TfrmPractica::Preparar(Origen origen, bool cronometrada) {
    (cronometrada ? rbCronometrada : rbCompleto)->setChecked(true);
    if (cmbOrigen->currentIndex() == static_cast<int>(origen)) CambioDeOrigen();
    else cmbOrigen->setCurrentIndex(static_cast<int>(origen));
    ActualizarTitulo();
}

void TfrmPractica::AsignarTeclasDebiles(std::string caracteres, std::uint64_t pulsaciones) {
    debilesLeidas_ = true;
    teclasDebiles_ = std::move(caracteres);
    pulsacionesRegistradas_ = pulsaciones;
    repasoGeneral_ = pulsaciones < practica::kPulsacionesParaRepaso || teclasDebiles_.empty();
    repaso_.clear();
}

void TfrmPractica::PonerTeclasDebiles(std::string caracteres, std::uint64_t pulsacionesRegistradas) {
    AsignarTeclasDebiles(std::move(caracteres), pulsacionesRegistradas);
    if (OrigenActual() == Origen::Repaso) CambioDeOrigen();
}

void TfrmPractica::PonerMayusculas(bool activas) {
    Traductor.MayusculasActivas = activas;
    if (activas) panelTeclado->PanelMayusculas()->PonerColor(QColor(0, 255, 0));
}

void TfrmPractica::ActualizarTitulo() {
    const bool crono = Cronometrada();
    cmbMinutos->setEnabled(crono);
    spnPenalizacion->setEnabled(crono);
    spnObjetivo->setEnabled(crono);
    setWindowTitle(crono ? QStringLiteral("Prueba cronometrada")
                   : OrigenActual() == Origen::Repaso ? QStringLiteral("Repaso")
                                                      : QStringLiteral("Texto libre"));
}

void TfrmPractica::NuevoRepaso() {
    const std::string_view objetivos = repasoGeneral_ ? practica::TodoElTeclado() : std::string_view(teclasDebiles_);
    repaso_ = practica::GenerarRepaso(objetivos, QRandomGenerator::global()->generate());
}

void TfrmPractica::CambioDeOrigen() {
    const Origen o = OrigenActual();
    cmbPasaje->setVisible(o == Origen::Pasaje);
    btnAbrir->setVisible(o == Origen::Propio);
    if (o == Origen::Repaso && !debilesLeidas_ && LeerTeclasDebiles) {
        auto [caracteres, pulsaciones] = LeerTeclasDebiles();
        AsignarTeclasDebiles(std::move(caracteres), pulsaciones);
    }
    if (o == Origen::Repaso && repaso_.empty()) NuevoRepaso();
    ActualizarTitulo();
    MostrarEspera();
    if (o == Origen::Propio && isVisible()) edtTexto->setFocus();
}

// Nothing runs: the own text's editor, or the text that will be copied.
void TfrmPractica::MostrarEspera() {
    if (EnCurso) return;
    lblLinea->hide();
    lblTextoEscrito->hide();
    lblReloj->hide();
    const Origen o = OrigenActual();
    const bool propio = o == Origen::Propio;
    edtTexto->setVisible(propio);
    lblAvisos->setVisible(propio);
    btnReemplazar->setVisible(propio);
    if (propio) {
        panelTeclado->hide();
        imgManos->hide();
        imgManosPintadas->hide();
        lblTextoOrigen->hide();
        panelCabecera->PonerTitulo(QStringLiteral("Texto propio: escríbalo o péguelo abajo, o ábralo de un fichero .txt"));
        AnalizarTextoPropio();
        return;
    }
    if (o == Origen::Pasaje) {
        const int v = cmbPasaje->currentData().toInt();
        const catalogo::Posicion p{static_cast<std::uint16_t>(v / 10000), static_cast<std::uint16_t>(v / 100 % 100),
                                   static_cast<std::uint16_t>(v % 100)};
        Texto = std::string(catalogo::Texto(p));
        panelCabecera->PonerTitulo(DeCp1252(practica::Cabecera(p)));
    } else {
        Texto = repaso_;
        if (!repasoGeneral_)
            panelCabecera->PonerTitulo(DeCp1252(practica::CabeceraRepaso(teclasDebiles_)));
        else if (pulsacionesRegistradas_ >= practica::kPulsacionesParaRepaso)
            panelCabecera->PonerTitulo(QStringLiteral("Las estadísticas no muestran teclas débiles: repaso general de todo el teclado"));
        else
            panelCabecera->PonerTitulo(
                QStringLiteral("Aún hay pocas pulsaciones registradas (%1 de %2) para saber cuáles son sus teclas débiles: repaso general de todo el teclado")
                    .arg(pulsacionesRegistradas_)
                    .arg(practica::kPulsacionesParaRepaso));
    }
    ColocarTeclado();
    lineas_.clear();
    pagina_ = static_cast<std::size_t>(-1);
    MostrarPagina();
    lblTextoOrigen->show();
}

// The keyboard and hands as "Ver teclado" says, and the texts where they then go.
bool TfrmPractica::ColocarTeclado() {
    const bool teclado = chkVerTeclado->isChecked();
    panelTeclado->setVisible(teclado);
    if (teclado) MostrarManos();
    else {
        imgManos->hide();
        imgManosPintadas->hide();
    }
    piezas::ColocarTextos(lblTextoOrigen, lblTextoEscrito, !teclado);
    return teclado;
}

void TfrmPractica::MostrarManos() { piezas::MostrarManos(cfg_.VerManos, imgManos, imgManosPintadas, manosDecodificadas_); }

std::optional<std::string> TfrmPractica::AnalizarTextoPropio() {
    analisis_->stop();
    const std::u32string texto = practica::NormalizarSaltos(DelEditor(edtTexto));
    const std::vector<practica::NoTecleable> lista = practica::NoTecleables(texto);
    QStringList l;
    bool reemplazables = false;
    if (!lista.empty()) {
        l << QStringLiteral("Caracteres que el teclado español no puede escribir (cámbielos para poder empezar):");
        for (std::size_t i = 0; i < lista.size() && i < kMaxListados; ++i) {
            const practica::NoTecleable& n = lista[i];
            QString linea = QStringLiteral("   %1  (%2): %3 %4")
                                .arg(QString::fromStdString(practica::NombreCaracter(n.caracter)), Codigo(n.caracter))
                                .arg(n.veces)
                                .arg(n.veces == 1 ? QStringLiteral("vez") : QStringLiteral("veces"));
            if (!n.reemplazo.empty()) {
                reemplazables = true;
                const QString r = QString::fromStdU32String(std::u32string(n.reemplazo));
                linea += QStringLiteral("  \u2192  ") + (r == QStringLiteral(" ") ? QStringLiteral("espacio") : r);
            }
            l << linea;
        }
        if (lista.size() > kMaxListados) l << QStringLiteral("   y %1 más.").arg(lista.size() - kMaxListados);
        for (std::size_t i = kMaxListados; i < lista.size(); ++i) reemplazables |= !lista[i].reemplazo.empty();
    }
    std::optional<std::string> listo;
    if (texto.size() > practica::kMaxCaracteres)
        l << QStringLiteral("El texto tiene %1 caracteres; el máximo es %2.").arg(texto.size()).arg(practica::kMaxCaracteres);
    else if (texto.empty())
        l << QStringLiteral("Aún no hay texto.");
    else if (lista.empty()) {
        listo = practica::TextoDelTeclado(texto);
        l << QStringLiteral("%1 caracteres. Pulse F6 para empezar.").arg(texto.size());
    }
    lblAvisos->setText(l.join(QLatin1Char('\n')));
    btnReemplazar->setEnabled(reemplazables);
    return listo;
}

void TfrmPractica::ReemplazarTipograficos() {
    const std::u32string r = practica::Reemplazar(DelEditor(edtTexto));
    // Through the cursor, so that Ctrl+Z brings the text back.
    QTextCursor c(edtTexto->document());
    c.select(QTextCursor::Document);
    c.insertText(QString::fromStdU32String(r));
    AnalizarTextoPropio();
}

void TfrmPractica::AbrirFichero() {
    const QString ruta = LaPlataforma().ElegirFichero(this, QStringLiteral("Abrir un texto"),
                                                      QStringLiteral("Textos (*.txt);;Todos los ficheros (*)"));
    if (ruta.isEmpty()) return;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        LaPlataforma().MostrarError(this, QStringLiteral("No se puede leer %1: %2").arg(ruta, f.errorString()));
        return;
    }
    if (f.size() > kMaxBytesFichero) {
        LaPlataforma().MostrarMensaje(this, QStringLiteral("%1 es demasiado grande para ser un texto de práctica "
                                                           "(como mucho %2 caracteres).").arg(ruta).arg(practica::kMaxCaracteres));
        return;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        LaPlataforma().MostrarError(this, QStringLiteral("No se puede leer %1: %2").arg(ruta, f.errorString()));
        return;
    }
    std::u32string texto = practica::NormalizarSaltos(practica::DecodificarFichero(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    const std::size_t total = texto.size();
    if (total > practica::kMaxCaracteres) texto.resize(practica::kMaxCaracteres);
    std::replace(texto.begin(), texto.end(), U'\r', U'\n');
    edtTexto->setPlainText(QString::fromStdU32String(texto));
    AnalizarTextoPropio();
    if (total > practica::kMaxCaracteres)
        LaPlataforma().MostrarMensaje(this, QStringLiteral("El fichero tiene %1 caracteres: se han cargado los %2 primeros.")
                                                .arg(total).arg(practica::kMaxCaracteres));
}

// ---------------------------------------------------------------- run

void TfrmPractica::Alternar() {
    if (EnCurso) Abandonar();
    else Empezar();
}

void TfrmPractica::Empezar() {
    std::string texto;
    if (OrigenActual() == Origen::Propio) {
        const std::optional<std::string> t = AnalizarTextoPropio();
        if (!t) {
            LaPlataforma().MostrarMensaje(this, QStringLiteral("Todavía no se puede empezar:\n\n") + lblAvisos->text());
            return;
        }
        texto = *t;
    } else {
        texto = Texto;
    }
    if (texto.empty()) return;
    if (Cronometrada() && practica::TextoCortoParaPrueba(texto.size(), Minutos()) &&
        !LaPlataforma().Preguntar(this, QStringLiteral("El texto tiene %1 caracteres: a %2 pulsaciones por minuto se acaba antes "
                                                       "de los %3 minutos de la prueba, y la prueba terminará al acabar el texto.\n\n"
                                                       "¿Empezar de todos modos?")
                                            .arg(texto.size()).arg(practica::kPpmMaximas).arg(Minutos())))
        return;

    Texto = std::move(texto);
    registro_.Descartar();
    if (OrigenActual() == Origen::Propio)
        panelCabecera->PonerTitulo(QStringLiteral("Texto propio: %1 caracteres").arg(Texto.size()));
    TextoEscrito.clear();
    Brutas = 0;
    iniciado_ = false;
    duracionMs_ = Cronometrada() ? static_cast<qint64>(Minutos()) * 60000 : 0;
    EnCurso = true;
    tira_->setEnabled(false);
    edtTexto->hide();
    lblAvisos->hide();
    btnReemplazar->hide();
    const bool teclado = ColocarTeclado();
    lblLinea->move(3, piezas::AlturaLinea(!teclado));
    lblLinea->show();
    lineas_.clear();
    pagina_ = static_cast<std::size_t>(-1);
    MostrarPagina();
    lblTextoEscrito->clear();
    lblTextoOrigen->show();
    lblTextoEscrito->show();
    lblReloj->PonerTitulo(QString::fromStdString(duracionMs_ ? practica::TextoCuentaAtras(static_cast<std::uint64_t>(duracionMs_))
                                                             : practica::TextoReloj(0, 0, 0)));
    lblReloj->show();
    if (lblCifras) {
        ActualizarCifras();
        lblCifras->show();
    }
    btnEmpezar->setText(QStringLiteral("Parar (F6)"));
    panelTeclado->Tecla("btnF6")->PonerPista(QStringLiteral("Parar"));
    Reloj->start();
    setFocus();
}

// The run ends without a result: F6, or the window closed.
void TfrmPractica::Abandonar() {
    if (!EnCurso) return;
    Reloj->stop();
    EnCurso = false;
    TerminarIntento(estadisticas::Resultado::Abandonado);
    TerminarAyudas();
    tira_->setEnabled(true);
    btnEmpezar->setText(QStringLiteral("Empezar (F6)"));
    panelTeclado->Tecla("btnF6")->PonerPista(QStringLiteral("Empezar"));
    MostrarEspera();
}

void TfrmPractica::Acabar(bool porTiempo) {
    Reloj->stop();
    const std::uint64_t ms = porTiempo ? static_cast<std::uint64_t>(duracionMs_)
                                       : iniciado_ ? static_cast<std::uint64_t>(cronometro_.elapsed()) : 0;
    QString caja;
    if (duracionMs_) {
        const practica::ResultadoPrueba r =
            practica::Puntuar(TextoEscrito, Texto, Brutas, ms, static_cast<unsigned>(spnPenalizacion->value()),
                              static_cast<unsigned>(spnObjetivo->value()));
        std::string s = "Prueba cronometrada de " + std::to_string(duracionMs_ / 60000) +
                        (duracionMs_ == 60000 ? " minuto: " : " minutos: ") +
                        (porTiempo ? "se acab\xF3 el tiempo." : "se acab\xF3 el texto.");
        for (const std::string& l : practica::LineasResultado(r)) s += "\r" + l;
        TerminarIntento(r.apto ? estadisticas::Resultado::Correcto : estadisticas::Resultado::Incorrecto);
        piezas::SonidoResultado(cfg_.SonidoLeccionActivo != 0, r.apto);
        caja = DeCp1252(s);
    } else {
        const bool correcta = TextoEscrito == Texto;
        TerminarIntento(correcta ? estadisticas::Resultado::Correcto : estadisticas::Resultado::Incorrecto);
        piezas::SonidoResultado(cfg_.SonidoLeccionActivo != 0, correcta);
        caja = DeCp1252(practica::TextoMensaje(correcta ? "Copia correcta." : "Copia incorrecta.",
                                               practica::LineaPrecision(practica::Precision(TextoEscrito, Texto)),
                                               practica::LineaVelocidad(practica::PorMinuto(static_cast<long long>(TextoEscrito.size()), ms))));
    }
    EnCurso = false;
    LaPlataforma().MostrarMensaje(this, caja);
    TerminarAyudas();
    tira_->setEnabled(true);
    btnEmpezar->setText(QStringLiteral("Empezar (F6)"));
    panelTeclado->Tecla("btnF6")->PonerPista(QStringLiteral("Empezar"));
    if (OrigenActual() == Origen::Repaso) NuevoRepaso();  // a new drill each time
    MostrarEspera();
}

void TfrmPractica::TerminarIntento(estadisticas::Resultado resultado) {
    std::optional<estadisticas::Intento> in = registro_.Terminar(resultado, TextoEscrito.size());
    if (in && AlTerminarIntento) AlTerminarIntento(std::move(*in));
}

void TfrmPractica::TerminarAyudas() {
    if (ayudas_) ayudas_->Terminar();
    if (lblCifras) lblCifras->hide();
}

void TfrmPractica::RelojTimer() {
    if (!EnCurso || !iniciado_) return;
    const qint64 t = cronometro_.elapsed();
    ActualizarCifras();
    if (duracionMs_) {
        if (t >= duracionMs_) {
            lblReloj->PonerTitulo(QString::fromStdString(practica::TextoCuentaAtras(0)));
            Acabar(true);
            return;
        }
        lblReloj->PonerTitulo(QString::fromStdString(practica::TextoCuentaAtras(static_cast<std::uint64_t>(duracionMs_ - t))));
    } else {
        const auto s = static_cast<unsigned>(t / 1000);
        lblReloj->PonerTitulo(QString::fromStdString(practica::TextoReloj(s / 3600, s / 60 % 60, s % 60)));
    }
}

// The page of the text that holds the next character to type.
void TfrmPractica::MostrarPagina() {
    if (lineas_.empty()) {
        const QFontMetrics fm(lblTextoOrigen->font());
        // A column to spare: the label's own wrapping then never needs more lines than these.
        const int columnas = std::max(10, lblTextoOrigen->width() / std::max(1, fm.horizontalAdvance(QLatin1Char('M'))) - 1);
        lineasPorPagina_ = std::max(1, lblTextoOrigen->height() / std::max(1, fm.lineSpacing()));
        lineas_ = practica::InicioLineas(Texto, static_cast<std::size_t>(columnas), true);
    }
    const std::size_t pos = std::min(TextoEscrito.size(), Texto.empty() ? 0 : Texto.size() - 1);
    const auto linea = static_cast<std::size_t>(std::upper_bound(lineas_.begin(), lineas_.end(), pos) - lineas_.begin() - 1);
    const std::size_t pagina = linea / static_cast<std::size_t>(lineasPorPagina_);
    if (pagina == pagina_) return;
    pagina_ = pagina;
    const std::size_t primera = pagina * static_cast<std::size_t>(lineasPorPagina_);
    const std::size_t siguiente = primera + static_cast<std::size_t>(lineasPorPagina_);
    inicioPagina_ = lineas_[primera];
    const std::size_t fin = siguiente < lineas_.size() ? lineas_[siguiente] : Texto.size();
    const std::string_view texto = std::string_view(Texto).substr(inicioPagina_, fin - inicioPagina_);
    lblTextoOrigen->setText(DeCp1252(practica::TextoAMostrar(texto)));
    if (EnCurso && ayudas_) ayudas_->Empezar(texto, panelTeclado->isVisible());
}

void TfrmPractica::MostrarEscrito() {
    MostrarPagina();
    const std::string_view copia = std::string_view(TextoEscrito).substr(std::min(inicioPagina_, TextoEscrito.size()));
    lblTextoEscrito->setText(DeCp1252(copia));
    if (ayudas_) ayudas_->Tecla(copia);
    ActualizarCifras();
}

void TfrmPractica::TeclaPulsada(std::uint16_t vk, std::uint8_t mods) {
    const teclado::FilaTecla* fila = nullptr;
    const std::string t = Traductor.Pulsar(vk, mods, &fila);
    if (fila) {
        panelTeclado->Hundir(*fila);
        if (fila->tipo == teclado::Tipo::BloqMayus)
            panelTeclado->PanelMayusculas()->PonerColor(Traductor.MayusculasActivas ? QColor(0, 255, 0) : QColor());
    }
    if (!EnCurso) return;
    if (cfg_.SonidoTeclaActivo && practica::TeclaConClic(vk)) LaPlataforma().Pitido();
    if (vk == teclado::VK_ESCAPE) {
        // A whole copy starts again: the next key starts a new attempt. A timed test goes on.
        if (!duracionMs_) TerminarIntento(estadisticas::Resultado::Abandonado);
        TextoEscrito.clear();
        MostrarEscrito();
        return;
    }
    // Kept in memory only: nothing here touches a file.
    if (!registro_.Activo())
        registro_.Empezar(duracionMs_ ? estadisticas::Origen::Prueba
                          : OrigenActual() == Origen::Repaso ? estadisticas::Origen::Repaso
                                                             : estadisticas::Origen::Libre,
                          std::nullopt, Texto);
    registro_.Pulsar(vk, mods, t, TextoEscrito.size());
    if (t.empty()) return;
    if (t.size() == 1 && t[0] == '\b') {
        if (TextoEscrito.empty()) return;
        TextoEscrito.pop_back();
    } else {
        if (!iniciado_) {
            iniciado_ = true;
            cronometro_.start();
        }
        TextoEscrito += t;
        Brutas += static_cast<unsigned>(t.size());
    }
    MostrarEscrito();
    // On screen before the end of the text and its result box.
    lblTextoEscrito->repaint();
    if (TextoEscrito.size() >= Texto.size()) Acabar(false);
}

void TfrmPractica::TeclaSoltada(std::uint16_t vk, std::uint8_t) {
    if (const teclado::FilaTecla* fila = teclado::BuscarFila(vk)) panelTeclado->Levantar(*fila);
}

// ---------------------------------------------------------------- window events

void TfrmPractica::keyPressEvent(QKeyEvent* e) {
    // Idle, Ctrl+C copies the heading and the text to copy, as the message boxes copy theirs.
    if (!EnCurso && e->matches(QKeySequence::Copy) && OrigenActual() != Origen::Propio) {
        QGuiApplication::clipboard()->setText(panelCabecera->Titulo() + QLatin1Char('\n') + DeCp1252(Texto));
        e->accept();
        return;
    }
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    bool esc = false;
    const bool enCurso = EnCurso;
    for (int i = 0; i < n; ++i) {
        TeclaPulsada(ev[i].vk, ev[i].modificadores);
        esc |= ev[i].vk == teclado::VK_ESCAPE;
    }
    e->accept();
    // Esc closes the window when nothing runs.
    if (esc && !enCurso) reject();
}

void TfrmPractica::keyReleaseEvent(QKeyEvent* e) {
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    for (int i = 0; i < n; ++i) TeclaSoltada(ev[i].vk, ev[i].modificadores);
    e->accept();
}

void TfrmPractica::closeEvent(QCloseEvent* e) {
    Abandonar();
    QDialog::closeEvent(e);
}

void TfrmPractica::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // An own text: the editor is ready for a paste at once.
    if (OrigenActual() == Origen::Propio) edtTexto->setFocus();
    else setFocus();
}

void TfrmPractica::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange && lblTextoOrigen) piezas::FondoTextos(palette(), lblTextoOrigen, lblTextoEscrito);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) panelTeclado->PonerModificadores(teclasQt_.Sincronizar());
    QDialog::changeEvent(e);
}

bool TfrmPractica::focusNextPrevChild(bool siguiente) {
    // During a run Tab is a key being practised.
    return EnCurso ? false : QDialog::focusNextPrevChild(siguiente);
}
