# Windows back-ends: the Win32 API behind the same interfaces the Linux back-ends implement.
# Each folder's Win32*.cpp file stands beside its Linux counterpart.
add_library(tactilo_win32 STATIC
    app/DebugTraceSink.cpp
    app/RegistryOptionsStore.cpp
    app/RunKeyAutoStart.cpp
    app/Win32Module.cpp
    app/Win32Text.cpp
    devices/Win32FileReplacer.cpp
    monitors/Win32MonitorSource.cpp
    serial/Win32SerialLine.cpp
    touch/Win32PointerOutput.cpp
)
target_link_libraries(tactilo_win32 PUBLIC tactilo_core)
# Unicode entry points (the W functions) unless a call says otherwise; no min/max macros.
target_compile_definitions(tactilo_win32 PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
    _WIN32_WINNT=0x0601)
target_link_libraries(tactilo_win32 PUBLIC user32 advapi32)

# Until the native windows exist there is no Tactilo.exe: a console program shows what the
# back-ends see on this machine (monitors, ports, options), for a first look under Wine or
# on a Windows machine.
add_executable(tactilo-wininfo app/wininfo_main.cpp)
target_link_libraries(tactilo-wininfo PRIVATE tactilo_win32)
set_target_properties(tactilo-wininfo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
