#include "keyboard/Dedos.h"

namespace teclado {

namespace {

struct Asignacion {
    const char* panel;
    Dedo dedo;
    Mano mano;
};

constexpr Dedo M = Dedo::Menique, A = Dedo::Anular, C = Dedo::Corazon, I = Dedo::Indice;
constexpr Mano Iz = Mano::Izquierda, De = Mano::Derecha;

constexpr Asignacion kDedos[] = {
    {"btnPrimero", M, Iz}, {"btn1", M, Iz}, {"btnTabulador", M, Iz}, {"btnQ", M, Iz}, {"btnBloqMayus", M, Iz},
    {"btnA", M, Iz}, {"btnMayusculasIzq", M, Iz}, {"btnMenor", M, Iz}, {"btnZ", M, Iz},
    {"btn0", M, De}, {"btnComilla", M, De}, {"btnAdmiracion", M, De}, {"btnBorrar", M, De}, {"btnP", M, De},
    {"btnAcentoAbierto", M, De}, {"btnMas", M, De}, {"btnIntro", M, De}, {"btnEnye", M, De},
    {"btnAcento", M, De}, {"btnCeTrencada", M, De}, {"btnMenos", M, De}, {"btnMayusculasDer", M, De},
    {"btn2", A, Iz}, {"btnW", A, Iz}, {"btnS", A, Iz}, {"btnX", A, Iz},
    {"btn9", A, De}, {"btnO", A, De}, {"btnL", A, De}, {"btnPunto", A, De},
    {"btn3", C, Iz}, {"btnE", C, Iz}, {"btnD", C, Iz}, {"btnC", C, Iz},
    {"btn8", C, De}, {"btnI", C, De}, {"btnK", C, De}, {"btnComa", C, De},
    {"btn4", I, Iz}, {"btn5", I, Iz}, {"btnR", I, Iz}, {"btnT", I, Iz}, {"btnF", I, Iz}, {"btnG", I, Iz},
    {"btnV", I, Iz}, {"btnB", I, Iz},
    {"btn6", I, De}, {"btn7", I, De}, {"btnY", I, De}, {"btnU", I, De}, {"btnH", I, De}, {"btnJ", I, De},
    {"btnN", I, De}, {"btnM", I, De},
    {"btnEspacio", Dedo::Pulgar, Mano::Ninguna},
};

}  // namespace

DedoDeTecla DedoDe(std::string_view panel) {
    for (const Asignacion& a : kDedos)
        if (panel == a.panel) return {a.dedo, a.mano};
    return {};
}

}  // namespace teclado
