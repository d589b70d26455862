# The translation template: every text the programs show is marked with tr() (or
# QT_TRANSLATE_NOOP where it sits in a table), and Qt Linguist's lupdate collects them from the
# sources into translations/dawnbell.ts in the build folder. No translation ships; a translator
# starts from this file. lupdate runs on the build machine, so a cross build finds it there too.
find_program(DAWNBELL_LUPDATE NAMES lupdate lupdate-qt6
             HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin
             NO_CMAKE_FIND_ROOT_PATH)
if(NOT DAWNBELL_LUPDATE)
    message(STATUS "lupdate not found: no translation template (Debian: qt6-l10n-tools)")
    return()
endif()

set(translatedFolders app console desktop device link panel settings tools ui)
set(translationSources)
foreach(folder IN LISTS translatedFolders)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp
         ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND translationSources ${found})
endforeach()
set(DAWNBELL_TRANSLATION_TEMPLATE ${PROJECT_BINARY_DIR}/translations/dawnbell.ts)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/translations)
add_custom_command(OUTPUT ${DAWNBELL_TRANSLATION_TEMPLATE}
    COMMAND ${DAWNBELL_LUPDATE} -silent -locations relative -extensions cpp,h
            ${translatedFolders} -ts ${DAWNBELL_TRANSLATION_TEMPLATE}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS ${translationSources}
    COMMENT "Collecting the texts to translate into translations/dawnbell.ts"
    VERBATIM)
add_custom_target(translation_template ALL DEPENDS ${DAWNBELL_TRANSLATION_TEMPLATE})
