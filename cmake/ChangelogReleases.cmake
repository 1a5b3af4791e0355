# The AppStream releases of the metainfo file, made from the CHANGELOG so that
# software centres list the same versions, dates and changes as the Debian
# changelog. It is read line by line rather than as a CMake list, since its
# lines may hold semicolons.
#
# Reads entries of the Debian format:
#
#   sorvane (VERSION) DISTRIBUTION; urgency=URGENCY
#
#     * A change, which may go on
#       over several lines.
#
#    -- NAME <EMAIL>  Wed, 09 Dec 2026 12:00:00 +0000
#
# and sets OUT_VAR to one <release> element per entry, newest first. A line
# that fits none of these stops the configure step, so that nothing in the
# changelog goes missing from the metainfo unnoticed.
function(changelog_releases changelog out_var)
    file(READ ${changelog} text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    set(releases "")
    set(version "")
    set(items "")
    set(item "")
    set(number 0)
    while(NOT text STREQUAL "")
        math(EXPR number "${number} + 1")
        string(FIND "${text}" "\n" end)
        if(end EQUAL -1)
            set(line "${text}")
            set(text "")
        else()
            string(SUBSTRING "${text}" 0 ${end} line)
            math(EXPR end "${end} + 1")
            string(SUBSTRING "${text}" ${end} -1 text)
        endif()

        if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) [^ ]+; urgency=[a-z]+$")
            set(version "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^  \\* (.+)$" AND NOT version STREQUAL "")
            if(NOT item STREQUAL "")
                string(APPEND items "${item}</li>\n")
            endif()
            set(item "          <li>${CMAKE_MATCH_1}")
        elseif(line MATCHES "^    +(.+)$" AND NOT item STREQUAL "")
            string(APPEND item " ${CMAKE_MATCH_1}")
        elseif(line MATCHES "^ -- .+&lt;.+&gt;  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) "
                AND NOT item STREQUAL "")
            set(year ${CMAKE_MATCH_3})
            list(FIND months ${CMAKE_MATCH_2} month)
            if(month EQUAL -1)
                message(FATAL_ERROR "${changelog}:${number}: no such month: ${CMAKE_MATCH_2}")
            endif()
            math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
            string(LENGTH "${CMAKE_MATCH_1}" digits)
            set(day ${CMAKE_MATCH_1})
            if(digits EQUAL 1)
                set(day 0${day})
            endif()
            if(month LESS 10)
                set(month 0${month})
            endif()
            string(APPEND items "${item}</li>\n")
            string(APPEND releases
                "    <release version=\"${version}\" date=\"${year}-${month}-${day}\">\n"
                "      <description>\n"
                "        <ul>\n"
                "${items}"
                "        </ul>\n"
                "      </description>\n"
                "    </release>\n")
            set(version "")
            set(items "")
            set(item "")
        elseif(NOT line STREQUAL "")
            message(FATAL_ERROR "${changelog}:${number}: not a changelog line: ${line}")
        endif()
    endwhile()
    if(NOT version STREQUAL "" OR releases STREQUAL "")
        message(FATAL_ERROR "${changelog}: an entry without its trailer line, or no entry")
    endif()
    string(REGEX REPLACE "\n$" "" releases "${releases}")
    set(${out_var} "${releases}" PARENT_SCOPE)
endfunction()
