# The English translation follows the sources and is complete: lupdate run
# over the sources into a copy of the .ts changes nothing (no new, changed or
# vanished texts), and no text in it is unfinished.
#   -DLUPDATE= -DTS= -DSOURCES=(a list file) -DOPTIONS=(comma separated) -DROOT= -DWORK=
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(name "${TS}" NAME)
set(copy "${WORK}/${name}")
file(COPY_FILE "${TS}" "${copy}")
string(REPLACE "," ";" options "${OPTIONS}")
execute_process(COMMAND "${LUPDATE}" ${options} -I "${ROOT}" "@${SOURCES}" -ts "${copy}"
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${said}")
endif()
file(READ "${TS}" committed)
file(READ "${copy}" updated)
string(REGEX MATCHALL "<translation type=\"unfinished\"" unfinished "${updated}")
string(REGEX MATCHALL "<translation type=\"(vanished|obsolete)\"" vanished "${updated}")
list(LENGTH unfinished unfinishedCount)
list(LENGTH vanished vanishedCount)
if(unfinishedCount OR vanishedCount OR NOT committed STREQUAL updated)
    message(FATAL_ERROR "${name} does not match the sources: ${unfinishedCount} texts untranslated or new, "
                        "${vanishedCount} gone from the sources. Run `cmake --build build --target "
                        "update_translations`, translate the unfinished texts and commit the file.\n"
                        "lupdate said:\n${said}")
endif()
message(STATUS "${name}: every text translated and current")
