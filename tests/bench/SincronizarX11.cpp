// Xlib apart from the Qt code: its macros (KeyPress, None...) clash with Qt's names.
#include <X11/Xlib.h>

void SincronizarX11(void* display) { XSync(static_cast<Display*>(display), False); }
