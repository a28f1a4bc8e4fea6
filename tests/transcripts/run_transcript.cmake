# Runs one transcript test: the script on standard input of the launcher (or of the test host
# when the script's first line says "# host: engine-double"), then compares the console text and
# the log text with the golden files beside the script. ORVEX_BLESS=1 rewrites the goldens.
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})

file(STRINGS ${SCRIPT} header LIMIT_COUNT 1)
set(program ${LAUNCHER})
set(args)
if(header MATCHES "^# host: engine-double(.*)$")
  set(program ${HOST})
  separate_arguments(extra UNIX_COMMAND "${CMAKE_MATCH_1}")
  list(APPEND args ${extra})
endif()
if(header MATCHES "^# args:(.*)$")
  # @WORK@ in the arguments is this test's own fresh folder (tests run in parallel).
  string(REPLACE "@WORK@" "${WORKDIR}" line "${CMAKE_MATCH_1}")
  separate_arguments(extra UNIX_COMMAND "${line}")
  list(APPEND args ${extra})
endif()

# The script finds its own fresh folder in the environment variable ORVEX_TEST_WORK.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ORVEX_TEST_WORK=${WORKDIR} XDG_CACHE_HOME=${WORKDIR}/cache
                        ${program} -log ${WORKDIR}/orvex.log ${args}
                WORKING_DIRECTORY ${dir}
                INPUT_FILE ${SCRIPT}
                OUTPUT_VARIABLE console ERROR_VARIABLE errors
                RESULT_VARIABLE status
                TIMEOUT 50)
if(errors STREQUAL "")
  set(console "${console}[exit ${status}]\n")
else()
  set(console "${console}[stderr]\n${errors}[exit ${status}]\n")
endif()
if(EXISTS ${WORKDIR}/orvex.log)
  file(READ ${WORKDIR}/orvex.log log)
else()
  set(log "[no log]\n")
endif()

# Volatile text: the programs' and the work folder's absolute paths.
foreach(var console log)
  string(REPLACE "${LAUNCHER}" "orvex" ${var} "${${var}}")
  if(HOST)
    string(REPLACE "${HOST}" "orvex_test_host" ${var} "${${var}}")
  endif()
  string(REPLACE "${WORKDIR}" "<work>" ${var} "${${var}}")
endforeach()

set(failed FALSE)
foreach(kind out log)
  if(kind STREQUAL "out")
    set(actual "${console}")
  else()
    set(actual "${log}")
  endif()
  set(golden ${dir}/${name}.${kind})
  if("$ENV{ORVEX_BLESS}" STREQUAL "1")
    file(WRITE ${golden} "${actual}")
  elseif(NOT EXISTS ${golden})
    message(SEND_ERROR "missing golden ${golden}; run with ORVEX_BLESS=1 and review it")
    set(failed TRUE)
  else()
    file(READ ${golden} expected)
    if(NOT actual STREQUAL expected)
      file(WRITE ${WORKDIR}/actual.${kind} "${actual}")
      execute_process(COMMAND diff -u ${golden} ${WORKDIR}/actual.${kind})
      set(failed TRUE)
    endif()
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "transcript ${name} differs from its golden text")
endif()
