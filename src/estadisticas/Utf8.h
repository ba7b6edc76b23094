// Windows-1252 text of the core to UTF-8 and back, for what the store keeps. Qt-free.
#pragma once

#include <string>
#include <string_view>

namespace estadisticas {

std::string AUtf8(std::string_view cp1252);
// Characters outside Windows-1252 become '?'.
std::string DeUtf8(std::string_view utf8);

}  // namespace estadisticas
