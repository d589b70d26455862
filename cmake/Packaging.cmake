# What is installed where, and the Debian package made of it: the one place for both.
# scripts/package.sh builds the package with Debian's hardening flags from a build folder
# without tests.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/Releases.cmake)

set(DAWNBELL_PACKAGE_NAME dawnbell)
set(DAWNBELL_MAINTAINER "Dawnbell developers <dawnbell@users.noreply.github.com>")
# SPDX identifier of the licence in LICENSE; Debian's copyright format calls the same text Expat.
set(DAWNBELL_LICENSE MIT)
# The layout's faces are drawn with metric-compatible look-alikes (see Form's font
# substitutes): Liberation Sans for the dialog font and Carlito for the banner. Any other face
# is wider, and the fixed-size captions are cut.
set(DAWNBELL_FONT_PACKAGES fonts-liberation2 fonts-crosextra-carlito)

set(DAWNBELL_PROGRAMS dawnbell dawnbell-sim dawnbell-send)
install(TARGETS ${DAWNBELL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32 OR APPLE)
    return()
endif()

set(packageFiles ${PROJECT_BINARY_DIR}/package)
set(docDir ${CMAKE_INSTALL_DATADIR}/doc/${DAWNBELL_PACKAGE_NAME})
find_program(DAWNBELL_GZIP gzip REQUIRED)

# Compressed as Debian's policy asks: best compression, no name or time stamp inside, so the
# same text always gives the same bytes.
function(dawnbell_write_gzip text file)
    file(WRITE ${file}.tmp "${text}")
    execute_process(COMMAND ${DAWNBELL_GZIP} -9n -c ${file}.tmp OUTPUT_FILE ${file}
                    RESULT_VARIABLE failed)
    file(REMOVE ${file}.tmp)
    if(failed)
        message(FATAL_ERROR "gzip failed to write ${file}")
    endif()
endfunction()

# A stripped program still holds the compilers' version strings; Debian's own packaging
# removes them too.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program ${DAWNBELL_PROGRAMS})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()
")

dawnbell_read_releases(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${DAWNBELL_PACKAGE_NAME} 1
                       "${DAWNBELL_MAINTAINER}")

# The programs.
install(FILES resources/dawnbell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(resources/local.dawnbell.dawnbell.metainfo.xml.in
               ${packageFiles}/local.dawnbell.dawnbell.metainfo.xml @ONLY)
install(FILES ${packageFiles}/local.dawnbell.dawnbell.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# resources/icons/ is laid out as the icon theme is installed.
install(DIRECTORY resources/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages, dated and versioned by the release they ship with.
foreach(page resources/man/dawnbell.1 resources/man/dawnbell-sim.1 tools/send/dawnbell-send.1)
    file(READ ${PROJECT_SOURCE_DIR}/${page} text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${page})
    set(titleLine "(^|\n)\\.TH ([^ \n]+) ([0-9]) \"[^\"\n]*\" \"[^\"\n]*\"")
    if(NOT text MATCHES "${titleLine}")
        message(FATAL_ERROR "${page}: no '.TH NAME SECTION \"DATE\" \"SOURCE\"' line")
    endif()
    string(REGEX REPLACE "${titleLine}"
           "\\1.TH \\2 \\3 \"${DAWNBELL_RELEASE_DATE}\" \"Dawnbell ${DAWNBELL_VERSION_TEXT}\""
           text "${text}")
    get_filename_component(name ${page} NAME)
    dawnbell_write_gzip("${text}" ${packageFiles}/${name}.gz)
    install(FILES ${packageFiles}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# dawnbell-send's systemd user units. The service names the program by its installed path,
# known only when installing: the package installs under /usr whatever prefix the build was
# configured with.
set(service ${packageFiles}/dawnbell-sync.service)
install(CODE "
    set(DAWNBELL_SEND \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/dawnbell-send\")
    configure_file(\"${PROJECT_SOURCE_DIR}/tools/send/dawnbell-sync.service.in\" \"${service}\"
                   @ONLY)
")
install(FILES ${service} tools/send/dawnbell-sync.timer DESTINATION lib/systemd/user)

# The licence in Debian's machine-readable copyright format, from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licenseText)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT licenseText MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE: no 'Copyright (c) YEAR HOLDER' line before the terms")
endif()
set(copyrightHolder "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" licenseTerms "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " licenseTerms "${licenseTerms}")
file(WRITE ${packageFiles}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Dawnbell\n"
     "Upstream-Contact: ${DAWNBELL_MAINTAINER}\n"
     "\n"
     "Files: *\n"
     "Copyright: ${copyrightHolder}\n"
     "License: Expat\n"
     " ${licenseTerms}\n")
install(FILES ${packageFiles}/copyright DESTINATION ${docDir})

dawnbell_write_gzip("${DAWNBELL_DEBIAN_CHANGELOG}" ${packageFiles}/changelog.Debian.gz)
install(FILES ${packageFiles}/changelog.Debian.gz DESTINATION ${docDir})
install(FILES resources/dawnbell.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${DAWNBELL_PACKAGE_NAME})

# The Debian package. Its version carries the Debian revision of the changelog entries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${DAWNBELL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR "Dawnbell developers")
set(CPACK_PACKAGE_CONTACT "${DAWNBELL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Dawnbell sets up a bedside clock that sits on the network behind a WIZnet\n"
    "WIZ750SR serial-to-Ethernet module, by writing short text commands to it\n"
    "over TCP: it sets the clock from the computer's date and time, sets up,\n"
    "plays and stops the wake-up alarm with one of sixteen tracks, switches the\n"
    "hourly announcement, and picks the colour scheme and the wake-up screen.\n"
    "\n"
    "The package also holds dawnbell-send, which sends one command from scripts\n"
    "and from a daily systemd user timer, and dawnbell-sim, a stand-in for the\n"
    "clock that shows what each command does.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${DAWNBELL_FONT_PACKAGES})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
# A build for another processor makes that processor's package (cmake/aarch64-linux-gnu.cmake):
# its Debian architecture follows from the toolchain's multiarch name, and dpkg-shlibdeps,
# which CPack runs, reads the libraries of that architecture when told it is the host's.
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(WRITE ${packageFiles}/cpack-host.cmake
         "set(ENV{DEB_HOST_ARCH} ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})\n")
    set(CPACK_PROJECT_CONFIG_FILE ${packageFiles}/cpack-host.cmake)
endif()
include(CPack)
