# cmake --install: the program, its manual, its menu entry and icon, the documentation.
#
#   what                          where (under the prefix)
#   Tactilo                       bin/
#   Help.pdf                      share/doc/tactilo/: the Help command opens it there
#   Tactilo.desktop               share/applications/
#   tactilo.png, tactilo.svg      share/icons/hicolor/<N>x<N>/apps/ (16 to 256), scalable/apps/
#   the AppStream metainfo        share/metainfo/
#   the screenshot it shows       share/tactilo/screenshots/
#   Tactilo.1, tactilo-*.1        share/man/man1/
#   manual, tools, simulator      share/doc/tactilo/
#   tactilo-sim, -packets, -xwatch  bin/ (the package tactilo-tools)
#   70-tactilo-uinput.rules       lib/udev/rules.d/
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
set(_res ${PROJECT_SOURCE_DIR}/src/resources)
install(FILES ${_res}/tactilo.png DESTINATION share/icons/hicolor/128x128/apps)
foreach(_size 16 22 24 32 48 64 256)
    install(FILES ${_res}/hicolor/tactilo-${_size}.png
            DESTINATION share/icons/hicolor/${_size}x${_size}/apps RENAME tactilo.png)
endforeach()
install(FILES ${_res}/hicolor/tactilo.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${_res}/io.github.tactilo.Tactilo.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshots/device-manager.png
        DESTINATION share/tactilo/screenshots)
install(FILES
            ${PROJECT_SOURCE_DIR}/docs/man/Tactilo.1
            ${PROJECT_SOURCE_DIR}/docs/man/tactilo-sim.1
            ${PROJECT_SOURCE_DIR}/docs/man/tactilo-packets.1
            ${PROJECT_SOURCE_DIR}/docs/man/tactilo-xwatch.1
        DESTINATION share/man/man1)
foreach(_tool tactilo-sim tactilo-packets tactilo-xwatch)
    if(TARGET ${_tool})
        install(TARGETS ${_tool} RUNTIME DESTINATION bin)
    endif()
endforeach()

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
