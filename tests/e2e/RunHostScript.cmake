# cmake -DEMULATOR=... -DHOST=KivoHost.exe -DPLUGIN=X.dll -DSCRIPT=x.script -DWORK=dir
#       [-DRC=n] [-DOUTPUT_CONTAINS=text] [-DSERVER_FILE=ports [-DHTTPS=1]] [-DFOLDER=name]
#       -P RunHostScript.cmake
# Copies the plugin into an empty folder (so its INI, Cache\ and the settings
# file start empty) and runs the script in KivoHost from there. With
# SERVER_FILE the script finds the test server at $KIVO_TEST_HTTP (host:port),
# its port alone in $KIVO_TEST_PORT, the proxy at $KIVO_TEST_PROXY_HOST and
# $KIVO_TEST_PROXY_PORT, the TLS port in $KIVO_TEST_HTTPS_PORT, and a word of
# letters and digits new to each run in $KIVO_TEST_RUN (for the server's
# one-time routes); without a server, or with HTTPS but no TLS listener, it is
# skipped. With FOLDER (UTF-8) the plugin, the settings file and a copy of the
# script go into a folder of that name inside WORK, which the run also starts in.
# Every script finds the sample files of tests/data in $KIVO_TEST_DATA.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED RC)
  set(RC 0)
endif()
file(REMOVE_RECURSE ${WORK})
get_filename_component(data "${SCRIPT}/../../data" ABSOLUTE)
set(ENV{KIVO_TEST_DATA} "${data}")
set(dir "${WORK}")
if(DEFINED FOLDER)
  set(dir "${WORK}/${FOLDER}")
  # Wine reads the command line and names files in the locale's character set.
  set(ENV{LC_ALL} C.UTF-8)
endif()
file(MAKE_DIRECTORY "${dir}")
if(EXISTS ${PLUGIN})
  file(COPY ${PLUGIN} DESTINATION "${dir}")
endif()
if(DEFINED FOLDER)
  file(COPY ${SCRIPT} DESTINATION "${dir}")
  get_filename_component(script_name ${SCRIPT} NAME)
  set(SCRIPT "${dir}/${script_name}")
endif()
if(DEFINED SERVER_FILE)
  if(NOT EXISTS "${SERVER_FILE}")
    message("SKIPPED: no test server (${SERVER_FILE} is missing)")
    return()
  endif()
  file(STRINGS ${SERVER_FILE} http REGEX "^http=")
  string(REGEX REPLACE "^http=" "" http "${http}")
  string(REGEX REPLACE "^.*:" "" port "${http}")
  set(ENV{KIVO_TEST_HTTP} ${http})
  set(ENV{KIVO_TEST_PORT} ${port})
  file(STRINGS ${SERVER_FILE} proxy REGEX "^proxy=")
  string(REGEX REPLACE "^proxy=" "" proxy "${proxy}")
  string(REGEX REPLACE ":.*$" "" proxy_host "${proxy}")
  string(REGEX REPLACE "^.*:" "" proxy_port "${proxy}")
  set(ENV{KIVO_TEST_PROXY_HOST} ${proxy_host})
  set(ENV{KIVO_TEST_PROXY_PORT} ${proxy_port})
  file(STRINGS ${SERVER_FILE} https REGEX "^https=")
  string(REGEX REPLACE "^.*:" "" https_port "${https}")
  if(HTTPS AND https_port STREQUAL "")
    message("SKIPPED: no test server (its TLS listener is missing)")
    return()
  endif()
  set(ENV{KIVO_TEST_HTTPS_PORT} "${https_port}")
  string(TIMESTAMP stamp "%H%M%S")
  string(RANDOM LENGTH 6 ALPHABET abcdefghijklmnopqrstuvwxyz0123456789 salt)
  set(ENV{KIVO_TEST_RUN} "${stamp}${salt}")
endif()
get_filename_component(plugin_name ${PLUGIN} NAME)
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(
  COMMAND ${emulator} ${HOST} --plugin "${dir}/${plugin_name}" --settings "${dir}/KivoHost.settings"
          --script "${SCRIPT}"
  WORKING_DIRECTORY "${dir}"
  OUTPUT_FILE ${WORK}/stdout.txt ERROR_FILE ${WORK}/stderr.txt RESULT_VARIABLE rc)
file(READ ${WORK}/stdout.txt out)
file(READ ${WORK}/stderr.txt err)
message("${out}")
if(NOT rc STREQUAL RC)
  message(FATAL_ERROR "KivoHost exited with ${rc}, expected ${RC}\nhost log:\n${err}")
endif()
if(DEFINED OUTPUT_CONTAINS)
  string(FIND "${out}${err}" "${OUTPUT_CONTAINS}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the output lacks [${OUTPUT_CONTAINS}]\nhost log:\n${err}")
  endif()
endif()
