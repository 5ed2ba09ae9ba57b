# Builds velkaro.chm from the help sources; run by help/CMakeLists.txt as
#   cmake -DSOURCE_DIR=... -DSTAGE_DIR=... -DOUTPUT=... -DCHMCMD=... -DICONV=... -P build_chm.cmake
#
# The sources are UTF-8. HTML Help reads the contents, the index and the window title in the code
# page of the help file's language (1251 for Russian, 0x419), so those must reach the CHM as
# Windows-1251 bytes. The pages are converted too, with their charset declaration changed to
# match: then every text in the CHM, the topic titles HTML Help takes from the pages included,
# is in one encoding. A character that Windows-1251 lacks stops the build instead of turning
# into a question mark.
#
# chmcmd returns 0 even when a page links to a file that is missing; its warnings fail the build
# here, so a dangling link never reaches a release. The CHM is copied to OUTPUT only when
# everything succeeded, so a failed build leaves no half-made help file behind.

foreach(var SOURCE_DIR STAGE_DIR OUTPUT CHMCMD ICONV)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "build_chm.cmake: ${var} is not set")
    endif()
endforeach()

set(kUtf8Declaration "charset=utf-8")
set(kCp1251Declaration "charset=windows-1251")

# Converts one UTF-8 source to Windows-1251 at `target`; pages get their declaration changed.
function(convert_to_cp1251 source target)
    file(READ "${source}" text)
    get_filename_component(name "${source}" NAME)
    if(name MATCHES "\\.html$")
        string(FIND "${text}" "${kUtf8Declaration}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${source}: the page must declare ${kUtf8Declaration} in its "
                                "Content-Type meta element")
        endif()
        string(REPLACE "${kUtf8Declaration}" "${kCp1251Declaration}" text "${text}")
    endif()
    set(utf8 "${target}.utf8")
    file(WRITE "${utf8}" "${text}")
    execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP1251 "${utf8}"
                    OUTPUT_FILE "${target}"
                    ERROR_VARIABLE error
                    RESULT_VARIABLE result)
    file(REMOVE "${utf8}")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${source}: cannot be written in Windows-1251 (iconv: ${error})")
    endif()
endfunction()

file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")

# The CHM keeps every file at its root, where the program's topic "::/nazn.html" points.
file(GLOB pages "${SOURCE_DIR}/pages/*")
foreach(source IN ITEMS "${SOURCE_DIR}/velkaro.hhp" "${SOURCE_DIR}/velkaro.hhc"
                        "${SOURCE_DIR}/velkaro.hhk" ${pages})
    get_filename_component(name "${source}" NAME)
    convert_to_cp1251("${source}" "${STAGE_DIR}/${name}")
endforeach()

execute_process(COMMAND "${CHMCMD}" velkaro.hhp
                WORKING_DIRECTORY "${STAGE_DIR}"
                OUTPUT_VARIABLE output
                ERROR_VARIABLE output
                RESULT_VARIABLE result)
string(REGEX MATCHALL "(Warning|Error)[^\n]*" problems "${output}")
if(NOT result EQUAL 0 OR problems OR NOT EXISTS "${STAGE_DIR}/velkaro.chm")
    message(FATAL_ERROR "chmcmd could not build velkaro.chm (exit ${result}):\n${output}")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(COPY_FILE "${STAGE_DIR}/velkaro.chm" "${OUTPUT}")
