# The Windows zip, made by CPack from the install rules:
# build/windows/sorvane-<version>-win64.zip after ./scripts/package. (Debian's
# packages are made from the source package in debian/.)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The sorvane developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME win64)
# Unpacked, the files land in a folder named like the zip, not loose.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
