// Every modal box, beep and sound of the program goes through this interface, so tests replace
// it and never block.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>

#include "platform/Sonido.h"
#include "platform/Voz.h"

class QDialog;
class QThread;
class QWidget;

class Plataforma {
public:
    virtual ~Plataforma() = default;
    // Information box with one OK button; lines separated by '\n'.
    virtual void MostrarMensaje(QWidget* padre, const QString& texto) = 0;
    // Error box (a file that cannot be read or written, with the system's reason).
    virtual void MostrarError(QWidget* padre, const QString& texto) = 0;
    // Warning box: something went wrong that the program goes on without (the statistics file).
    virtual void MostrarAviso(QWidget* padre, const QString& texto) = 0;
    // Yes/No question; true for Yes.
    virtual bool Preguntar(QWidget* padre, const QString& texto) = 0;
    // The default beep: a short click carried by the program.
    virtual void Pitido() = 0;
    // Plays a WAV file and returns when it has ended; false when it cannot be played.
    virtual bool ReproducirSonido(const QString& ruta) = 0;
    // Runs a dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int EjecutarDialogo(QDialog& dialogo) = 0;
    // A file to open, chosen by the user; empty when none was chosen.
    virtual QString ElegirFichero(QWidget* padre, const QString& titulo, const QString& filtro) {
        (void)padre, (void)titulo, (void)filtro;
        return {};
    }
    // Sound output set-up, done once the window is on screen so start-up never waits for audio.
    virtual void PrepararSonidos() {}
    // Asks for a folder; empty when the user cancels.
    virtual QString ElegirCarpeta(QWidget* padre, const QString& titulo) { (void)padre; (void)titulo; return {}; }
    // The spoken guide's voice. It is made ready on a thread of its own the first time either
    // call asks for it (reaching the speech service can take seconds). PrepararVoz waits for the
    // answer; HayVoz answers at once, false until the voice is ready. False without a Spanish voice.
    virtual bool PrepararVoz() { return false; }
    virtual bool HayVoz() { return false; }
    // Says a text, cutting what was being said (an empty text only cuts). Never waits.
    virtual void Decir(const QString&) {}
};

Plataforma& LaPlataforma();
// Installs another implementation (tests); null restores the real one.
void EstablecerPlataforma(Plataforma* p);

// The real one: Qt message boxes, and the sound module (found in carpetaModulo, by default the
// program's folder). Without the module the beep is the system bell and no sound plays.
class PlataformaQt : public Plataforma {
public:
    explicit PlataformaQt(QString carpetaModulo = {});
    ~PlataformaQt() override;
    void MostrarMensaje(QWidget* padre, const QString& texto) override;
    void MostrarError(QWidget* padre, const QString& texto) override;
    void MostrarAviso(QWidget* padre, const QString& texto) override;
    bool Preguntar(QWidget* padre, const QString& texto) override;
    void Pitido() override;
    bool ReproducirSonido(const QString& ruta) override;
    int EjecutarDialogo(QDialog& dialogo) override;
    QString ElegirFichero(QWidget* padre, const QString& titulo, const QString& filtro) override;
    void PrepararSonidos() override;
    QString ElegirCarpeta(QWidget* padre, const QString& titulo) override;
    bool SonidoDisponible() const { return !motor_.isNull(); }
    bool PrepararVoz() override;
    bool HayVoz() override;
    void Decir(const QString& texto) override;

private:
    void EmpezarVoz();
    void PararVoz();

    // The entry point of a module of the program's folder, or null (with a warning) without it.
    QFunctionPointer Modulo(const char* fichero, const char* entrada, const char* para) const;

    QString carpetaModulo_;
    bool moduloBuscado_ = false;
    // Owned by the application object, so it goes before the audio system does.
    QPointer<MotorSonido> motor_;
    // The voice lives on its own thread, where every call to the speech service is made; it is
    // stopped before the application object goes.
    struct EstadoVoz;
    std::shared_ptr<EstadoVoz> voz_;  // null until the voice is first asked for
    QThread* hiloVoz_ = nullptr;
    QObject* contextoVoz_ = nullptr;  // in hiloVoz_
};

// Length of a PCM WAV file in milliseconds, or -1 when the header cannot be read.
int DuracionWavMs(const QString& ruta);
