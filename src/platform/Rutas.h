// Where the program's files live.
#pragma once

#include <QString>

namespace rutas {
// Folder of the running executable (the result sounds sit beside it).
QString CarpetaPrograma();
// The progress file: <per-user data folder>/Pulsoteclado/<executable name>.cfg
QString FicheroConfiguracion();
}  // namespace rutas
