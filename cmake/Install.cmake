# cmake --install: the program, its manual, its menu entry and icon, the documentation.
#
#   what                          where (under the prefix)
#   Tactilo                       bin/
#   Help.pdf                      share/doc/tactilo/: the Help command opens it there
#   Tactilo.desktop               share/applications/
#   tactilo.png (128 x 128)       share/icons/hicolor/128x128/apps/
#   manual, tools, simulator      share/doc/tactilo/
#
# The program tells an installed copy from where it stands (bin/ with share/doc/tactilo/ or
# share/applications/Tactilo.desktop beside it), not from a prefix known at build time, so
# `cmake --install build --prefix ~/.local` works as well as the configured prefix. The
# folder names are therefore fixed here: the program looks for exactly these. An installed
# copy keeps "Settings.dat" in ~/.config/Brenhold/, never in bin/.
#
# Included after src/ and tools/, so the targets it installs exist.

set(TACTILO_INSTALL_DOCDIR share/doc/tactilo)

if(TARGET Tactilo)
    install(TARGETS Tactilo RUNTIME DESTINATION bin)
endif()

if(NOT TACTILO_RUNTIME_DIR)
    set(TACTILO_RUNTIME_DIR ${CMAKE_BINARY_DIR}/bin)
endif()
if(TARGET helpdoc)
    install(FILES ${TACTILO_RUNTIME_DIR}/Help.pdf DESTINATION ${TACTILO_INSTALL_DOCDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/src/resources/Tactilo.desktop
        DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/tactilo.png
        DESTINATION share/icons/hicolor/128x128/apps)
install(FILES
            ${PROJECT_SOURCE_DIR}/docs/help/manual.md
            ${PROJECT_SOURCE_DIR}/docs/tools.md
            ${PROJECT_SOURCE_DIR}/docs/simulator.md
        DESTINATION ${TACTILO_INSTALL_DOCDIR})

# Access to /dev/uinput for the user at the seat, so touches reach Wayland sessions too. udev
# reads /usr/lib/udev/rules.d and /etc/udev/rules.d only: an install under another prefix
# must copy the rule to /etc/udev/rules.d (the README says so).
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/70-tactilo-uinput.rules
        DESTINATION lib/udev/rules.d)
