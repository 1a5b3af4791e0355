# The Windows build, cross-compiled with MinGW-w64 (cmake/MinGW-w64.toolchain.cmake).
# freeglut is built here from Debian's source package as a static library, and
# the imported targets that the Linux build finds are made here for it, as the
# browser build does with Emscripten's.
include(ExternalProject)

# OpenGL is the system's opengl32, which FindOpenGL knows on Windows.
find_package(OpenGL REQUIRED)

# The upstream version and its tarball's hash say what is built; the Debian
# revision that brings the tarball is whichever the machine's release has.
set(FREEGLUT_VERSION 3.4.0)
set(FREEGLUT_TARBALL freeglut_${FREEGLUT_VERSION}.orig.tar.gz)
# Pinned: what is built is exactly what was reviewed, whatever the archive serves.
set(FREEGLUT_SHA256 3c0bcb915d9b180a97edaebd011b7a1de54583a838644dcd42bb0ea0c6f3eaec)

# Tarball, sources, build and install all stay in the build tree, so a rebuild
# neither fetches nor compiles freeglut again.
set(freeglut_prefix ${CMAKE_BINARY_DIR}/freeglut)
set(freeglut_install ${freeglut_prefix}/install)
set(freeglut_library ${freeglut_install}/lib/libfreeglut_static.a)
ExternalProject_Add(freeglut
    PREFIX ${freeglut_prefix}
    DOWNLOAD_DIR ${freeglut_prefix}/download
    URL ${freeglut_prefix}/download/${FREEGLUT_TARBALL}
    URL_HASH SHA256=${FREEGLUT_SHA256}
    INSTALL_DIR ${freeglut_install}
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
        -DCMAKE_INSTALL_LIBDIR=lib
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF
        -DFREEGLUT_BUILD_STATIC_LIBS=ON
        -DFREEGLUT_BUILD_DEMOS=OFF
        # freeglut 3.4.0 asks for CMake 3.0's behaviour, which CMake 4 no longer
        # has: without this it refuses to configure it. 3.5's is the oldest it
        # keeps. CMake before 4.0 does not know the variable and leaves it unused.
        -DCMAKE_POLICY_VERSION_MINIMUM=3.5
    BUILD_BYPRODUCTS ${freeglut_library}
    # Its configure and build lines are long and say nothing when all goes well.
    LOG_CONFIGURE ON
    LOG_BUILD ON
    LOG_INSTALL ON
    LOG_OUTPUT_ON_FAILURE ON)
# The download step checks URL_HASH, then unpacks; the file is fetched first.
ExternalProject_Add_Step(freeglut fetch
    COMMAND ${CMAKE_COMMAND}
        -DPACKAGE=freeglut
        -DVERSION=${FREEGLUT_VERSION}
        -DFILE=${FREEGLUT_TARBALL}
        -DDESTINATION=<DOWNLOAD_DIR>
        -P ${CMAKE_CURRENT_LIST_DIR}/FetchDebianSource.cmake
    COMMENT "Fetching freeglut ${FREEGLUT_VERSION} from Debian's source packages"
    DEPENDEES mkdir
    DEPENDERS download
    INDEPENDENT TRUE)

# An imported target's include directory must exist when the build is generated,
# before freeglut is installed into it.
file(MAKE_DIRECTORY ${freeglut_install}/include)
add_library(GLUT::GLUT STATIC IMPORTED)
set_target_properties(GLUT::GLUT PROPERTIES IMPORTED_LOCATION ${freeglut_library})
target_include_directories(GLUT::GLUT INTERFACE ${freeglut_install}/include)
# Without it freeglut's header declares its functions as imported from a DLL.
target_compile_definitions(GLUT::GLUT INTERFACE FREEGLUT_STATIC)
target_link_libraries(GLUT::GLUT INTERFACE OpenGL::GL winmm gdi32)
add_dependencies(GLUT::GLUT freeglut)

enable_language(RC)

# The C and C++ runtimes, winpthread and libssp linked in, so that an executable
# runs with only the DLLs that Windows itself ships.
add_library(sorvane_static_runtime INTERFACE)
target_link_options(sorvane_static_runtime INTERFACE -static)

# Makes TARGET a self-contained Windows program with the project's icon and
# version information. It keeps the console subsystem: the progress lines go to
# standard output, which a GUI-subsystem program started from Explorer lacks.
function(sorvane_windows_executable target)
    find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
    set(icon ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
    # The sizes that Explorer and the taskbar ask for; 256 is stored as PNG.
    foreach(size IN ITEMS 16 32 48 256)
        list(APPEND pngs ${PROJECT_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/sorvane.png)
    endforeach()
    add_custom_command(OUTPUT ${icon}
        COMMAND ${IMAGEMAGICK_CONVERT} ${pngs} ${icon}
        DEPENDS ${pngs}
        COMMENT "Converting the icons to ${target}.ico"
        VERBATIM)

    file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright " LIMIT_COUNT 1)
    set(resources ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/data/sorvane.rc.in ${resources} @ONLY)
    # windres reads the icon; the build knows of it only through this.
    set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS ${icon})
    target_sources(${target} PRIVATE ${resources})
    target_link_libraries(${target} PRIVATE sorvane_static_runtime)
    # The linker would stamp the file header with the time of the link; without
    # it the same sources link to the same bytes, as on Linux. Windows needs no
    # stamp to run it. (strip, in a stripped install and CPack's zip, stamps it
    # again, with SOURCE_DATE_EPOCH where set: ./scripts/release sets it.)
    target_link_options(${target} PRIVATE LINKER:--no-insert-timestamp)
endfunction()
