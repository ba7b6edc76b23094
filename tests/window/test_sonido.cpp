// The real platform's sound path: the sound module found beside the program and loaded on first
// use, WAV lengths, a result sound that always returns, and a program without its module.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/Plataforma.h"

class PruebaSonido : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void duracionDeLosWav();
    void elModuloSeCargaYElSonidoTermina();
    void sinModuloNoHaySonidoNiCaida();
};

namespace {
const QString kFuentes = QStringLiteral(PT_FUENTES);
const QString kCarpetaPrograma = QStringLiteral(PT_CARPETA_PROGRAMA);

void Escribir(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos);
}

// A PCM header of the given byte rate followed by n bytes of silence.
QByteArray Wav(quint32 bytesPorSegundo, quint32 n) {
    auto u32 = [](quint32 v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    QByteArray fmt = QByteArray::fromHex("01000100") + u32(bytesPorSegundo / 2) + u32(bytesPorSegundo) +
                     QByteArray::fromHex("02001000");
    QByteArray w = "RIFF" + u32(36 + n) + "WAVE" + "fmt " + u32(16) + fmt + "data" + u32(n) + QByteArray(static_cast<int>(n), 0);
    return w;
}
}  // namespace

// The click lives in the program's resources, which the main window registers.
static void RegistrarRecursos() { Q_INIT_RESOURCE(recursos); }

void PruebaSonido::initTestCase() { RegistrarRecursos(); }

void PruebaSonido::duracionDeLosWav() {
    QTemporaryDir d;
    const QString ruta = d.filePath(QStringLiteral("s.wav"));
    Escribir(ruta, Wav(88200, 44100));
    QCOMPARE(DuracionWavMs(ruta), 500);
    // A data chunk that claims more than the file holds counts what is there.
    QByteArray corta = Wav(88200, 44100);
    corta.chop(22050);
    Escribir(ruta, corta);
    QCOMPARE(DuracionWavMs(ruta), 250);
    // Not a WAV, no byte rate, a missing file.
    Escribir(ruta, QByteArray("RIFF\0\0\0\0WAVX", 12));
    QCOMPARE(DuracionWavMs(ruta), -1);
    Escribir(ruta, Wav(0, 100));
    QCOMPARE(DuracionWavMs(ruta), -1);
    QCOMPARE(DuracionWavMs(d.filePath(QStringLiteral("no.wav"))), -1);
    // The program's own sounds are readable WAVs of a sensible length.
    for (const char* s : {"bien.wav", "mal.wav"}) {
        const int ms = DuracionWavMs(kFuentes + QStringLiteral("/data/") + QLatin1String(s));
        QVERIFY2(ms > 100 && ms < 5000, s);
    }
}

void PruebaSonido::elModuloSeCargaYElSonidoTermina() {
    PlataformaQt p(kCarpetaPrograma);
    QVERIFY(!p.SonidoDisponible());  // nothing is loaded until it is needed
    p.PrepararSonidos();
    QVERIFY2(p.SonidoDisponible(), "pulsoteclado-sonido.so was not loaded from the program's folder");
    p.Pitido();
    p.Pitido();  // restarts the click
    // With or without an audio device, playing returns: at the sound's end, on an error, or at
    // the limit of its length plus one second.
    const QString bien = kFuentes + QStringLiteral("/data/bien.wav");
    QElapsedTimer t;
    t.start();
    p.ReproducirSonido(bien);
    QVERIFY2(t.elapsed() < DuracionWavMs(bien) + 1000 + 3000, qPrintable(QString::number(t.elapsed())));
    // A file that is not a WAV is refused without reaching the audio output.
    QTemporaryDir d;
    const QString mala = d.filePath(QStringLiteral("mala.wav"));
    Escribir(mala, QByteArray("no es un wav"));
    QVERIFY(!p.ReproducirSonido(mala));
}

void PruebaSonido::sinModuloNoHaySonidoNiCaida() {
    QTemporaryDir vacia;
    PlataformaQt p(vacia.path());
    p.PrepararSonidos();
    QVERIFY(!p.SonidoDisponible());
    p.Pitido();  // the system bell instead of the click
    // The window then falls back to the beep for the result sound.
    QVERIFY(!p.ReproducirSonido(kFuentes + QStringLiteral("/data/bien.wav")));
}

QTEST_MAIN(PruebaSonido)
#include "test_sonido.moc"
