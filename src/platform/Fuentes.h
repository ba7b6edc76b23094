// Reading the font configuration while the application connects to the display.
//
// fontconfig parses its whole configuration (dozens of XML files) the first time anything asks
// for a font, which here is the window's first text measurement, on the start-up path. Started
// before QApplication, that reading overlaps the display connection and the loading of the
// platform plug-in, which spend most of their time waiting on the X server.
#pragma once

#include <thread>

class PreparacionFuentes {
public:
    PreparacionFuentes();
    ~PreparacionFuentes();  // waits, if Esperar was not called
    PreparacionFuentes(const PreparacionFuentes&) = delete;
    PreparacionFuentes& operator=(const PreparacionFuentes&) = delete;

    // Call before the first use of fonts: a font asked for meanwhile would read the configuration
    // a second time on this thread. Calling it again does nothing.
    void Esperar();

    // After Esperar: false when fontconfig could not load its configuration (the first font use
    // then tries again).
    bool Lista() const { return lista_; }

private:
    std::thread hilo_;
    bool lista_ = false;
};
