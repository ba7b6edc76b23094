#include "keyboard/Dedos.h"

namespace teclado {

namespace {
struct Asignacion {
    std::string_view panel;
    Dedo dedo;
};
// In the order of the keyboard's rows.
constexpr Asignacion kDedos[kNumTeclasEscritura] = {
    {"btnPrimero", Dedo::MeniqueIzq}, {"btn1", Dedo::MeniqueIzq}, {"btn2", Dedo::AnularIzq},
    {"btn3", Dedo::MedioIzq}, {"btn4", Dedo::IndiceIzq}, {"btn5", Dedo::IndiceIzq}, {"btn6", Dedo::IndiceDer},
    {"btn7", Dedo::IndiceDer}, {"btn8", Dedo::MedioDer}, {"btn9", Dedo::AnularDer}, {"btn0", Dedo::MeniqueDer},
    {"btnComilla", Dedo::MeniqueDer}, {"btnAdmiracion", Dedo::MeniqueDer}, {"btnBorrar", Dedo::MeniqueDer},
    {"btnTabulador", Dedo::MeniqueIzq}, {"btnQ", Dedo::MeniqueIzq}, {"btnW", Dedo::AnularIzq},
    {"btnE", Dedo::MedioIzq}, {"btnR", Dedo::IndiceIzq}, {"btnT", Dedo::IndiceIzq}, {"btnY", Dedo::IndiceDer},
    {"btnU", Dedo::IndiceDer}, {"btnI", Dedo::MedioDer}, {"btnO", Dedo::AnularDer}, {"btnP", Dedo::MeniqueDer},
    {"btnAcentoAbierto", Dedo::MeniqueDer}, {"btnMas", Dedo::MeniqueDer}, {"btnIntro", Dedo::MeniqueDer},
    {"btnBloqMayus", Dedo::MeniqueIzq}, {"btnA", Dedo::MeniqueIzq}, {"btnS", Dedo::AnularIzq},
    {"btnD", Dedo::MedioIzq}, {"btnF", Dedo::IndiceIzq}, {"btnG", Dedo::IndiceIzq}, {"btnH", Dedo::IndiceDer},
    {"btnJ", Dedo::IndiceDer}, {"btnK", Dedo::MedioDer}, {"btnL", Dedo::AnularDer}, {"btnEnye", Dedo::MeniqueDer},
    {"btnAcento", Dedo::MeniqueDer}, {"btnCeTrencada", Dedo::MeniqueDer},
    {"btnMayusculasIzq", Dedo::MeniqueIzq}, {"btnMenor", Dedo::MeniqueIzq}, {"btnZ", Dedo::MeniqueIzq},
    {"btnX", Dedo::AnularIzq}, {"btnC", Dedo::MedioIzq}, {"btnV", Dedo::IndiceIzq}, {"btnB", Dedo::IndiceIzq},
    {"btnN", Dedo::IndiceDer}, {"btnM", Dedo::IndiceDer}, {"btnComa", Dedo::MedioDer},
    {"btnPunto", Dedo::AnularDer}, {"btnMenos", Dedo::MeniqueDer}, {"btnMayusculasDer", Dedo::MeniqueDer},
    {"btnEspacio", Dedo::Pulgares},
};
}  // namespace

std::string_view TeclaEscritura(int i) {
    return i >= 0 && i < kNumTeclasEscritura ? kDedos[i].panel : std::string_view();
}

int IndiceTeclaEscritura(std::string_view panel) {
    for (int i = 0; i < kNumTeclasEscritura; ++i)
        if (kDedos[i].panel == panel) return i;
    return -1;
}

Dedo DedoDeTecla(int i) { return i >= 0 && i < kNumTeclasEscritura ? kDedos[i].dedo : Dedo::Ninguno; }

Dedo DedoDeTecla(std::string_view panel) { return DedoDeTecla(IndiceTeclaEscritura(panel)); }

}  // namespace teclado
