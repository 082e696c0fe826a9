# Installs the build into a scratch prefix and runs the installed program there:
# --version, --report and list on a simulated FT232BM, the window once, offscreen,
# with the driver only in a scratch system folder that must stay as it was, and
# the bash completion of the commands.
function(run_installed expected_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment} ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  string(FIND "${output}" "${expected_output}" found)
  if(NOT status EQUAL 0 OR found EQUAL -1)
    message(FATAL_ERROR "${ARGN}: exit ${status}, expected \"${expected_output}\" in:\n${output}\n${errors}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/kestrom ${INSTALL_DIR}/kestrom ${INSTALL_DIR}/libromgate.so ${INSTALL_DIR}/libftd2xx.so
        ${DATA_DIR}/applications/${APP_ID}.desktop ${DATA_DIR}/metainfo/${APP_ID}.metainfo.xml
        ${DATA_DIR}/icons/hicolor/scalable/apps/${APP_ID}.svg ${DATA_DIR}/icons/hicolor/16x16/apps/${APP_ID}.png
        ${DATA_DIR}/icons/hicolor/256x256/apps/${APP_ID}.png ${TRANSLATIONS_DIR}/kestrom_en.qm
        ${UDEV_DIR}/60-kestrom-ftdi.rules ${HELP_DIR}/help.html ${HELP_DIR}/copyright ${HELP_DIR}/changelog.gz
        ${MAN_DIR}/man1/kestrom.1.gz ${DATA_DIR}/bash-completion/completions/kestrom)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

set(scratch ${PREFIX}/scratch)
file(COPY ${EXAMPLES_DIR}/ft232bm.ini ${EXAMPLES_DIR}/ft232bm.bin DESTINATION ${scratch})
file(MAKE_DIRECTORY ${scratch}/config ${scratch}/run ${scratch}/system)
set(environment FTD2XX_SIM=${scratch}/ft232bm.ini XDG_CONFIG_HOME=${scratch}/config
    XDG_DATA_HOME=${scratch}/data XDG_RUNTIME_DIR=${scratch}/run KESTROM_SYSTEM_LIBDIR=${scratch}/system)

run_installed("kestrom ${VERSION}" ${PREFIX}/bin/kestrom --version)
run_installed("QV000001" ${PREFIX}/bin/kestrom --report)
run_installed("0      FT232BM  0403:6001  QV000001  USB FTDI port" ${PREFIX}/bin/kestrom list)
run_installed("--format --start --count" bash -c
  "source '${PREFIX}/${DATA_DIR}/bash-completion/completions/kestrom'\nCOMP_WORDS=(kestrom produce t.ini --)\nCOMP_CWORD=3\n_kestrom\necho \"\${COMPREPLY[*]}\"")
# The driver only in the system folder: the window takes it from there and copies
# nothing, neither into that folder nor into its own.
file(RENAME ${PREFIX}/${INSTALL_DIR}/libftd2xx.so ${scratch}/system/libftd2xx.so)
file(GLOB_RECURSE before LIST_DIRECTORIES true ${PREFIX}/*)
run_installed("" QT_QPA_PLATFORM=offscreen KESTROM_EXIT_AFTER_SHOW=1 ${PREFIX}/bin/kestrom)
file(GLOB_RECURSE after LIST_DIRECTORIES true ${PREFIX}/*)
# The user's own folders: settings, data, the instance lock.
list(FILTER after EXCLUDE REGEX "^${scratch}/(config|data|run)(/|$)")
list(FILTER before EXCLUDE REGEX "^${scratch}/(config|data|run)(/|$)")
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the window's start wrote outside the user's folders:\n${before}\n${after}")
endif()
