// The main window when the progress file cannot be written or read: a read-only folder, a folder
// that cannot be created, a full disk, a directory in the file's place. Each time the error box
// names the file (or folder) and the system's reason, the window goes on working, and whatever
// was on disk before is still there, byte for byte.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Ayudas.h"
#include "Pulsoteclado.h"
#include "store/Configuracion.h"

using catalogo::Posicion;

namespace {

QByteArray Leer(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString Motivo(int codigo) { return QString::fromLocal8Bit(std::strerror(codigo)); }

// The box's text names the object and gives the system's reason.
bool Nombra(const QString& texto, const QString& objeto, int codigo) {
    return texto.contains(QStringLiteral("«") + objeto + QStringLiteral("»")) && texto.contains(Motivo(codigo));
}

// A valid progress file with exercise 1.1.1 done in 5 attempts and the painted hands, its folder
// made first; returns its bytes.
QByteArray PrepararProgreso(const QString& ruta) {
    QDir().mkpath(QFileInfo(ruta).path());
    almacen::TConfiguracion c{};
    almacen::ConfiguracionPorDefecto(c);
    c.Realizados[0][0][0] = 1;
    c.Intentos[0][0][0] = 5;
    c.VerManos = 2;
    almacen::GuardarConfiguracion(ruta.toStdString(), c);
    return Leer(ruta);
}

// The window still works: the current exercise runs from F6 to its verdict.
void HacerEjercicio(TfrmPulsoteclado& w, PlataformaPrueba& p) {
    if (w.EnEjercicio) QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(!w.EnEjercicio);
    const Posicion antes = w.Actual();
    const qsizetype mensajes = p.mensajes.size();
    QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(w.EnEjercicio);
    const std::string_view texto = catalogo::Texto(antes);
    Teclear(&w, texto.substr(0, 3));
    QCOMPARE(w.Escritos, std::uint16_t(3));
    Teclear(&w, texto.substr(3));
    QCOMPARE(p.mensajes.size(), mensajes + 1);
    QVERIFY(p.mensajes.last().startsWith(QStringLiteral("Ejercicio correcto.")));
    QVERIFY(!w.EnEjercicio);
    QVERIFY(!(w.Actual() == antes));
}

// Closing while the file cannot be written asks; "No" keeps the window open and working.
void CerrarSinPoderGuardar(TfrmPulsoteclado& w, PlataformaPrueba& p, const QString& objeto, int codigo) {
    const qsizetype preguntas = p.preguntas.size();
    p.respuesta = false;
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(p.preguntas.size(), preguntas + 1);
    QVERIFY2(Nombra(p.preguntas.last(), objeto, codigo), qPrintable(p.preguntas.last()));
    HacerEjercicio(w, p);
    p.respuesta = true;
    QVERIFY(w.close());
    QCOMPARE(p.preguntas.size(), preguntas + 2);
}

// An exercise done, its save refused with the file and the reason in the box, and the close asked.
void EjercicioQueNoSePuedeGuardar(TfrmPulsoteclado& w, PlataformaPrueba& p, const QString& fichero, int codigo) {
    HacerEjercicio(w, p);
    QVERIFY(!w.GuardarConfiguracion());
    QCOMPARE(p.errores.size(), 1);
    QVERIFY2(Nombra(p.errores.first(), fichero, codigo), qPrintable(p.errores.first()));
    CerrarSinPoderGuardar(w, p, fichero, codigo);
}

// Root ignores permission bits: while alive, the process acts as the unprivileged user, who is
// given the scratch tree first. Nothing to do for another user.
class ComoUsuarioSinPrivilegios {
public:
    explicit ComoUsuarioSinPrivilegios(const QString& arbol) {
        if (::geteuid() != 0) {
            listo_ = true;
            return;
        }
        Entregar(arbol);
        if (::setegid(65534) == 0 && ::seteuid(65534) == 0) listo_ = activo_ = true;
    }
    ~ComoUsuarioSinPrivilegios() {
        if (activo_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) qFatal("cannot take root back");
    }
    bool listo() const { return listo_; }

private:
    static void Entregar(const QString& ruta) {
        if (::lchown(QFile::encodeName(ruta).constData(), 65534, 65534) != 0) qWarning("chown %s failed", qPrintable(ruta));
        if (QFileInfo(ruta).isDir() && !QFileInfo(ruta).isSymLink())
            for (const QString& n : QDir(ruta).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
                Entregar(ruta + QLatin1Char('/') + n);
    }
    bool listo_ = false, activo_ = false;
};

void Permisos(const QString& ruta, mode_t modo) { QCOMPARE(::chmod(QFile::encodeName(ruta).constData(), modo), 0); }

// A lower file size limit for the whole process while alive, as a full disk would stop a save.
class LimiteDeTamano {
public:
    explicit LimiteDeTamano(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &antes_);
        struct rlimit rl = antes_;
        rl.rlim_cur = bytes;
        listo_ = ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
    }
    ~LimiteDeTamano() {
        ::setrlimit(RLIMIT_FSIZE, &antes_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    bool listo() const { return listo_; }

private:
    struct rlimit antes_ {};
    bool listo_ = false;
};

// A tiny tmpfs, when this process may mount one (root with the capability).
class DiscoPequeno {
public:
    explicit DiscoPequeno(const QString& punto) : punto_(QFile::encodeName(punto)) {
        QDir().mkpath(punto);
        montado_ = ::mount("tmpfs", punto_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") == 0;
        if (!montado_) motivo_ = Motivo(errno);
    }
    ~DiscoPequeno() {
        if (montado_) ::umount2(punto_.constData(), MNT_DETACH);
    }
    bool montado() const { return montado_; }
    QString motivo() const { return motivo_; }
    // Takes every free block; true when the disk ended up full.
    bool Llenar() {
        QFile relleno(QString::fromLocal8Bit(punto_) + QStringLiteral("/relleno"));
        if (!relleno.open(QIODevice::WriteOnly)) return false;
        const QByteArray trozo(1024, 'x');
        for (int i = 0; i < 1024; ++i)
            if (relleno.write(trozo) != trozo.size() || !relleno.flush()) return true;
        return false;
    }

private:
    QByteArray punto_;
    bool montado_ = false;
    QString motivo_;
};

// The statistics keep a file of their own beside the progress file; only the progress file's
// folder contents matter here.
QStringList Contenido(const QString& carpeta) {
    QStringList r = QDir(carpeta).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    r.removeIf([](const QString& n) { return n.startsWith(QStringLiteral("estadisticas.sqlite")); });
    return r;
}

}  // namespace

class PruebaFallos : public QObject {
    Q_OBJECT
private slots:
    void carpetaDeSoloLectura();
    void carpetaQueNoSePuedeCrear();
    void discoLleno();
    void directorioEnLugarDelFichero();
};

void PruebaFallos::carpetaDeSoloLectura() {
    Entorno e;
    const QString fichero = e.Fichero();
    const QString carpeta = QFileInfo(fichero).path();
    const QByteArray previo = PrepararProgreso(fichero);
    Permisos(carpeta, 0555);
    {
        ComoUsuarioSinPrivilegios usuario(e.dir.path());
        if (!usuario.listo()) QSKIP("cannot drop root privileges here");
        {
            // Reading needs no write permission: the progress is there, no box.
            auto w = Ventana();
            QVERIFY(e.plataforma.errores.isEmpty());
            QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
            QVERIFY(w->imgManosPintadas->isVisible());
            EjercicioQueNoSePuedeGuardar(*w, e.plataforma, fichero, EACCES);
        }
        QCOMPARE(Leer(fichero), previo);
        QCOMPARE(Contenido(carpeta), QStringList{QFileInfo(fichero).fileName()});

        // A damaged file that cannot be set aside as .bak is not replaced: the box at start-up,
        // then the defaults in memory.
        Permisos(carpeta, 0755);
        QByteArray danado = previo;
        danado[300] = char(danado[300] ^ 0x40);
        {
            QFile f(fichero);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(danado);
        }
        Permisos(carpeta, 0555);
        e.plataforma.errores.clear();
        {
            auto w = Ventana();
            QCOMPARE(e.plataforma.errores.size(), 1);
            QVERIFY2(Nombra(e.plataforma.errores.first(), fichero + QStringLiteral(".bak"), EACCES),
                     qPrintable(e.plataforma.errores.first()));
            QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
            QVERIFY(!w->imgManosPintadas->isVisible());
            HacerEjercicio(*w, e.plataforma);
            CerrarSinPoderGuardar(*w, e.plataforma, fichero, EACCES);
        }
        QCOMPARE(Leer(fichero), danado);
        QCOMPARE(Contenido(carpeta), QStringList{QFileInfo(fichero).fileName()});
        Permisos(carpeta, 0755);
    }
}

void PruebaFallos::carpetaQueNoSePuedeCrear() {
    Entorno e;
    const QString fichero = e.Fichero();
    const QString carpeta = QFileInfo(fichero).path();

    // A file where the folder must go.
    {
        QFile f(carpeta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no soy una carpeta");
    }
    {
        auto w = Ventana();
        QCOMPARE(e.plataforma.errores.size(), 1);
        QVERIFY2(Nombra(e.plataforma.errores.first(), carpeta, ENOTDIR), qPrintable(e.plataforma.errores.first()));
        QVERIFY(e.plataforma.errores.first().contains(QStringLiteral("crear la carpeta")));
        QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
        HacerEjercicio(*w, e.plataforma);
        QVERIFY(!w->GuardarConfiguracion());
        QCOMPARE(e.plataforma.errores.size(), 2);
        QVERIFY(Nombra(e.plataforma.errores.last(), carpeta, ENOTDIR));
        CerrarSinPoderGuardar(*w, e.plataforma, carpeta, ENOTDIR);
    }
    QCOMPARE(Leer(carpeta), QByteArray("no soy una carpeta"));
    QVERIFY(QFileInfo(carpeta).isFile());

    // A data folder in which nothing may be created.
    QVERIFY(QFile::remove(carpeta));
    Permisos(e.dir.path(), 0555);
    e.plataforma.errores.clear();
    e.plataforma.preguntas.clear();
    {
        ComoUsuarioSinPrivilegios usuario(e.dir.path());
        if (!usuario.listo()) QSKIP("cannot drop root privileges here");
        auto w = Ventana();
        QCOMPARE(e.plataforma.errores.size(), 1);
        QVERIFY2(Nombra(e.plataforma.errores.first(), carpeta, EACCES), qPrintable(e.plataforma.errores.first()));
        HacerEjercicio(*w, e.plataforma);
        CerrarSinPoderGuardar(*w, e.plataforma, carpeta, EACCES);
    }
    QVERIFY(Contenido(e.dir.path()).isEmpty());
    Permisos(e.dir.path(), 0755);
}

void PruebaFallos::discoLleno() {
    // The file size limit: the block no longer fits.
    {
        Entorno e;
        const QString fichero = e.Fichero();
        const QString carpeta = QFileInfo(fichero).path();
        const QByteArray previo = PrepararProgreso(fichero);
        auto w = Ventana();
        QVERIFY(e.plataforma.errores.isEmpty());
        HacerEjercicio(*w, e.plataforma);
        {
            LimiteDeTamano limite(1000);
            QVERIFY(limite.listo());
            QVERIFY(!w->GuardarConfiguracion());
            QCOMPARE(e.plataforma.errores.size(), 1);
            QVERIFY2(Nombra(e.plataforma.errores.first(), fichero, EFBIG), qPrintable(e.plataforma.errores.first()));
            QCOMPARE(Leer(fichero), previo);
            const qsizetype preguntas = e.plataforma.preguntas.size();
            e.plataforma.respuesta = false;
            QVERIFY(!w->close());
            QCOMPARE(e.plataforma.preguntas.size(), preguntas + 1);
            QVERIFY(Nombra(e.plataforma.preguntas.last(), fichero, EFBIG));
            HacerEjercicio(*w, e.plataforma);
        }
        QCOMPARE(Leer(fichero), previo);
        QCOMPARE(Contenido(carpeta), QStringList{QFileInfo(fichero).fileName()});
        // Space again: the close saves everything done meanwhile.
        const almacen::TConfiguracion enMemoria = w->Configuracion;
        QVERIFY(w->close());
        const QByteArray nuevo = Leer(fichero);
        QCOMPARE(nuevo.size(), 3948);
        QVERIFY(nuevo != previo);
        QCOMPARE(nuevo.left(3936), QByteArray(reinterpret_cast<const char*>(&enMemoria), 3936));
    }

    // A real full disk, where a tmpfs can be mounted.
    Entorno e;
    DiscoPequeno disco(e.dir.path() + QStringLiteral("/disco"));
    if (!disco.montado()) {
        qInfo("no tmpfs could be mounted (%s): only the file size limit stood for a full disk", qPrintable(disco.motivo()));
        return;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(e.dir.path() + QStringLiteral("/disco")));
    const QString fichero = QString(e.Fichero()).replace(e.dir.path(), e.dir.path() + QStringLiteral("/disco"));
    const QString carpeta = QFileInfo(fichero).path();
    const QByteArray previo = PrepararProgreso(fichero);
    QVERIFY(disco.Llenar());
    {
        auto w = Ventana();
        QVERIFY2(e.plataforma.errores.isEmpty(), qPrintable(e.plataforma.errores.join(QLatin1Char(10))));
        QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
        EjercicioQueNoSePuedeGuardar(*w, e.plataforma, fichero, ENOSPC);
    }
    QCOMPARE(Leer(fichero), previo);
    QCOMPARE(Contenido(carpeta), QStringList{QFileInfo(fichero).fileName()});

    // The first start on a full disk: the box, and the program runs on the defaults.
    QVERIFY(QFile::remove(fichero));
    QVERIFY(disco.Llenar());
    e.plataforma.errores.clear();
    {
        auto w = Ventana();
        QCOMPARE(e.plataforma.errores.size(), 1);
        QVERIFY2(Nombra(e.plataforma.errores.first(), fichero, ENOSPC), qPrintable(e.plataforma.errores.first()));
        QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
        HacerEjercicio(*w, e.plataforma);
        CerrarSinPoderGuardar(*w, e.plataforma, fichero, ENOSPC);
    }
    QVERIFY(Contenido(carpeta).isEmpty());
}

void PruebaFallos::directorioEnLugarDelFichero() {
    Entorno e;
    const QString fichero = e.Fichero();
    QVERIFY(QDir().mkpath(fichero));
    {
        QFile dentro(fichero + QStringLiteral("/notas.txt"));
        QVERIFY(dentro.open(QIODevice::WriteOnly));
        dentro.write("de otro programa");
    }
    {
        auto w = Ventana();
        QCOMPARE(e.plataforma.errores.size(), 1);
        QVERIFY2(Nombra(e.plataforma.errores.first(), fichero, EISDIR), qPrintable(e.plataforma.errores.first()));
        QCOMPARE(w->Actual(), (Posicion{1, 1, 1}));
        HacerEjercicio(*w, e.plataforma);
        QVERIFY(!w->GuardarConfiguracion());
        QVERIFY(Nombra(e.plataforma.errores.last(), fichero, EISDIR));
        CerrarSinPoderGuardar(*w, e.plataforma, fichero, EISDIR);
    }
    QVERIFY(QFileInfo(fichero).isDir());
    QCOMPARE(Contenido(fichero), QStringList{QStringLiteral("notas.txt")});
    QCOMPARE(Leer(fichero + QStringLiteral("/notas.txt")), QByteArray("de otro programa"));
    QCOMPARE(Contenido(QFileInfo(fichero).path()), QStringList{QFileInfo(fichero).fileName()});

    // Replaced while the program runs: the progress made so far stays in memory, unsaved.
    QDir(fichero).removeRecursively();
    PrepararProgreso(fichero);
    e.plataforma.errores.clear();
    auto w = Ventana();
    QVERIFY(e.plataforma.errores.isEmpty());
    QCOMPARE(w->Actual(), (Posicion{1, 1, 2}));
    QVERIFY(QFile::remove(fichero));
    QVERIFY(QDir().mkpath(fichero));
    HacerEjercicio(*w, e.plataforma);
    QVERIFY(!w->GuardarConfiguracion());
    QCOMPARE(e.plataforma.errores.size(), 1);
    QVERIFY(Nombra(e.plataforma.errores.first(), fichero, EISDIR));
    QCOMPARE(w->Configuracion.Realizados[0][0][1], std::uint8_t(1));
    CerrarSinPoderGuardar(*w, e.plataforma, fichero, EISDIR);
    QVERIFY(QFileInfo(fichero).isDir());
    QVERIFY(Contenido(fichero).isEmpty());
}

QTEST_MAIN(PruebaFallos)
#include "test_fallos.moc"
