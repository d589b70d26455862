# Reads the release notes in CHANGELOG.md, the one list of releases, and turns them into the
# forms the Debian package and the AppStream metainfo carry.
#
# CHANGELOG.md: a heading "## VERSION - YYYY-MM-DD" per release, newest first, then one "- "
# item per change, continued on lines indented by two blanks. Anything before the first
# heading is an introduction for readers.

# "Tue, 08 Dec 2026 12:00:00 +0000" for 2026-12-08: a Debian changelog's trailer date. The
# notes carry no time of day, so every release is dated at noon UTC.
function(dawnbell_rfc2822_date isoDate outVar)
    string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" _ "${isoDate}")
    if(NOT CMAKE_MATCH_0)
        message(FATAL_ERROR "CHANGELOG.md: '${isoDate}' is not a date written YYYY-MM-DD")
    endif()
    set(year ${CMAKE_MATCH_1})
    math(EXPR month "1${CMAKE_MATCH_2} - 100")
    math(EXPR day "1${CMAKE_MATCH_3} - 100")
    # Sakamoto's weekday rule: 0 is Sunday.
    set(monthOffsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR monthIndex "${month} - 1")
    list(GET monthOffsets ${monthIndex} offset)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekdayName)
    list(GET months ${monthIndex} monthName)
    set(${outVar} "${weekdayName}, ${CMAKE_MATCH_3} ${monthName} ${year} 12:00:00 +0000"
        PARENT_SCOPE)
endfunction()

function(dawnbell_xml_text text outVar)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${outVar} "${text}" PARENT_SCOPE)
endfunction()

# Sets in the caller's scope:
#   DAWNBELL_RELEASE_DATE       the newest release's date, YYYY-MM-DD
#   DAWNBELL_DEBIAN_CHANGELOG   every release as a Debian changelog entry
#   DAWNBELL_APPSTREAM_RELEASES every release as an AppStream <release> element
# The newest release must be the project's version, so the package never ships notes that
# stop one release short.
function(dawnbell_read_releases changelogFile packageName debianRevision maintainer)
    file(READ "${changelogFile}" text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${changelogFile}")
    # Markdown code marks mean nothing in a changelog entry or a software centre.
    string(REPLACE "`" "" text "${text}")

    set(debian "")
    set(appstream "")
    set(newestDate "")
    set(newestVersion "")
    set(release "")
    set(item "")
    # One line at a time by position, not as a CMake list, so ';' and '[' in the notes stay text.
    string(APPEND text "\n## end\n")
    while(NOT text STREQUAL "")
        string(FIND "${text}" "\n" end)
        string(SUBSTRING "${text}" 0 ${end} line)
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${text}" ${end} -1 text)

        if(line MATCHES "^  +[^ ]" AND NOT item STREQUAL "")
            string(STRIP "${line}" line)
            string(APPEND item "\n${line}")
            continue()
        endif()
        # The item before this line is complete.
        if(NOT item STREQUAL "")
            string(REPLACE "\n" "\n    " debianItem "${item}")
            string(APPEND debian "  * ${debianItem}\n")
            string(REPLACE "\n" " " xmlItem "${item}")
            dawnbell_xml_text("${xmlItem}" xmlItem)
            string(APPEND appstream "          <li>${xmlItem}</li>\n")
            set(item "")
        endif()
        if(line MATCHES "^- (.+)$")
            if(release STREQUAL "")
                message(FATAL_ERROR "CHANGELOG.md: an item before the first release heading")
            endif()
            set(item "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^## ")
            if(NOT release STREQUAL "")
                dawnbell_rfc2822_date("${releaseDate}" trailerDate)
                string(APPEND debian "\n -- ${maintainer}  ${trailerDate}\n")
                string(APPEND appstream "        </ul>\n      </description>\n    </release>\n")
            endif()
            if(line STREQUAL "## end")
                break()
            endif()
            if(NOT line MATCHES "^## ([0-9][0-9.]*[0-9]) - ([0-9-]+)$")
                message(FATAL_ERROR "CHANGELOG.md: '${line}' is not '## VERSION - YYYY-MM-DD'")
            endif()
            set(release "${CMAKE_MATCH_1}")
            set(releaseDate "${CMAKE_MATCH_2}")
            if(newestVersion STREQUAL "")
                set(newestVersion "${release}")
                set(newestDate "${releaseDate}")
            else()
                string(APPEND debian "\n")
            endif()
            string(APPEND debian
                   "${packageName} (${release}-${debianRevision}) unstable; urgency=medium\n\n")
            string(APPEND appstream "    <release version=\"${release}\" date=\"${releaseDate}\">\n"
                   "      <description>\n        <ul>\n")
        endif()
    endwhile()

    if(NOT newestVersion STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "CHANGELOG.md: the newest release is '${newestVersion}', but the "
                            "project's version is ${PROJECT_VERSION}; add its entry first")
    endif()
    set(DAWNBELL_RELEASE_DATE "${newestDate}" PARENT_SCOPE)
    set(DAWNBELL_DEBIAN_CHANGELOG "${debian}" PARENT_SCOPE)
    string(STRIP "${appstream}" appstream)
    set(DAWNBELL_APPSTREAM_RELEASES "${appstream}" PARENT_SCOPE)
endfunction()
