// The font configuration read on a thread at start-up: in a process that has not touched fonts
// yet, as the program's is when it starts; no QApplication, so nothing else reads it first.
#include <fontconfig/fontconfig.h>

#include <QtTest>

#include "platform/Fuentes.h"

class PruebaFuentes : public QObject {
    Q_OBJECT
private slots:
    void laConfiguracionQuedaHechaYSirve();
    void destruirSinEsperarNoRompeNada();
};

void PruebaFuentes::laConfiguracionQuedaHechaYSirve() {
    PreparacionFuentes fuentes;
    fuentes.Esperar();
    fuentes.Esperar();  // a second wait is harmless
    QVERIFY(fuentes.Lista());

    // The configuration in use is the one the thread loaded: it knows the program's font.
    FcPattern* patron = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans"));
    FcObjectSet* campos = FcObjectSetBuild(FC_FAMILY, FC_FILE, static_cast<char*>(nullptr));
    FcFontSet* halladas = FcFontList(nullptr, patron, campos);
    QVERIFY(halladas != nullptr);
    const int n = halladas->nfont;
    FcFontSetDestroy(halladas);
    FcObjectSetDestroy(campos);
    FcPatternDestroy(patron);
    QVERIFY2(n > 0, "Liberation Sans no está en la configuración de fuentes");
}

void PruebaFuentes::destruirSinEsperarNoRompeNada() {
    // The destructor waits for the thread: a thread still joinable when destroyed would end the
    // process.
    for (int i = 0; i < 20; ++i) {
        PreparacionFuentes fuentes;
    }
    PreparacionFuentes otra;
    otra.Esperar();
    QVERIFY(otra.Lista());
}

QTEST_APPLESS_MAIN(PruebaFuentes)
#include "test_fuentes.moc"
