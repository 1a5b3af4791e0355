# Downloads the upstream tarball of a Debian source package with apt-get, into
# DESTINATION, unless it is already there. Run as a script:
#   cmake -DPACKAGE=name -DVERSION=debian-version -DFILE=name_x.y.orig.tar.gz
#         -DDESTINATION=dir -P FetchDebianSource.cmake
# The caller checks the file's SHA-256 before using it.
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
execute_process(COMMAND ${APT_GET} ${apt_options} update -qq COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${APT_GET} ${apt_options} source --download-only -qq ${PACKAGE}=${VERSION}
    WORKING_DIRECTORY ${DESTINATION}
    COMMAND_ERROR_IS_FATAL ANY)
if(NOT EXISTS ${DESTINATION}/${FILE})
    message(FATAL_ERROR "apt-get source ${PACKAGE}=${VERSION} brought no ${FILE}")
endif()
