# Downloads the upstream tarball of a Debian source package with apt, into
# DESTINATION, unless it is already there. Run as a script:
#   cmake -DPACKAGE=name -DVERSION=upstream-version -DFILE=name_x.y.orig.tar.gz
#         -DDESTINATION=dir -P FetchDebianSource.cmake
# Any Debian revision of that upstream version will do: the archive holds one
# orig tarball per upstream version of a package, which all its revisions share,
# and Debian's releases carry different revisions of the same one. The caller
# checks the file's SHA-256 before using it.
#
# apt-get source needs a deb-src entry. It gets one in private sources, lists
# and cache under DESTINATION, so the machine's own configuration is never
# changed: an update whose sources hold only deb-src would drop the binary
# package lists.
foreach(name IN ITEMS PACKAGE VERSION FILE DESTINATION)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "FetchDebianSource.cmake needs -D${name}=...")
    endif()
endforeach()
if(EXISTS ${DESTINATION}/${FILE})
    return()
endif()

set(apt_dir ${DESTINATION}/apt)
file(MAKE_DIRECTORY ${apt_dir}/lists/partial ${apt_dir}/cache/archives/partial
    ${apt_dir}/sources.list.d)
# The archives that the machine's own sources name, the same archives and
# mirrors, asked for source packages instead of binary ones.
set(one_line_sources "")
if(EXISTS /etc/apt/sources.list)
    file(STRINGS /etc/apt/sources.list lines REGEX "^[ \t]*deb[ \t]")
    list(TRANSFORM lines REPLACE "^[ \t]*deb[ \t]" "deb-src ")
    list(JOIN lines "\n" one_line_sources)
endif()
file(WRITE ${apt_dir}/sources.list "${one_line_sources}\n")
file(GLOB system_parts /etc/apt/sources.list.d/*.sources)
foreach(part IN LISTS system_parts)
    file(READ ${part} text)
    string(REGEX REPLACE "(^|\n)Types:[^\n]*" "\\1Types: deb-src" text "${text}")
    cmake_path(GET part FILENAME name)
    file(WRITE ${apt_dir}/sources.list.d/${name} "${text}")
endforeach()
set(apt_options
    -o Dir::Etc::SourceList=${apt_dir}/sources.list
    -o Dir::Etc::SourceParts=${apt_dir}/sources.list.d
    -o Dir::State::Lists=${apt_dir}/lists
    -o Dir::Cache=${apt_dir}/cache)
find_program(APT_GET apt-get REQUIRED)
find_program(APT_CACHE apt-cache REQUIRED)
execute_process(COMMAND ${APT_GET} ${apt_options} update -qq COMMAND_ERROR_IS_FATAL ANY)

# The revisions on offer, [epoch:]upstream[-revision] each; the first whose
# upstream part is VERSION is fetched.
execute_process(COMMAND ${APT_CACHE} ${apt_options} showsrc --only-source ${PACKAGE}
    OUTPUT_VARIABLE records
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "(^|\n)Version: [^\n]+" lines "${records}")
set(offered "")
set(revision "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^\n?Version: " "" candidate "${line}")
    list(APPEND offered ${candidate})
    string(REGEX REPLACE "^[0-9]+:" "" upstream "${candidate}")
    string(REGEX REPLACE "-[^-]*$" "" upstream "${upstream}")
    if(upstream STREQUAL VERSION AND NOT revision)
        set(revision ${candidate})
    endif()
endforeach()
if(NOT revision)
    list(JOIN offered ", " offered)
    message(FATAL_ERROR "Debian's sources have no ${PACKAGE} ${VERSION}, only: ${offered}")
endif()

# Only the tarball: the build uses none of Debian's changes, and a mirror may
# lack a revision's other files while it serves the tarball that they share.
execute_process(COMMAND ${APT_GET} ${apt_options} source --print-uris -qq ${PACKAGE}=${revision}
    WORKING_DIRECTORY ${DESTINATION}
    OUTPUT_VARIABLE uris
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "'([^']+)' ${FILE} " line "${uris}")
if(NOT line)
    message(FATAL_ERROR "Debian's ${PACKAGE} ${revision} has no ${FILE}")
endif()
# apt's own download helper, through the same proxies and methods as apt-get.
find_program(APT_HELPER apt-helper PATHS /usr/lib/apt NO_DEFAULT_PATH REQUIRED)
execute_process(COMMAND ${APT_HELPER} -qq download-file ${CMAKE_MATCH_1} ${DESTINATION}/${FILE}
    COMMAND_ERROR_IS_FATAL ANY)
