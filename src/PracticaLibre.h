// The practice window: the learner's own text, a passage of units 4 to 6 or a review drill,
// copied whole or in a timed test, with the main window's own pieces (the text labels, the
// on-screen keyboard, the hands, the same key translation). It never touches the progress file.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "estadisticas/Registro.h"
#include "keyboard/PanelTeclado.h"
#include "keyboard/TeclaQt.h"
#include "keyboard/Traduccion.h"
#include "platform/Ajustes.h"
#include "practica/Libre.h"
#include "store/Configuracion.h"

class AyudasEscritura;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

class TfrmPractica : public QDialog {
    Q_OBJECT
public:
    enum class Origen { Propio, Pasaje, Repaso };

    // The display and sound settings are the main window's, read only; the aids as the main
    // window has them; `ajustes` (may be null) holds the group Practica, written when the window
    // closes with other values than it opened with.
    explicit TfrmPractica(const almacen::TConfiguracion& configuracion, const AjustesAyudas& ayudas = {},
                          ::Ajustes* ajustes = nullptr, QWidget* padre = nullptr);
    ~TfrmPractica() override;

    // What the command asks for: the text's origin and whether the copy is timed.
    void Preparar(Origen origen, bool cronometrada);
    // The characters the drill works on (Windows-1252, weakest first) and how many key presses
    // are recorded; below the threshold the drill goes over the whole keyboard.
    void PonerTeclasDebiles(std::string caracteres, std::uint64_t pulsacionesRegistradas);
    // Asked once, when the drill is first wanted: the drill's characters and the key presses
    // recorded (from the statistics).
    std::function<std::pair<std::string, std::uint64_t>()> LeerTeclasDebiles;
    // Each attempt when it ends (origen 'libre', 'prueba' or 'repaso'), with its key presses.
    std::function<void(estadisticas::Intento)> AlTerminarIntento;

    // The Caps Lock state the main window follows, lit on this keyboard too.
    void PonerMayusculas(bool activas);

    // ---- state
    bool EnCurso = false;
    std::string Texto;          // the text being copied, Windows-1252
    std::string TextoEscrito;   // the copy, as typed
    unsigned Brutas = 0;        // characters typed in this run, erased ones included
    teclado::TraductorTeclas Traductor;

    Origen OrigenActual() const;
    bool Cronometrada() const;
    unsigned Minutos() const;

    // ---- commands
    void Alternar();  // F6: starts or stops
    void AbrirFichero();
    void ReemplazarTipograficos();
    // The own text as it will be copied, with its problems written in lblAvisos; empty when it
    // cannot be copied yet.
    std::optional<std::string> AnalizarTextoPropio();

    // ---- run
    void TeclaPulsada(std::uint16_t vk, std::uint8_t modificadores);
    void TeclaSoltada(std::uint16_t vk, std::uint8_t modificadores);

    // ---- controls
    QComboBox* cmbOrigen = nullptr;
    QComboBox* cmbPasaje = nullptr;
    QPushButton* btnAbrir = nullptr;
    QRadioButton* rbCompleto = nullptr;
    QRadioButton* rbCronometrada = nullptr;
    QComboBox* cmbMinutos = nullptr;
    QSpinBox* spnPenalizacion = nullptr;
    QSpinBox* spnObjetivo = nullptr;
    QCheckBox* chkVerTeclado = nullptr;
    QPushButton* btnEmpezar = nullptr;
    QPlainTextEdit* edtTexto = nullptr;
    QLabel* lblAvisos = nullptr;
    QPushButton* btnReemplazar = nullptr;
    Panel* panelCabecera = nullptr;
    Panel* lblReloj = nullptr;
    Panel* lblCifras = nullptr;  // live speed and accuracy, when that aid is on
    PanelTeclado* panelTeclado = nullptr;
    QLabel* imgManos = nullptr;
    QLabel* imgManosPintadas = nullptr;
    QLabel* lblTextoOrigen = nullptr;
    QLabel* lblTextoEscrito = nullptr;
    QLabel* lblLinea = nullptr;
    QTimer* Reloj = nullptr;

    static constexpr int kAltoAjustes = 92;  // the settings strip above the exercise area

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void done(int resultado) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool siguiente) override;

private:
    void Empezar();
    void Acabar(bool porTiempo);
    void Abandonar();
    void RelojTimer();
    void MostrarEspera();
    void MostrarPagina();
    void MostrarEscrito();
    void MostrarManos();
    bool ColocarTeclado();
    void ActualizarTitulo();
    void NuevoRepaso();
    void CambioDeOrigen();
    void ActualizarCifras();
    void TerminarAyudas();
    void AsignarTeclasDebiles(std::string caracteres, std::uint64_t pulsaciones);
    void TerminarIntento(estadisticas::Resultado resultado);
    AjustesPractica AjustesActuales() const;

    const almacen::TConfiguracion& cfg_;
    AjustesAyudas ayudasAjustes_;
    std::unique_ptr<AyudasEscritura> ayudas_;  // the marks, on the page on screen
    ::Ajustes* ajustes_ = nullptr;
    AjustesPractica practicaLeida_;
    TeclasQt teclasQt_;
    QWidget* tira_ = nullptr;  // the settings strip, disabled during a run
    QTimer* analisis_ = nullptr;
    std::string repaso_, teclasDebiles_;
    std::uint64_t pulsacionesRegistradas_ = 0;
    bool repasoGeneral_ = true, debilesLeidas_ = false;
    estadisticas::RegistroIntento registro_;  // in memory while the run lasts

    // The run's clock: from the first key that writes, to the end.
    QElapsedTimer cronometro_;
    bool iniciado_ = false;
    qint64 duracionMs_ = 0;  // timed test; 0 for a whole copy

    // The page of a long text on screen.
    std::vector<std::size_t> lineas_;
    int lineasPorPagina_ = 1;
    std::size_t pagina_ = 0, inicioPagina_ = 0;
    bool manosDecodificadas_[2] = {false, false};
};
