#include "Pulsoteclado.h"

#include <QAction>
#include <QCheckBox>
#include <QTabWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QIconEngine>
#include <QImageReader>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QTimer>

#include "AyudasEscritura.h"
#include "Configuracion.h"
#include "EligeUnidad.h"
#include "Grafico.h"
#include "Lecciones.h"
#include "SobreProg.h"
#include "Accesibilidad.h"
#include "guia/Nombres.h"
#include "platform/Jpeg.h"
#include "platform/Plataforma.h"
#include "platform/Rutas.h"
#include "platform/Texto.h"

// The pictures and the click live in a static library: their resources must be registered by hand.
static void RegistrarRecursos() { Q_INIT_RESOURCE(recursos); }

namespace {

const QColor kGrisMedio(160, 160, 164);

// Builds the base style's icon the first time it is drawn or measured.
class IconoDiferido : public QIconEngine {
public:
    IconoDiferido(QStyle* estilo, QStyle::StandardPixmap sp) : estilo_(estilo), sp_(sp) {}
    void paint(QPainter* p, const QRect& r, QIcon::Mode m, QIcon::State s) override {
        Icono().paint(p, r, Qt::AlignCenter, m, s);
    }
    QPixmap pixmap(const QSize& t, QIcon::Mode m, QIcon::State s) override { return Icono().pixmap(t, m, s); }
    QSize actualSize(const QSize& t, QIcon::Mode m, QIcon::State s) override { return Icono().actualSize(t, m, s); }
    QList<QSize> availableSizes(QIcon::Mode m, QIcon::State s) override { return Icono().availableSizes(m, s); }
    QIconEngine* clone() const override { return new IconoDiferido(*this); }

private:
    const QIcon& Icono() {
        if (!hecho_ && estilo_) icono_ = estilo_->standardIcon(sp_);
        hecho_ = true;
        return icono_;
    }
    QPointer<QStyle> estilo_;
    QStyle::StandardPixmap sp_;
    QIcon icono_;
    bool hecho_ = false;
};

class EstiloPulsoteclado : public QProxyStyle {
public:
    // Alt pressed and released alone must not move focus into the menu bar: Alt is a key being
    // practised. Alt with a menu's letter still opens the menu.
    int styleHint(StyleHint h, const QStyleOption* o, const QWidget* w, QStyleHintReturn* r) const override {
        if (h == QStyle::SH_MenuBar_AltKeyNavigation) return 0;
        return QProxyStyle::styleHint(h, o, w, r);
    }
    // The menu bar's extension button, never shown (the three menus always fit), gets its picture
    // only if it is ever drawn: reading that picture loads and probes every image plug-in.
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* o, const QWidget* w) const override {
        if (sp == SP_ToolBarHorizontalExtensionButton && !o) return QIcon(new IconoDiferido(baseStyle(), sp));
        return QProxyStyle::standardIcon(sp, o, w);
    }
};

// The program's icon, for the window and its dialogs. Read as the PNG it is: a reader left to
// guess the format loads every image plug-in first.
void PonerIconoPrograma() {
    QImageReader lector(QStringLiteral(":/imagenes/pulsoteclado.png"), "png");
    lector.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(lector.read())));
}

// The hands picture for a screen of the given device pixel ratio: the one of twice the size on a
// high-density screen, brought to the screen's exact size where the ratio is not 2, so that
// it is drawn pixel for pixel.
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

}  // namespace

TfrmPulsoteclado::TfrmPulsoteclado(QWidget* padre) : QMainWindow(padre) {
    RegistrarRecursos();
    accesibilidad::Instalar();
    setObjectName(QStringLiteral("frmPulsoteclado"));
    setWindowTitle(QStringLiteral("Pulsoteclado"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont fuente(QStringLiteral("Liberation Sans"));
    fuente.setPixelSize(11);
    setFont(fuente);
    setFocusPolicy(Qt::StrongFocus);

    auto* cliente = new QWidget(this);
    cliente->setObjectName(QStringLiteral("cliente"));
    cliente->setFixedSize(792, 554);
    cliente->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(cliente);

    // Beneath everything else: the hands pictures, decoded once, when first shown.
    imgManos = new QLabel(cliente);
    imgManos->setObjectName(QStringLiteral("imgManos"));
    imgManosPintadas = new QLabel(cliente);
    imgManosPintadas->setObjectName(QStringLiteral("imgManosPintadas"));
    for (QLabel* img : {imgManos, imgManosPintadas}) {
        img->setGeometry(24, 268, 449, 281);
        img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        img->hide();
    }

    panelTeclado = new PanelTeclado(cliente);
    panelTeclado->move(8, 32);

    panelLecciones = new Panel(cliente);
    panelLecciones->setObjectName(QStringLiteral("panelLecciones"));
    panelLecciones->setGeometry(8, 4, 775, 22);
    lblReloj = new Panel(panelLecciones);
    lblReloj->setObjectName(QStringLiteral("lblReloj"));
    lblReloj->setGeometry(2, 2, 50, 18);
    lblReloj->PonerBiselExterior(Panel::Bisel::Ninguno);
    lblReloj->PonerBiselInterior(Panel::Bisel::Hundido);
    lblReloj->hide();

    lblLinea = new QLabel(cliente);
    lblLinea->setObjectName(QStringLiteral("lblLinea"));
    lblLinea->setGeometry(3, 412, 785, 2);
    // Drawn in the text colour: black on the usual grey, light on a dark desktop.
    lblLinea->setBackgroundRole(QPalette::WindowText);
    lblLinea->setAutoFillBackground(true);
    lblLinea->hide();

    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(13);
    lblTextoOrigen = new QLabel(cliente);
    lblTextoOrigen->setObjectName(QStringLiteral("lblTextoOrigen"));
    lblTextoEscrito = new QLabel(cliente);
    lblTextoEscrito->setObjectName(QStringLiteral("lblTextoEscrito"));
    for (QLabel* l : {lblTextoOrigen, lblTextoEscrito}) {
        l->setFont(mono);
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);  // an ampersand or a "<" shows as it is
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->hide();
    }
    FondoTextos();
    // A fixed name, so that a new text is a change of value rather than of name.
    lblTextoOrigen->setAccessibleName(QStringLiteral("Texto a copiar"));
    lblTextoEscrito->setAccessibleName(QStringLiteral("Texto escrito"));
    lblTextoOrigen->setGeometry(8, 280, 775, 130);
    lblTextoEscrito->setGeometry(8, 416, 775, 130);

    Reloj = new QTimer(this);
    Reloj->setObjectName(QStringLiteral("Reloj"));
    Reloj->setTimerType(Qt::PreciseTimer);
    connect(Reloj, &QTimer::timeout, this, &TfrmPulsoteclado::RelojTimer);

    CrearMenu();

    // The command strip: a click runs the same command as the menu and the shortcut.
    connect(Boton("btnF1"), &Panel::Pulsado, this, &TfrmPulsoteclado::MostrarSobrePrograma);
    connect(Boton("btnF5"), &Panel::Pulsado, this, &TfrmPulsoteclado::ElegirEjercicio);
    connect(Boton("btnF6"), &Panel::Pulsado, this, &TfrmPulsoteclado::AlternarEjercicio);
    connect(Boton("btnF7"), &Panel::Pulsado, this, &TfrmPulsoteclado::MostrarGrafico);
    connect(Boton("btnF9"), &Panel::Pulsado, this, [this] { Configurar(0); });
    connect(Boton("btnF10"), &Panel::Pulsado, this, [this] { Configurar(1); });
    const std::pair<const char*, const char*> pistas[] = {
        {"btnESC", "Cancelar escritura"}, {"btnF1", "Sobre el programa"}, {"btnF5", "Abrir lección"},
        {"btnF6", "Empezar ejercicio"},   {"btnF7", "Ver gráfico"},       {"btnF9", "Configurar pantalla"},
        {"btnF10", "Configurar sonidos"}};
    for (const auto& [n, pista] : pistas) Boton(n)->PonerPista(QString::fromUtf8(pista));

    setFixedSize(792, 554 + menuBar()->sizeHint().height());
    FormCreate();
}

TfrmPulsoteclado::~TfrmPulsoteclado() = default;

void TfrmPulsoteclado::AplicarAyudas(const AjustesAyudas& a) {
    if (!ayudas_ && !a.Alguna()) return;
    if (!ayudas_)
        ayudas_ = std::make_unique<AyudasEscritura>(panelTeclado, lblTextoOrigen, lblTextoEscrito, panelLecciones, &Traductor);
    ayudas_->PonerAjustes(a);
}

void TfrmPulsoteclado::CrearMenu() {
    // The application's style, set before the menu bar exists: the bar takes its extension
    // button's picture from it when it is made.
    if (!dynamic_cast<EstiloPulsoteclado*>(QApplication::style())) QApplication::setStyle(new EstiloPulsoteclado);
    auto item = [this](QMenu* m, const char* texto, int tecla, void (TfrmPulsoteclado::*orden)()) {
        QAction* a = m->addAction(QString::fromUtf8(texto));
        if (tecla) a->setShortcut(QKeySequence(tecla));
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, orden);
        return a;
    };
    QMenu* fichero = menuBar()->addMenu(QStringLiteral("&Fichero"));
    menuAbrir = item(fichero, "&Abrir Lección...", Qt::Key_F5, &TfrmPulsoteclado::ElegirEjercicio);
    menuEmpezar = item(fichero, "&Empezar", Qt::Key_F6, &TfrmPulsoteclado::AlternarEjercicio);
    menuGrafico = item(fichero, "&Gráfico...", Qt::Key_F7, &TfrmPulsoteclado::MostrarGrafico);
    fichero->addSeparator();
    menuTerminar = item(fichero, "&Terminar", 0, &TfrmPulsoteclado::Terminar);
    QMenu* cfg = menuBar()->addMenu(QStringLiteral("&Configuración"));
    menuCfgPantalla = cfg->addAction(QStringLiteral("&Pantalla..."));
    menuCfgPantalla->setShortcut(QKeySequence(Qt::Key_F9));
    connect(menuCfgPantalla, &QAction::triggered, this, [this] { Configurar(0); });
    menuCfgSonidos = cfg->addAction(QStringLiteral("&Sonidos..."));
    menuCfgSonidos->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuCfgSonidos, &QAction::triggered, this, [this] { Configurar(1); });
    menuCfgAyudas = cfg->addAction(QStringLiteral("&Ayudas..."));
    connect(menuCfgAyudas, &QAction::triggered, this, [this] { Configurar(2); });
    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("&Ayuda"));
    menuSobreProg = item(ayuda, "Sobre el programa...", Qt::Key_F1, &TfrmPulsoteclado::MostrarSobrePrograma);
    menuAbrir->setObjectName(QStringLiteral("menuAbrir"));
    menuEmpezar->setObjectName(QStringLiteral("menuEmpezar"));
    menuGrafico->setObjectName(QStringLiteral("menuGrafico"));
    menuTerminar->setObjectName(QStringLiteral("menuTerminar"));
    menuCfgPantalla->setObjectName(QStringLiteral("menuCfgPantalla"));
    menuCfgSonidos->setObjectName(QStringLiteral("menuCfgSonidos"));
    menuCfgAyudas->setObjectName(QStringLiteral("menuCfgAyudas"));
    menuSobreProg->setObjectName(QStringLiteral("menuSobreProg"));
}

void TfrmPulsoteclado::FormCreate() {
    CargarConfiguracion();
    ajustes_ = std::make_unique<::Ajustes>();
    AplicarAyudas(LeerAyudas(*ajustes_));
    Traductor.Reiniciar();
    EnEjercicio = false;
    Escritos = 0;
    SiguienteEjercicio();
    Boton("btnESC")->PonerMostrarPista(false);
    PonerModoEspera();
}

// ---------------------------------------------------------------- commands

void TfrmPulsoteclado::PintarModo(bool ejercicio) {
    // F6 stays grey and available in both modes; the other five follow the mode.
    const QColor cara = palette().color(QPalette::Button);
    for (const char* n : {"btnF1", "btnF5", "btnF6", "btnF7", "btnF9", "btnF10"}) {
        const bool activo = !ejercicio || std::string_view(n) == "btnF6";
        Boton(n)->PonerColor(activo ? kGrisMedio : cara);
        Boton(n)->PonerMostrarPista(activo);
    }
    Boton("btnF6")->PonerPista(ejercicio ? QStringLiteral("Terminar ejercicio") : QStringLiteral("Empezar ejercicio"));
}

void TfrmPulsoteclado::PonerModoEspera() { PintarModo(false); }
void TfrmPulsoteclado::PonerModoEjercicio() { PintarModo(true); }

void TfrmPulsoteclado::Terminar() { close(); }

void TfrmPulsoteclado::MostrarMensaje(std::string_view l1, std::string_view l2, std::string_view l3,
                                      std::string_view l4, std::string_view l5) {
    const QString texto = DeCp1252(practica::TextoMensaje(l1, l2, l3, l4, l5));
    if (Hablando()) LaPlataforma().Decir(texto);  // the verdict, read while its box is open
    LaPlataforma().MostrarMensaje(this, texto);
}

void TfrmPulsoteclado::ElegirEjercicio() {
    if (!Boton("btnF5")->MostrarPista()) return;
    {
        TfrmLecciones dialogo(this);
        dialogo.Llenar(Configuracion.Realizados);
        if (LaPlataforma().EjecutarDialogo(dialogo) == QDialog::Accepted) {
            const catalogo::Posicion p = dialogo.PosicionElegida();
            UnidadActual = p.Unidad;
            LeccionActual = p.Leccion;
            EjercicioActual = p.Ejercicio;
        }
    }
    MostrarEjercicio();
}

void TfrmPulsoteclado::Configurar(int pagina) {
    if (!Boton("btnF9")->MostrarPista()) return;
    TfrmConfiguracion dialogo(this);
    dialogo.tabConfig->setCurrentIndex(pagina);
    dialogo.radioManos->PonerItemIndex(Configuracion.VerManos);
    dialogo.radioTeclado->PonerItemIndex(Configuracion.PintarTecladoActivo);
    dialogo.chkSonidoTecla->setChecked(Configuracion.SonidoTeclaActivo != 0);
    dialogo.chkSonidoLeccion->setChecked(Configuracion.SonidoLeccionActivo != 0);
    const AjustesAyudas ayudas = ayudas_ ? ayudas_->Ajustes() : AjustesAyudas{};
    dialogo.chkSiguienteTecla->setChecked(ayudas.SiguienteTecla);
    dialogo.PonerEsperaSiguienteTecla(ayudas.EsperaSiguienteTecla);
    dialogo.chkMarcarErrores->setChecked(ayudas.MarcarErrores);
    dialogo.chkVelocidadYAciertos->setChecked(ayudas.VelocidadYAciertos);
    dialogo.chkGuiaHablada->setChecked(ayudas.GuiaHablada);
    if (LaPlataforma().EjecutarDialogo(dialogo) != QDialog::Accepted) return;
    Configuracion.VerManos = static_cast<std::uint8_t>(dialogo.radioManos->ItemIndex());
    Configuracion.PintarTecladoActivo = static_cast<std::uint8_t>(dialogo.radioTeclado->ItemIndex());
    Configuracion.SonidoTeclaActivo = dialogo.chkSonidoTecla->isChecked() ? 1 : 0;
    Configuracion.SonidoLeccionActivo = dialogo.chkSonidoLeccion->isChecked() ? 1 : 0;
    AplicarPantalla();
    AjustesAyudas nuevas;
    nuevas.SiguienteTecla = dialogo.chkSiguienteTecla->isChecked();
    nuevas.EsperaSiguienteTecla = dialogo.EsperaSiguienteTecla();
    nuevas.MarcarErrores = dialogo.chkMarcarErrores->isChecked();
    nuevas.VelocidadYAciertos = dialogo.chkVelocidadYAciertos->isChecked();
    nuevas.GuiaHablada = dialogo.chkGuiaHablada->isChecked();
    if (nuevas == ayudas) return;
    AplicarAyudas(nuevas);
    // The aids have a file of their own, written now; the progress file is not involved.
    PonerAyudas(*ajustes_, nuevas);
    QString error;
    if (!ajustes_->Guardar(&error)) LaPlataforma().MostrarError(this, error);
}

void TfrmPulsoteclado::MostrarGrafico() {
    if (!Boton("btnF7")->MostrarPista()) return;
    TfrmEligeUnidad elige(this);
    elige.Llenar(UnidadActual);
    if (LaPlataforma().EjecutarDialogo(elige) != QDialog::Accepted) return;
    const int u = elige.UnidadElegida();
    if (u < 1 || u > catalogo::NumUnidades) return;
    TfrmGrafico grafico(this);
    grafico.PrepararGrafico();
    grafico.setWindowTitle(QStringLiteral("Gráfico de la unidad Nº ") + QString::number(u));
    grafico.Dibujar(u, Configuracion.Realizados, Configuracion.Intentos);
    grafico.setWindowState(Qt::WindowMaximized);
    LaPlataforma().EjecutarDialogo(grafico);
}

void TfrmPulsoteclado::MostrarSobrePrograma() {
    if (!Boton("btnF1")->MostrarPista()) return;
    TfrmSobreElPrograma dialogo(this);
    LaPlataforma().EjecutarDialogo(dialogo);
}

// ---------------------------------------------------------------- exercise run

void TfrmPulsoteclado::SiguienteEjercicio() {
    const catalogo::Posicion p = practica::SiguienteEjercicio(Configuracion.Realizados);
    UnidadActual = p.Unidad;
    LeccionActual = p.Leccion;
    EjercicioActual = p.Ejercicio;
    MostrarEjercicio();
}

void TfrmPulsoteclado::ColocarTextos() {
    if (UnidadActual > 3) {
        lblTextoOrigen->setGeometry(8, 30, 775, 260);
        lblTextoEscrito->setGeometry(8, 290, 775, 260);
    } else {
        lblTextoOrigen->setGeometry(8, 280, 775, 130);
        lblTextoEscrito->setGeometry(8, 416, 775, 130);
    }
}

void TfrmPulsoteclado::MostrarEjercicio() {
    const catalogo::Posicion p = Actual();
    panelLecciones->PonerTitulo(DeCp1252(practica::Cabecera(p)));
    lblTextoOrigen->setText(DeCp1252(practica::TextoAMostrar(catalogo::Texto(p))));
    TextoEscrito.clear();
    lblTextoEscrito->clear();
    ColocarTextos();
}

void TfrmPulsoteclado::AlternarEjercicio() {
    Panel* esc = Boton("btnESC");
    if (!EnEjercicio) {
        if (UnidadActual > 3) {
            panelTeclado->hide();
            imgManos->hide();
            imgManosPintadas->hide();
            lblLinea->move(3, 285);
        } else {
            panelTeclado->show();
            MostrarManos();
            lblLinea->move(3, 412);
        }
        lblLinea->show();
        EnEjercicio = true;
        TextoEscrito.clear();
        lblTextoEscrito->clear();
        esc->PonerColor(kGrisMedio);
        esc->PonerMostrarPista(true);
        PonerModoEjercicio();
        lblTextoOrigen->show();
        lblTextoEscrito->show();
        if (UnidadActual == 5) {
            lblReloj->show();
            Tiempo.Poner();
            Reloj->start(1000);
            lblReloj->PonerTitulo(QStringLiteral("00:00"));
        }
        if (ayudas_) ayudas_->Empezar(catalogo::Texto(Actual()), UnidadActual <= 3);
        if (Hablando())
            Decir(guia::FraseInicio(Traductor, catalogo::Texto(Actual()), ayudas_->Ajustes().SiguienteTecla));
    } else {
        if (ayudas_) ayudas_->Terminar();
        if (esperaVoz_) esperaVoz_->stop();
        if (Hablando()) Decir({});
        panelTeclado->show();
        MostrarManos();
        EnEjercicio = false;
        if (Escritos > 0) almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
        Escritos = 0;
        esc->PonerColor(palette().color(QPalette::Button));
        esc->PonerMostrarPista(false);
        PonerModoEspera();
        lblTextoOrigen->hide();
        lblTextoEscrito->hide();
        if (UnidadActual == 5) {
            lblReloj->hide();
            Reloj->stop();
        }
        lblLinea->hide();
    }
}

void TfrmPulsoteclado::TeclaPulsada(std::uint16_t vk, std::uint8_t mods) {
    const teclado::FilaTecla* fila = nullptr;
    const std::string TextoTecla = Traductor.Pulsar(vk, mods, &fila);
    if (fila) {
        panelTeclado->Hundir(*fila);
        if (fila->tipo == teclado::Tipo::BloqMayus)
            panelTeclado->PanelMayusculas()->PonerColor(Traductor.MayusculasActivas ? QColor(0, 255, 0) : QColor());
    }
    if (vk == teclado::VK_ESCAPE) {
        if (EnEjercicio) {
            const QString antes = lblTextoEscrito->text();
            TextoEscrito.clear();
            lblTextoEscrito->clear();
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        if (Escritos > 0) almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
        Escritos = 0;
    }
    if (practica::TeclaConClic(vk)) SonidoTecla();
    if (!EnEjercicio) return;
    if (TextoTecla.size() == 1 && TextoTecla[0] == '\b') {
        if (!TextoEscrito.empty()) {
            TextoEscrito.pop_back();
            --Escritos;
            const QString antes = lblTextoEscrito->text();
            lblTextoEscrito->setText(DeCp1252(TextoEscrito));
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        if (ayudas_) ayudas_->Tecla(TextoEscrito);
    } else {
        TextoEscrito += TextoTecla;
        if (ayudas_) ayudas_->Tecla(TextoEscrito);  // its marks before the synchronous paint
        if (!TextoTecla.empty()) {
            const QString antes = lblTextoEscrito->text();
            lblTextoEscrito->setText(DeCp1252(TextoEscrito));
            // On screen before the completion test and before any verdict box.
            lblTextoEscrito->repaint();
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        Escritos = static_cast<std::uint16_t>(Escritos + TextoTecla.size());
    }
    const std::string_view texto = catalogo::Texto(Actual());
    if (Escritos >= texto.size()) {
        CorregirEjercicio(vk, mods);
        return;
    }
    // The spoken guide: a key that changed the copy or the pending accent cuts what was being
    // said and, with the next-key aid, names what comes next. Shift and the like say nothing.
    if (Hablando() && (!TextoTecla.empty() || vk == teclado::VK_ESCAPE || (fila && fila->tipo == teclado::Tipo::Muerta)))
        DecirSiguiente(ayudas_->Ajustes().SiguienteTecla ? guia::FraseSiguiente(Traductor, TextoEscrito, texto) : std::string());
}

void TfrmPulsoteclado::DecirSiguiente(std::string frase) {
    // The aid's wait holds for the voice as for the mark: a learner who hesitates hears it.
    const int espera = ayudas_->Ajustes().EsperaSiguienteTecla;
    if (esperaVoz_) esperaVoz_->stop();
    if (espera <= 0 || frase.empty()) {
        Decir(frase);
        return;
    }
    Decir({});  // the key cuts at once
    if (!esperaVoz_) {
        esperaVoz_ = new QTimer(this);
        esperaVoz_->setSingleShot(true);
        connect(esperaVoz_, &QTimer::timeout, this, [this] {
            if (EnEjercicio) Decir(fraseEnEspera_);
        });
    }
    fraseEnEspera_ = std::move(frase);
    esperaVoz_->start(espera);
}

bool TfrmPulsoteclado::Hablando() const {
    return ayudas_ && ayudas_->Ajustes().GuiaHablada && LaPlataforma().HayVoz();
}

void TfrmPulsoteclado::Decir(const std::string& utf8) { LaPlataforma().Decir(QString::fromStdString(utf8)); }

void TfrmPulsoteclado::TeclaSoltada(std::uint16_t vk, std::uint8_t) {
    if (const teclado::FilaTecla* fila = teclado::BuscarFila(vk)) panelTeclado->Levantar(*fila);
}

void TfrmPulsoteclado::CorregirEjercicio(std::uint16_t vk, std::uint8_t mods) {
    // The clock as it stood at this key: no tick counts while the result sound plays.
    Reloj->stop();
    const practica::Reloj tiempo = Tiempo;
    Escritos = 0;
    almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
    TeclaSoltada(vk, mods);
    const std::string_view texto = catalogo::Texto(Actual());
    if (TextoEscrito == texto) {
        SonidoResultado(true);
        std::string velocidad;
        if (UnidadActual == 5)
            velocidad = practica::LineaVelocidad(
                practica::Velocidad(TextoEscrito.size(), tiempo.Horas, tiempo.Minutos, tiempo.Segundos));
        MostrarMensaje(practica::kCorrecto,
                       practica::LineaIntentos(Configuracion.Intentos[UnidadActual - 1][LeccionActual - 1][EjercicioActual - 1]),
                       velocidad);
        lblReloj->hide();
        Configuracion.Realizados[UnidadActual - 1][LeccionActual - 1][EjercicioActual - 1] = 1;
        SiguienteEjercicio();
    } else {
        const unsigned precision = practica::Precision(TextoEscrito, texto);
        SonidoResultado(false);
        MostrarMensaje(practica::kIncorrecto, practica::kRepetir, practica::LineaPrecision(precision));
        lblReloj->hide();
    }
    AlternarEjercicio();
}

void TfrmPulsoteclado::SonidoTecla() {
    if (EnEjercicio && Configuracion.SonidoTeclaActivo) LaPlataforma().Pitido();
}

void TfrmPulsoteclado::SonidoResultado(bool correcto) {
    if (!Configuracion.SonidoLeccionActivo) return;
    const QString ruta = rutas::CarpetaPrograma() + (correcto ? QStringLiteral("/bien.wav") : QStringLiteral("/mal.wav"));
    if (!QFileInfo::exists(ruta) || !LaPlataforma().ReproducirSonido(ruta)) LaPlataforma().Pitido();
}

void TfrmPulsoteclado::RelojTimer() {
    Tiempo.Tic();
    lblReloj->PonerTitulo(QString::fromStdString(practica::TextoReloj(Tiempo.Horas, Tiempo.Minutos, Tiempo.Segundos)));
}

// ---------------------------------------------------------------- display settings

void TfrmPulsoteclado::MostrarManos() {
    auto mostrar = [](QLabel* img, const char* nombre, bool& decodificada) {
        if (!decodificada) {
            img->setPixmap(CargarManos(nombre, img->devicePixelRatioF()));
            decodificada = true;
        }
        img->show();
    };
    switch (Configuracion.VerManos) {
    case 0: imgManos->hide(); imgManosPintadas->hide(); break;
    case 1: mostrar(imgManos, "manos", manosDecodificadas_); imgManosPintadas->hide(); break;
    case 2: imgManos->hide(); mostrar(imgManosPintadas, "manos_pintadas", pintadasDecodificadas_); break;
    default: break;
    }
}

void TfrmPulsoteclado::PintarTeclado() { panelTeclado->PintarTeclado(Configuracion.PintarTecladoActivo); }

void TfrmPulsoteclado::AplicarPantalla() {
    MostrarManos();
    PintarTeclado();
}

// ---------------------------------------------------------------- progress file

void TfrmPulsoteclado::CargarConfiguracion() {
    const std::string ruta = rutas::FicheroConfiguracion().toStdString();
    try {
        const almacen::Carga r = almacen::CargarConfiguracion(ruta, Configuracion);
        AplicarPantalla();
        if (r == almacen::Carga::Corta) {
            LaPlataforma().Pitido();
            MostrarMensaje("Error en el fichero con la configuraci\xF3n.", "Se ha dejado la configuraci\xF3n por defecto.");
        }
    } catch (const almacen::ErrorFichero& e) {
        // The program goes on with the defaults in memory; the box tells why.
        almacen::ConfiguracionPorDefecto(Configuracion);
        AplicarPantalla();
        LaPlataforma().MostrarError(this, QString::fromStdString(e.what()));
    }
}

bool TfrmPulsoteclado::GuardarConfiguracion() {
    try {
        almacen::GuardarConfiguracion(rutas::FicheroConfiguracion().toStdString(), Configuracion);
        return true;
    } catch (const almacen::ErrorFichero& e) {
        LaPlataforma().MostrarError(this, QString::fromStdString(e.what()));
        return false;
    }
}

void TfrmPulsoteclado::closeEvent(QCloseEvent* e) {
    try {
        almacen::GuardarConfiguracion(rutas::FicheroConfiguracion().toStdString(), Configuracion);
    } catch (const almacen::ErrorFichero& error) {
        const QString pregunta = QString::fromStdString(error.what()) +
                                 QStringLiteral("\n\n¿Desea cerrar el programa sin guardar el progreso?");
        if (!LaPlataforma().Preguntar(this, pregunta)) {
            e->ignore();
            return;
        }
    }
    Reloj->stop();
    e->accept();
}

// ---------------------------------------------------------------- window events

void TfrmPulsoteclado::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!mostrada_) {
        mostrada_ = true;
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
        setFocus();
    }
}

void TfrmPulsoteclado::paintEvent(QPaintEvent* e) {
    QMainWindow::paintEvent(e);
    if (!sonidosPreparados_) {
        sonidosPreparados_ = true;
        // The icon and the sound output wait until the first paint of the whole window has been
        // sent to the screen: the queued call runs after the backing store is flushed.
        QTimer::singleShot(0, this, [this] {
            PonerIconoPrograma();
            LaPlataforma().PrepararSonidos();
            if (ayudas_ && ayudas_->Ajustes().GuiaHablada) LaPlataforma().HayVoz();  // on its thread
        });
    }
}

void TfrmPulsoteclado::FondoTextos() {
    // The texts lie over the hands picture, which is light: on a dark desktop their light ink
    // would vanish there, so they get a veil of the window's colour that the hands show through.
    const QPalette& pal = palette();
    const bool oscuro = pal.color(QPalette::WindowText).lightnessF() > pal.color(QPalette::Window).lightnessF();
    for (QLabel* l : {lblTextoOrigen, lblTextoEscrito}) {
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

void TfrmPulsoteclado::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) FondoTextos();
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
        teclasQt_.Sincronizar(m & Qt::ShiftModifier, m & Qt::ControlModifier, m & (Qt::AltModifier | Qt::GroupSwitchModifier));
    }
    QMainWindow::changeEvent(e);
}

void TfrmPulsoteclado::keyPressEvent(QKeyEvent* e) {
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    for (int i = 0; i < n; ++i) TeclaPulsada(ev[i].vk, ev[i].modificadores);
    e->accept();
}

void TfrmPulsoteclado::keyReleaseEvent(QKeyEvent* e) {
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    for (int i = 0; i < n; ++i) TeclaSoltada(ev[i].vk, ev[i].modificadores);
    e->accept();
}
