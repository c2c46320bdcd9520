# cmake --install: the program, its manual, its menu entry and icon, the documentation.
#
#   what                          where (under the prefix)
#   Tactilo                       bin/
#   Help.pdf                      bin/, beside the program: the Help command opens it there
#   Tactilo.desktop               share/applications/
#   tactilo.png (128 x 128)       share/icons/hicolor/128x128/apps/
#   manual, tools, simulator      share/doc/Tactilo/
#
# An installed copy keeps "Settings.dat" in ~/.config/Brenhold/, not in bin/ (the program
# knows its installation's bin directory from the build).
#
# Included after src/ and tools/, so the targets it installs exist.

if(TARGET Tactilo)
    install(TARGETS Tactilo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(NOT TACTILO_RUNTIME_DIR)
    set(TACTILO_RUNTIME_DIR ${CMAKE_BINARY_DIR}/bin)
endif()
if(TARGET helpdoc)
    install(FILES ${TACTILO_RUNTIME_DIR}/Help.pdf DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/src/resources/Tactilo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/tactilo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES
            ${PROJECT_SOURCE_DIR}/docs/help/manual.md
            ${PROJECT_SOURCE_DIR}/docs/tools.md
            ${PROJECT_SOURCE_DIR}/docs/simulator.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
