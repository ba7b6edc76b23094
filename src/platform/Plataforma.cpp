#include "platform/Plataforma.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace {
Plataforma* g_otra = nullptr;
}

Plataforma& LaPlataforma() {
    static PlataformaQt real;
    return g_otra ? *g_otra : real;
}

void EstablecerPlataforma(Plataforma* p) { g_otra = p; }

PlataformaQt::PlataformaQt() = default;
PlataformaQt::~PlataformaQt() = default;

namespace {
// Ctrl+C copies the text of the box, so a result can be kept or pasted elsewhere.
class CajaMensaje : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(text());
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
};
}  // namespace

void PlataformaQt::MostrarMensaje(QWidget* padre, const QString& texto) {
    CajaMensaje caja(QMessageBox::Information, QStringLiteral("Pulsoteclado"), texto, QMessageBox::Ok, padre);
    caja.exec();
}

void PlataformaQt::MostrarError(QWidget* padre, const QString& texto) {
    QMessageBox::critical(padre, QStringLiteral("Pulsoteclado"), texto);
}

bool PlataformaQt::Preguntar(QWidget* padre, const QString& texto) {
    QMessageBox caja(QMessageBox::Warning, QStringLiteral("Pulsoteclado"), texto, QMessageBox::NoButton, padre);
    QPushButton* si = caja.addButton(QStringLiteral("&Sí"), QMessageBox::YesRole);
    QPushButton* no = caja.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    caja.setDefaultButton(no);
    caja.setEscapeButton(no);
    caja.exec();
    return caja.clickedButton() == si;
}

void PlataformaQt::PrepararSonidos() {
    if (clic_ || !QCoreApplication::instance()) return;
    clic_ = new QSoundEffect(QCoreApplication::instance());
    clic_->setSource(QUrl(QStringLiteral("qrc:/sonidos/clic.wav")));
    clic_->setVolume(0.6f);
}

void PlataformaQt::Pitido() {
    PrepararSonidos();
    if (!clic_) return;
    // Restart the click on every key, so fast typing gives one click per key.
    if (clic_->isPlaying()) clic_->stop();
    clic_->play();
}

int DuracionWavMs(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray h = f.read(4096);
    if (h.size() < 12 || !h.startsWith("RIFF") || h.mid(8, 4) != "WAVE") return -1;
    auto u32 = [&](int i) {
        return static_cast<quint32>(static_cast<quint8>(h[i])) | (static_cast<quint32>(static_cast<quint8>(h[i + 1])) << 8) |
               (static_cast<quint32>(static_cast<quint8>(h[i + 2])) << 16) | (static_cast<quint32>(static_cast<quint8>(h[i + 3])) << 24);
    };
    quint32 bytesPorSegundo = 0;
    for (int i = 12; i + 8 <= h.size();) {
        const QByteArray id = h.mid(i, 4);
        const quint32 n = u32(i + 4);
        if (id == "fmt " && i + 20 <= h.size()) bytesPorSegundo = u32(i + 16);
        if (id == "data") {
            if (bytesPorSegundo == 0) return -1;
            const qint64 datos = std::min<qint64>(n, f.size() - (i + 8));
            return static_cast<int>(datos * 1000 / bytesPorSegundo);
        }
        i += 8 + static_cast<int>(n + (n & 1));
    }
    return -1;
}

bool PlataformaQt::ReproducirSonido(const QString& ruta) {
    const int duracion = DuracionWavMs(ruta);
    if (duracion < 0) return false;
    QSoundEffect efecto;
    QEventLoop bucle;
    bool fallo = false;
    QObject::connect(&efecto, &QSoundEffect::statusChanged, &bucle, [&] {
        if (efecto.status() == QSoundEffect::Ready) efecto.play();
        else if (efecto.status() == QSoundEffect::Error) { fallo = true; bucle.quit(); }
    });
    QObject::connect(&efecto, &QSoundEffect::playingChanged, &bucle, [&] {
        if (!efecto.isPlaying()) bucle.quit();
    });
    // Never longer than the sound plus one second, whatever the audio output does.
    QTimer::singleShot(duracion + 1000, &bucle, &QEventLoop::quit);
    efecto.setSource(QUrl::fromLocalFile(ruta));
    // Keys pressed meanwhile wait for the verdict box, as if the program were busy playing.
    bucle.exec(QEventLoop::ExcludeUserInputEvents);
    return !fallo;
}

int PlataformaQt::EjecutarDialogo(QDialog& dialogo) { return dialogo.exec(); }
