# Programs that link Qt load its DLLs, the compiler's shared runtime and the
# plugins from beside themselves: the build's bin folder gets copies, so that
# the tests and the window run there under Wine, and the portable folder and
# the installer take the same files from there.
set(_qt_bin "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
set(_qt_plugins "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")

# What Tessaly.exe needs; the zip and the installer ship exactly these.
set(TESSALY_WINDOWS_DLLS Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6PrintSupport.dll Qt6Network.dll
                         libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
set(TESSALY_WINDOWS_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll)
# Only the tests need these.
set(_test_dlls Qt6Test.dll)
set(_test_plugins platforms/qoffscreen.dll)

set(_outputs)
set(_commands)
foreach(_dll ${TESSALY_WINDOWS_DLLS} ${_test_dlls})
    if(NOT EXISTS "${_qt_bin}/${_dll}")
        message(FATAL_ERROR "${_dll} is missing from ${_qt_bin}")
    endif()
    set(_target "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${_dll}")
    list(APPEND _outputs "${_target}")
    add_custom_command(OUTPUT "${_target}"
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_qt_bin}/${_dll}" "${_target}"
                       DEPENDS "${_qt_bin}/${_dll}" VERBATIM)
endforeach()
foreach(_plugin ${TESSALY_WINDOWS_PLUGINS} ${_test_plugins})
    if(NOT EXISTS "${_qt_plugins}/${_plugin}")
        message(FATAL_ERROR "${_plugin} is missing from ${_qt_plugins}")
    endif()
    set(_target "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${_plugin}")
    list(APPEND _outputs "${_target}")
    add_custom_command(OUTPUT "${_target}"
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_qt_plugins}/${_plugin}"
                               "${_target}"
                       DEPENDS "${_qt_plugins}/${_plugin}" VERBATIM)
endforeach()
add_custom_target(tessaly_windows_runtime ALL DEPENDS ${_outputs})

# What the portable folder and the installer hold, relative to bin/, and
# where Qt's licence texts are: scripts/package-windows.sh reads both.
list(TRANSFORM TESSALY_WINDOWS_DLLS PREPEND "\n" OUTPUT_VARIABLE _dll_lines)
list(TRANSFORM TESSALY_WINDOWS_PLUGINS PREPEND "\n" OUTPUT_VARIABLE _plugin_lines)
# The window loads the two modules when it first syncs or prints.
string(JOIN "" _bundle "Tessaly.exe\ntessaly-report.exe\ntessaly-notify.exe\ntessaly-sync.exe"
       "\ntessaly-sync-module.dll"
       "\ntessaly-print-module.dll\nTessaly.txt\ncatalog.txt" ${_dll_lines}
       ${_plugin_lines} "\n")
file(WRITE "${CMAKE_BINARY_DIR}/windows-bundle.txt" "${_bundle}")
file(WRITE "${CMAKE_BINARY_DIR}/windows-licences.txt" "${QT6_INSTALL_PREFIX}/LICENSES\n")
