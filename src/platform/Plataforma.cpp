#include "platform/Plataforma.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLibrary>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <utility>

namespace {
Plataforma* g_otra = nullptr;
}

Plataforma& LaPlataforma() {
    static PlataformaQt real;
    return g_otra ? *g_otra : real;
}

void EstablecerPlataforma(Plataforma* p) { g_otra = p; }

PlataformaQt::PlataformaQt(QString carpetaModulo) : carpetaModulo_(std::move(carpetaModulo)) {}
PlataformaQt::~PlataformaQt() { PararVoz(); }

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

QFunctionPointer PlataformaQt::Modulo(const char* fichero, const char* entrada, const char* para) const {
    const QString carpeta = carpetaModulo_.isEmpty() ? QCoreApplication::applicationDirPath() : carpetaModulo_;
    // Never unloaded: the motor's code lives in it until the program ends.
    QLibrary modulo(carpeta + QLatin1Char('/') + QLatin1String(fichero));
    const QFunctionPointer f = modulo.resolve(entrada);
    if (!f) qWarning("Pulsoteclado: %s: %s", para, qUtf8Printable(modulo.errorString()));
    return f;
}

void PlataformaQt::PrepararSonidos() {
    if (moduloBuscado_ || !QCoreApplication::instance()) return;
    moduloBuscado_ = true;
    if (auto* crear = reinterpret_cast<CrearMotorSonido*>(Modulo(kModuloSonido, kCrearMotorSonido, "sin sonido")))
        motor_ = crear(QCoreApplication::instance());
}

void PlataformaQt::EmpezarVoz() {
    if (vozBuscada_ || !QCoreApplication::instance()) return;
    vozBuscada_ = true;
    auto* crear = reinterpret_cast<CrearMotorVoz*>(Modulo(kModuloVoz, kCrearMotorVoz, "sin voz"));
    if (!crear) {
        estadoVoz_ = 2;
        vozConocida_.release();
        return;
    }
    hiloVoz_ = new QThread;
    hiloVoz_->setObjectName(QStringLiteral("voz"));
    contextoVoz_ = new QObject;
    contextoVoz_->moveToThread(hiloVoz_);
    hiloVoz_->start();
    QMetaObject::invokeMethod(contextoVoz_, [this, crear] {
        voz_ = crear(nullptr);
        estadoVoz_ = voz_->Disponible() ? 1 : 2;
        vozConocida_.release();
    }, Qt::QueuedConnection);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, QCoreApplication::instance(),
                     [this] { PararVoz(); });
}

void PlataformaQt::PararVoz() {
    if (!hiloVoz_) return;
    QMetaObject::invokeMethod(contextoVoz_, [this] {
        delete voz_;
        voz_ = nullptr;
    }, Qt::BlockingQueuedConnection);
    hiloVoz_->quit();
    hiloVoz_->wait();
    delete contextoVoz_;
    delete hiloVoz_;
    contextoVoz_ = nullptr;
    hiloVoz_ = nullptr;
    estadoVoz_ = 2;
}

bool PlataformaQt::PrepararVoz() {
    EmpezarVoz();
    // A speech service that never answers counts as none.
    if (estadoVoz_ == 0 && vozConocida_.tryAcquire(1, 15000)) vozConocida_.release();
    return estadoVoz_ == 1;
}

bool PlataformaQt::HayVoz() {
    EmpezarVoz();
    return estadoVoz_ == 1;
}

void PlataformaQt::Decir(const QString& texto) {
    if (estadoVoz_ != 1) return;
    // On the voice's thread: the key that asked for it is never kept waiting.
    QMetaObject::invokeMethod(contextoVoz_, [v = voz_, texto] { v->Decir(texto); }, Qt::QueuedConnection);
}

void PlataformaQt::Pitido() {
    PrepararSonidos();
    if (motor_) motor_->Clic();
    else if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
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
    PrepararSonidos();
    // Never longer than the sound plus one second, whatever the audio output does.
    return motor_ && motor_->Reproducir(ruta, duracion + 1000);
}

int PlataformaQt::EjecutarDialogo(QDialog& dialogo) { return dialogo.exec(); }
