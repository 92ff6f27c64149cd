# Keeps translations/quillmar_en.ts in step with the interface texts.
#
#   cmake -DMODE=update -P translations/translations.cmake
#       adds new texts to the .ts (to be translated with Qt Linguist or by
#       hand) and drops texts no longer used;
#   cmake -DMODE=check -DWORK_DIR=<scratch folder> -P translations/translations.cmake
#       fails when the .ts lacks a text of the sources, still has one they no
#       longer use, or leaves one without English.
#
# LUPDATE and LRELEASE may name the tools; by default they are looked up
# where Debian's qt6-l10n-tools puts them.

cmake_minimum_required(VERSION 3.25)

get_filename_component(source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ts_file "${CMAKE_CURRENT_LIST_DIR}/quillmar_en.ts")
# Every folder with interface texts; tests, benchmarks and fuzz targets have none.
set(text_folders app platform playback dictation settings about sentences align feedback recovery learner lesson
    help progress video)

foreach(tool LUPDATE LRELEASE)
    if(NOT ${tool})
        string(TOLOWER ${tool} name)
        find_program(${tool} ${name} PATHS /usr/lib/qt6/bin NO_DEFAULT_PATH)
        find_program(${tool} ${name})
    endif()
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} not found (Debian: qt6-l10n-tools)")
    endif()
endforeach()

# Without line numbers, so that moving code does not change the .ts.
function(run_lupdate target)
    set(folders "")
    foreach(folder IN LISTS text_folders)
        list(APPEND folders "${source_dir}/${folder}")
    endforeach()
    execute_process(
        COMMAND ${LUPDATE} -silent -locations none -no-obsolete -source-language zh_CN
                -target-language en ${folders} -ts ${target}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "lupdate failed (${rc}):\n${out}${err}")
    endif()
    # lupdate warns about texts it cannot place (tr() outside a class, ...):
    # such a text would never be translated.
    if(err MATCHES "[Ww]arning|[Ee]rror")
        message(FATAL_ERROR "lupdate:\n${err}")
    endif()
endfunction()

if(MODE STREQUAL "update")
    run_lupdate(${ts_file})
    message(STATUS "Updated ${ts_file}")
elseif(MODE STREQUAL "check")
    if(NOT WORK_DIR)
        message(FATAL_ERROR "WORK_DIR is needed")
    endif()
    file(REMOVE_RECURSE ${WORK_DIR})
    file(MAKE_DIRECTORY ${WORK_DIR})
    set(copy "${WORK_DIR}/quillmar_en.ts")
    file(COPY_FILE ${ts_file} ${copy})
    run_lupdate(${copy})

    execute_process(COMMAND ${LRELEASE} ${copy} -qm ${WORK_DIR}/quillmar_en.qm
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "lrelease failed (${rc}):\n${out}${err}")
    endif()
    message(STATUS "${out}")
    set(problems "")
    if(out MATCHES "([1-9][0-9]*) unfinished")
        string(APPEND problems "${CMAKE_MATCH_1} text(s) without a finished translation\n")
    endif()
    if(out MATCHES "Ignored ([0-9]+) untranslated")
        string(APPEND problems "${CMAKE_MATCH_1} untranslated text(s)\n")
    endif()

    file(READ ${ts_file} committed)
    file(READ ${copy} current)
    if(NOT committed STREQUAL current)
        execute_process(COMMAND diff -u ${ts_file} ${copy} OUTPUT_VARIABLE difference)
        string(APPEND problems "translations/quillmar_en.ts is not up to date with the sources:\n"
               "${difference}")
    endif()
    if(problems)
        message(FATAL_ERROR "${problems}"
                "Run tools/update-translations.sh and give every new text its English.")
    endif()
else()
    message(FATAL_ERROR "MODE must be update or check")
endif()
