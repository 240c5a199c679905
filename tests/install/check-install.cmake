# Installs the build into PREFIX and checks the layout a desktop expects.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}")
endif()

set(expected
    bin/pump-history
    bin/pump-panel
    bin/pump-sim
    share/applications/pump-history.desktop
    share/applications/pump-panel.desktop
    share/icons/hicolor/scalable/apps/pump-panel.svg)
foreach(f IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

# Nothing else: no tests, no libraries, no headers.
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed files differ:\n  got ${installed}\n  want ${expected}")
endif()

foreach(program pump-panel pump-sim pump-history)
    execute_process(COMMAND test -x "${PREFIX}/bin/${program}" RESULT_VARIABLE notexec)
    if(notexec)
        message(FATAL_ERROR "${program} is not executable")
    endif()
endforeach()

# The menu entry starts the installed program and names the installed icon.
file(STRINGS "${PREFIX}/share/applications/pump-panel.desktop" entry)
foreach(line "Exec=pump-panel" "Icon=pump-panel" "Type=Application" "Exec=pump-panel --simulate")
    list(FIND entry "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "pump-panel.desktop lacks the line ${line}")
    endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/pump-history.desktop" entry)
foreach(line "Exec=pump-history %f" "Icon=pump-panel" "Type=Application")
    list(FIND entry "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "pump-history.desktop lacks the line ${line}")
    endif()
endforeach()
if(VALIDATE)
    foreach(desktop pump-panel pump-history)
        execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/${desktop}.desktop"
                        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
        if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
            message(FATAL_ERROR "desktop-file-validate ${desktop}:\n${out}")
        endif()
    endforeach()
endif()
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/pump-panel.svg" icon)
if(NOT icon MATCHES "<svg")
    message(FATAL_ERROR "the icon is not an SVG picture")
endif()
message(STATUS "installed: ${installed}")
