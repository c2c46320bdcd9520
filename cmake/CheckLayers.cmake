# Refuses an include that does not belong to its folder's layer (cmake -P, with SOURCE_DIR set
# to a tree laid out like src/). The folder says what a file may use:
#
#   folder                           may include
#   app/ serial/ touch/ devices/     the standard library and the core: they build unchanged
#   calibration/ monitors/ tray/     on Linux and Windows, and the unit tests run them bare
#   linux/                           the core, POSIX, X11, udev, evdev
#   qt/                              the core, linux/, Qt
#   win32/ (and win32/ui/)           the core, Windows
#
# The compiler alone would not catch most of these: POSIX and X11 headers sit on every Linux
# include path, so a core file that reached for <unistd.h> would build here and break only the
# Windows build, later and on someone else's machine.
cmake_policy(SET CMP0057 NEW)
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckLayers.cmake: set SOURCE_DIR")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(_qt "^(<Q[A-Za-z0-9]*>|<Qt[A-Za-z]*/|\"qt/)")
set(_win32 "^(<(windows|winbase|winuser|winreg|windowsx|shellapi|shlobj|shlwapi|commctrl|commdlg|setupapi|devguid|dbt|objbase|knownfolders|wtsapi32|lmcons|sddl|aclapi|winerror)\\.h>|\"win32/)")
set(_linux "^(<(unistd|fcntl|termios|poll|pwd|grp|dirent|signal|libudev|dlfcn)\\.h>|<(sys|X11|linux|libevdev)/|\"linux/)")

file(GLOB_RECURSE _files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
set(_refused "")
foreach(_file IN LISTS _files)
    if(_file MATCHES "^qt/")
        set(_allowed "qt;linux")
    elseif(_file MATCHES "^linux/")
        set(_allowed "linux")
    elseif(_file MATCHES "^win32/")
        set(_allowed "win32")
    elseif(_file MATCHES "^resources/")
        set(_allowed "qt")
    else()
        set(_allowed "")
    endif()
    file(STRINGS "${SOURCE_DIR}/${_file}" _lines REGEX "^[ \t]*#[ \t]*include")
    foreach(_line IN LISTS _lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" _target "${_line}")
        foreach(_layer qt win32 linux)
            if(_target MATCHES "${_${_layer}}" AND NOT _layer IN_LIST _allowed)
                string(APPEND _refused "\n  ${_file}: #include ${_target}: ${_layer} belongs in src/${_layer}/")
            endif()
        endforeach()
    endforeach()
endforeach()
if(_refused)
    message(FATAL_ERROR "Includes outside their layer:${_refused}")
endif()
