# The program folder of a Windows build is an installation: beside corvenda.exe go the Qt DLLs,
# the plugins it loads and the MinGW runtime (CORVENDA_WINDOWS_RUNTIME, a list of DLL paths).
set(CORVENDA_WINDOWS_RUNTIME "" CACHE STRING "MinGW runtime DLLs to put beside the programs")

set(qt_plugins
    platforms Qt6::QWindowsIntegrationPlugin
    platforms Qt6::QOffscreenIntegrationPlugin
    styles Qt6::QWindowsVistaStylePlugin
    imageformats Qt6::QICOPlugin
    imageformats Qt6::QJpegPlugin)
set(copy_commands)
foreach(library Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Test)
    list(APPEND copy_commands
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${library}> ${CORVENDA_BIN_DIR})
endforeach()
while(qt_plugins)
    list(POP_FRONT qt_plugins folder plugin)
    if(TARGET ${plugin})
        list(APPEND copy_commands
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVENDA_BIN_DIR}/${folder}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}>
                ${CORVENDA_BIN_DIR}/${folder})
    endif()
endwhile()
foreach(dll ${CORVENDA_WINDOWS_RUNTIME})
    list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dll} ${CORVENDA_BIN_DIR})
endforeach()
add_custom_target(corvenda_windows_runtime ALL ${copy_commands}
    COMMENT "Putting the Qt and MinGW DLLs beside the programs" VERBATIM)

# Programs that are copied elsewhere before they run carry their runtime inside.
set(ZLIB_USE_STATIC_LIBS ON)

# The DLLs a user gets (tools/windows/programfolder.sh copies them), where they were built, for
# the licence notices.
set(CORVENDA_SHIPPED_DLLS
    $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
    $<TARGET_FILE:Qt6::QICOPlugin> ${CORVENDA_WINDOWS_RUNTIME})
