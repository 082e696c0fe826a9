# Installs the build into a scratch prefix and runs the installed program there:
# --version, --report and list on a simulated FT232BM, the window once, offscreen,
# and the bash completion of the commands.
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
        ${DATA_DIR}/applications/kestrom.desktop ${DATA_DIR}/icons/hicolor/scalable/apps/kestrom.svg
        ${UDEV_DIR}/60-kestrom-ftdi.rules ${HELP_DIR}/help.html ${MAN_DIR}/man1/kestrom.1
        ${DATA_DIR}/bash-completion/completions/kestrom)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

set(scratch ${PREFIX}/scratch)
file(COPY ${EXAMPLES_DIR}/ft232bm.ini ${EXAMPLES_DIR}/ft232bm.bin DESTINATION ${scratch})
file(MAKE_DIRECTORY ${scratch}/config ${scratch}/run ${scratch}/system)
set(environment FTD2XX_SIM=${scratch}/ft232bm.ini XDG_CONFIG_HOME=${scratch}/config
    XDG_RUNTIME_DIR=${scratch}/run KESTROM_SYSTEM_LIBDIR=${scratch}/system)

run_installed("kestrom ${VERSION}" ${PREFIX}/bin/kestrom --version)
run_installed("QV000001" ${PREFIX}/bin/kestrom --report)
run_installed("0      FT232BM  0403:6001  QV000001  USB FTDI port" ${PREFIX}/bin/kestrom list)
run_installed("--format --start --count" bash -c
  "source '${PREFIX}/${DATA_DIR}/bash-completion/completions/kestrom'\nCOMP_WORDS=(kestrom produce t.ini --)\nCOMP_CWORD=3\n_kestrom\necho \"\${COMPREPLY[*]}\"")
run_installed("" QT_QPA_PLATFORM=offscreen KESTROM_EXIT_AFTER_SHOW=1 ${PREFIX}/bin/kestrom)
if(NOT EXISTS ${scratch}/system/libromgate.so)
  message(FATAL_ERROR "the installed window's start did not mirror libromgate")
endif()
