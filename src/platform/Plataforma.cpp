#include "platform/Plataforma.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QKeyEvent>
#include <QLibrary>
#include <QMessageBox>
#include <QPushButton>
#include <QSemaphore>
#include <QThread>
#include <atomic>
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

void PlataformaQt::MostrarAviso(QWidget* padre, const QString& texto) {
    QMessageBox::warning(padre, QStringLiteral("Pulsoteclado"), texto);
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

// What the voice's thread and the window share. The thread's tasks hold it too, so it outlives
// a platform that goes while the speech service is still being reached.
struct PlataformaQt::EstadoVoz {
    std::atomic<int> estado{0};  // 0 not known yet, 1 ready, 2 none
    QSemaphore conocida;
    MotorVoz* motor = nullptr;   // made, used and deleted on the voice's thread only
};

void PlataformaQt::EmpezarVoz() {
    if (voz_ || !QCoreApplication::instance()) return;
    voz_ = std::make_shared<EstadoVoz>();
    auto* crear = reinterpret_cast<CrearMotorVoz*>(Modulo(kModuloVoz, kCrearMotorVoz, "sin voz"));
    if (!crear) {
        voz_->estado = 2;
        return;
    }
    hiloVoz_ = new QThread;
    hiloVoz_->setObjectName(QStringLiteral("voz"));
    contextoVoz_ = new QObject;
    contextoVoz_->moveToThread(hiloVoz_);
    hiloVoz_->start();
    QMetaObject::invokeMethod(contextoVoz_, [e = voz_, crear] {
        e->motor = crear(nullptr);
        e->estado = e->motor->Disponible() ? 1 : 2;
        e->conocida.release();
    }, Qt::QueuedConnection);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, QCoreApplication::instance(),
                     [this] { PararVoz(); });
}

void PlataformaQt::PararVoz() {
    if (!hiloVoz_) return;
    voz_->estado = 2;
    // After whatever is queued: the motor goes on its own thread, then the thread ends.
    QMetaObject::invokeMethod(contextoVoz_, [e = voz_] {
        delete e->motor;
        e->motor = nullptr;
        QThread::currentThread()->quit();
    }, Qt::QueuedConnection);
    // A speech service that does not answer keeps its thread busy: it is left to end with the
    // program rather than waited for.
    if (hiloVoz_->wait(3000)) {
        delete contextoVoz_;
        delete hiloVoz_;
    }
    contextoVoz_ = nullptr;
    hiloVoz_ = nullptr;
}

bool PlataformaQt::PrepararVoz() {
    EmpezarVoz();
    // A speech service that never answers counts as none.
    if (voz_ && voz_->estado == 0 && voz_->conocida.tryAcquire(1, 15000)) voz_->conocida.release();
    return voz_ && voz_->estado == 1;
}

bool PlataformaQt::HayVoz() {
    EmpezarVoz();
    return voz_ && voz_->estado == 1;
}

void PlataformaQt::Decir(const QString& texto) {
    if (!voz_ || voz_->estado != 1) return;
    // On the voice's thread: the key that asked for it is never kept waiting.
    QMetaObject::invokeMethod(contextoVoz_, [e = voz_, texto] {
        if (e->motor) e->motor->Decir(texto);
    }, Qt::QueuedConnection);
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

QString PlataformaQt::ElegirFichero(QWidget* padre, const QString& titulo, const QString& filtro) {
    return QFileDialog::getOpenFileName(padre, titulo, QString(), filtro);
}

QString PlataformaQt::ElegirCarpeta(QWidget* padre, const QString& titulo) {
    return QFileDialog::getExistingDirectory(padre, titulo, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}
