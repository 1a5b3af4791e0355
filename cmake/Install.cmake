# Where each installed file goes, in the GNU layout: the program, its manual
# page (section 6, demos), the desktop entry, icons and AppStream metainfo,
# and the documents; on Windows, the program and its documents in one folder.
include(GNUInstallDirs)

# The release files carry the version by hand; stop a release whose manual page
# or changelog was not brought up to date with it.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/sorvane.6 manual_title REGEX "^\\.TH ")
if(NOT manual_title MATCHES "\"${PROJECT_NAME} ${PROJECT_VERSION}\"")
    message(FATAL_ERROR "data/sorvane.6 does not name version ${PROJECT_VERSION}: ${manual_title}")
endif()
# The changelog is the Debian package's (CHANGELOG links to it), so this also
# keeps the package's version the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "debian/changelog does not start with version ${PROJECT_VERSION}: "
        "${changelog_top}")
endif()

# On Windows a zip to unpack anywhere: the program beside its documents. The
# licence and the changelog get the extension that lets Explorer open them.
if(WIN32)
    install(TARGETS sorvane RUNTIME DESTINATION .)
    install(FILES README.md DESTINATION .)
    install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
    install(FILES debian/changelog DESTINATION . RENAME CHANGELOG.txt)
    return()
endif()

# Manual pages are installed compressed; -n leaves the name and time out of the
# header, so the same sources give the same bytes.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(manual_page ${PROJECT_BINARY_DIR}/compressed/sorvane.6.gz)
add_custom_command(OUTPUT ${manual_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/compressed
    COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/data/sorvane.6 > ${manual_page}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/sorvane.6
    VERBATIM)
add_custom_target(sorvane_manual_page ALL DEPENDS ${manual_page})

# The AppStream metainfo that software centres list the program by, its
# releases made from the changelog; a change there configures again.
include(${PROJECT_SOURCE_DIR}/cmake/ChangelogReleases.cmake)
set(metainfo_source ${PROJECT_SOURCE_DIR}/data/org.example.sorvane.metainfo.xml.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/debian/changelog ${metainfo_source})
changelog_releases(${PROJECT_SOURCE_DIR}/debian/changelog releases)
file(READ ${metainfo_source} metainfo)
# AppStream 1.0 names the developer in <developer>, with an id and a <name>,
# as the source does, and reports 0.x's <developer_name> as deprecated;
# AppStream 0.16 knows only <developer_name>. The metainfo is written for the
# AppStream that appstreamcli on the building system reports, the one of the
# system that the package is for (./scripts/package and ./scripts/release
# install it); without appstreamcli, for 1.0.
find_program(APPSTREAMCLI appstreamcli)
set(appstream_version 1.0)
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} --version
        OUTPUT_VARIABLE appstream_reply COMMAND_ERROR_IS_FATAL ANY)
    if(NOT appstream_reply MATCHES "version: ([0-9]+\\.[0-9]+)")
        message(FATAL_ERROR "appstreamcli --version gave no version: ${appstream_reply}")
    endif()
    set(appstream_version ${CMAKE_MATCH_1})
endif()
if(appstream_version VERSION_LESS 1.0)
    string(REGEX REPLACE "<developer id=\"[^\"]*\">[ \n]*<name>([^<]*)</name>[ \n]*</developer>"
        "<developer_name>\\1</developer_name>" metainfo "${metainfo}")
endif()
message(STATUS "Metainfo written for AppStream ${appstream_version}")
set(SORVANE_METAINFO ${PROJECT_BINARY_DIR}/org.example.sorvane.metainfo.xml)
file(CONFIGURE OUTPUT ${SORVANE_METAINFO} CONTENT "${metainfo}" @ONLY)

install(TARGETS sorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cmake --install --strip) also drops the compiler's
# version notes, which plain strip leaves in (dh_strip drops them from the
# Debian package). Only with binutils' objcopy; other systems keep them.
if(CMAKE_OBJCOPY)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:sorvane>\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
endif()
install(FILES ${manual_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES data/sorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SORVANE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN ITEMS 16 32 48 64 128 256)
    install(FILES data/icons/hicolor/${size}x${size}/apps/sorvane.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The changelog and the copyright come with the Debian package (debian/), which
# Debian's tools install.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
