# The release zip as scripts/package.sh packs it from this build: its content
# list, the guide's CR LF line ends, a template per built-in language and the
# checksum beside it.
set(out ${BUILD}/package-test)
execute_process(COMMAND bash ${ROOT}/scripts/package.sh --build-dir ${BUILD} --no-build --out ${out}
                RESULT_VARIABLE packed OUTPUT_VARIABLE zip OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT packed EQUAL 0 OR NOT EXISTS "${zip}")
  message(FATAL_ERROR "package.sh failed (${packed}): ${zip}")
endif()
if(NOT zip MATCHES "/KivoRss-2\\.7\\.[0-9]+\\.zip$")
  message(FATAL_ERROR "the zip's name carries no version: ${zip}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listed RESULT_VARIABLE read)
string(REPLACE "\n" ";" listed "${listed}")
list(REMOVE_ITEM listed "" "templates/")
list(SORT listed)
set(expected KivoRss.dll LICENSE.txt README.txt templates/en.lng templates/ru.lng templates/uk.lng)
if(NOT read EQUAL 0 OR NOT listed STREQUAL expected)
  message(FATAL_ERROR "the zip holds [${listed}], not [${expected}]")
endif()

foreach(text README.txt LICENSE.txt templates/ru.lng)
  # CMake's own reading drops CRs; awk sees the bytes.
  execute_process(COMMAND awk "!/\r$/ { bad = 1 } END { exit bad }" ${out}/stage/${text} RESULT_VARIABLE lone)
  if(NOT lone EQUAL 0)
    message(FATAL_ERROR "${text} does not end every line with CR LF")
  endif()
endforeach()
file(READ ${out}/stage/templates/en.lng english)
if(NOT english MATCHES "^\\[RSS_Reader_Lang_File\\]\r?\nlang_plug_show=Open RSS plugin\r?\n")
  message(FATAL_ERROR "templates/en.lng is not the English language file")
endif()

get_filename_component(name ${zip} NAME)
execute_process(COMMAND sha256sum -c ${name}.sha256 WORKING_DIRECTORY ${out} RESULT_VARIABLE checked)
if(NOT checked EQUAL 0)
  message(FATAL_ERROR "the checksum beside the zip does not match it")
endif()
