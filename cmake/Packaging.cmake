# The Debian package, made by CPack from the install rules:
# build/release/sorvane_<version>_<arch>.deb after ./scripts/package; for
# Windows a zip, build/windows/sorvane-<version>-win64.zip.
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The sorvane developers")
set(CPACK_PACKAGE_CONTACT "The sorvane developers <developers@sorvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "translucent random polygon turning in an OpenGL window")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A small desktop graphics demo. At start it generates 500 points with random\n"
    "positions and colours, then draws them in a 600x600 window as one translucent,\n"
    "smooth-shaded polygon on white, turning about the diagonal axis at 25 degrees\n"
    "per second. Every start makes a new figure. Escape quits; F11 toggles full\n"
    "screen.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Directories that the install rules create implicitly; independent of the
# umask of whoever builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win64)
    # Unpacked, the files land in a folder named like the zip, not loose.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    include(CPack)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the executable links, as dpkg-shlibdeps
# finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
