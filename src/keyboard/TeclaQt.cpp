#include "keyboard/TeclaQt.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <optional>
#include <xcb/xcb.h>

#include "keyboard/Traduccion.h"

using teclado::Ranura;
using teclado::TeclaFisica;

TeclaFisica TeclaDeQtKey(int k) {
    using namespace teclado;
    auto t = [](std::uint16_t vk, Ranura r = Ranura::Ninguna) { return TeclaFisica{vk, r, true}; };
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return t(static_cast<std::uint16_t>('A' + (k - Qt::Key_A)));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return t(static_cast<std::uint16_t>('0' + (k - Qt::Key_0)));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return t(static_cast<std::uint16_t>(VK_F1 + (k - Qt::Key_F1)));
    switch (k) {
    case Qt::Key_Space: return t(VK_SPACE);
    case Qt::Key_Return:
    case Qt::Key_Enter: return t(VK_RETURN);
    case Qt::Key_Backspace: return t(VK_BACK);
    case Qt::Key_Escape: return t(VK_ESCAPE);
    case Qt::Key_Tab: return t(VK_TAB);
    case Qt::Key_CapsLock: return t(VK_CAPITAL);
    case Qt::Key_Shift: return t(VK_SHIFT, Ranura::ShiftIzq);
    case Qt::Key_Control: return t(VK_CONTROL, Ranura::CtrlIzq);
    case Qt::Key_Alt: return t(VK_MENU, Ranura::AltIzq);
    case Qt::Key_AltGr: return t(0, Ranura::AltGr);
    default: return {};
    }
}

int TeclasQt::Traducir(const QKeyEvent& e, teclado::EventoTecla salida[2]) {
    const bool pulsada = e.type() == QEvent::KeyPress;
    // X11 sends a key-up before every repeated key-down; only the key-downs count.
    if (!pulsada && e.isAutoRepeat()) return 0;
    TeclaFisica t = teclado::TeclaDeCodigoX11(e.nativeScanCode());
    if (!t.conocida) t = TeclaDeQtKey(e.key());
    return pulsada ? fisico_.Pulsar(t, salida) : fisico_.Soltar(t, salida);
}

namespace {

// The modifier keys physically down, as the X server knows them; nothing where there is no X server.
std::optional<std::uint8_t> RanurasX11() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return std::nullopt;
    xcb_query_keymap_reply_t* r = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
    if (!r) return std::nullopt;
    const std::uint8_t ranuras = teclado::RanurasDeMapaX11(r->keys);
    std::free(r);
    return ranuras;
}

}  // namespace

std::array<teclado::EstadoModificador, 3> TeclasQt::Sincronizar() {
    std::optional<std::uint8_t> ranuras = RanurasX11();
    if (!ranuras) {
        const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
        ranuras = teclado::RanurasDeBanderas(fisico_.Ranuras(), m & Qt::ShiftModifier, m & Qt::ControlModifier,
                                             m & Qt::AltModifier, m & Qt::GroupSwitchModifier);
    }
    return fisico_.Sincronizar(*ranuras);
}
