# Install layout, desktop integration and the Debian package (cpack -G DEB).
#
#   <prefix>/lib/pulsoteclado/pulsoteclado    the program, with its sound module
#                                             (pulsoteclado-sonido.so), its voice module
#                                             (pulsoteclado-voz.so), bien.wav and mal.wav beside it
#   <prefix>/bin/pulsoteclado                 relative symlink to it
#   <prefix>/share/applications, icons/hicolor, metainfo, doc/pulsoteclado/copyright
#
# The sounds are looked for in QCoreApplication::applicationDirPath(), which on Linux comes
# from /proc/self/exe and so is the real folder even when started through the symlink.

include(GNUInstallDirs)

# A fixed "lib", not CMAKE_INSTALL_LIBDIR: this is a private program folder, not a library
# folder, and on Debian the latter would gain a multiarch component.
set(PT_DIR_PROGRAMA lib/pulsoteclado)
set(PT_COMPONENTE pulsoteclado)

install(TARGETS pulsoteclado
  RUNTIME DESTINATION ${PT_DIR_PROGRAMA}
  COMPONENT ${PT_COMPONENTE})
install(TARGETS pulsoteclado-sonido
  LIBRARY DESTINATION ${PT_DIR_PROGRAMA}
  COMPONENT ${PT_COMPONENTE})
if(TARGET pulsoteclado-voz)
  install(TARGETS pulsoteclado-voz
    LIBRARY DESTINATION ${PT_DIR_PROGRAMA}
    COMPONENT ${PT_COMPONENTE})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/bien.wav ${CMAKE_SOURCE_DIR}/data/mal.wav
  DESTINATION ${PT_DIR_PROGRAMA}
  COMPONENT ${PT_COMPONENTE})

# The symlink is made once in the build tree and installed as a symlink.
file(RELATIVE_PATH PT_DESTINO_ENLACE
  /raiz/${CMAKE_INSTALL_BINDIR} /raiz/${PT_DIR_PROGRAMA}/pulsoteclado)
set(PT_ENLACE ${CMAKE_BINARY_DIR}/instalacion/pulsoteclado)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/instalacion)
file(REMOVE ${PT_ENLACE})
file(CREATE_LINK ${PT_DESTINO_ENLACE} ${PT_ENLACE} SYMBOLIC)
install(FILES ${PT_ENLACE}
  DESTINATION ${CMAKE_INSTALL_BINDIR}
  COMPONENT ${PT_COMPONENTE})

install(FILES ${CMAKE_SOURCE_DIR}/data/pulsoteclado.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications
  COMPONENT ${PT_COMPONENTE})
install(FILES ${CMAKE_SOURCE_DIR}/data/pulsoteclado.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo
  COMPONENT ${PT_COMPONENTE})
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/pulsoteclado.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
  COMPONENT ${PT_COMPONENTE})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/icons/hicolor
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons
  COMPONENT ${PT_COMPONENTE}
  FILES_MATCHING PATTERN "pulsoteclado.png")
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pulsoteclado
  RENAME copyright
  COMPONENT ${PT_COMPONENTE})

# ---- Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pulsoteclado)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Los autores de Pulsoteclado")
set(CPACK_PACKAGE_CONTACT "Los autores de Pulsoteclado <pulsoteclado@example.org>")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Only the program's own files, whatever install rules tests or tools may add one day.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${PT_COMPONENTE};/")

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "curso de mecanografía para el teclado español / Spanish keyboard typing tutor")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Pulsoteclado enseña a escribir a máquina con los diez dedos en el teclado
español de PC: 511 ejercicios en siete unidades, desde grupos de teclas de
una fila hasta textos en castellano, inglés, catalán/valenciano y gallego.
Un teclado en pantalla muestra cada pulsación con el color de su dedo y el
dibujo de las manos; el programa corrige cada copia, cuenta los intentos,
mide la velocidad y guarda el progreso.

Pulsoteclado teaches touch typing on the Spanish PC keyboard: 511 exercises
in seven units, from single-row key groups to texts in Spanish, English,
Catalan/Valencian and Galician. An on-screen keyboard shows every keystroke
in its finger's colour with a drawing of the hands; the program checks each
copy, counts the attempts, measures the speed and keeps the progress.
The program's interface is in Spanish only.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Los autores de Pulsoteclado <pulsoteclado@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The linked libraries of the program and of its sound module, found by dpkg-shlibdeps; they
# bring libqt6gui6, which also holds the xcb platform plugin and the compose input context
# (dead keys), and libqt6multimedia6, which plays the sounds through its own PulseAudio output.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What is loaded at run time and so invisible to dpkg-shlibdeps: the Wayland platform
# plugins, and the fonts the windows ask for by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-wayland")
# The spoken guide speaks through speech-dispatcher; without it the guide says so and stays off.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng")

include(CPack)
