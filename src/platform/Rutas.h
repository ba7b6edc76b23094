// Where the program's files live.
#pragma once

#include <QString>

namespace rutas {
// Folder of the running executable (the result sounds sit beside it).
QString CarpetaPrograma();
// The progress file: <per-user data folder>/Pulsoteclado/<executable name>.cfg
QString FicheroConfiguracion();
// The attempts and key presses: <per-user data folder>/Pulsoteclado/estadisticas.sqlite
QString FicheroEstadisticas();
}  // namespace rutas
