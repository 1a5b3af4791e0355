# The browser build: Emscripten provides OpenGL as a fixed-function emulation
# over WebGL, and the toolkit is the project's own small JavaScript library for
# a program that runs in a worker, so the imported targets that the desktop
# build finds are made here with the link options that select them.
add_library(OpenGL::GL INTERFACE IMPORTED)
# Immediate mode, the matrix stack and glOrtho exist only in the emulation.
target_link_options(OpenGL::GL INTERFACE -lGL -sLEGACY_GL_EMULATION=1)

# Emscripten's own GLUT needs the page's window and document, which a worker
# lacks. The program's side of its link with the page comes first in the
# script, to set up the Module before the runtime reads it, and ends it.
set(SORVANE_GLUT_SOURCES
    ${PROJECT_SOURCE_DIR}/src/platform/glut_page.js
    ${PROJECT_SOURCE_DIR}/src/platform/page_link.js
    ${PROJECT_SOURCE_DIR}/src/platform/page_link_end.js)
add_library(GLUT::GLUT INTERFACE IMPORTED)
target_link_options(GLUT::GLUT INTERFACE
    "SHELL:--js-library ${PROJECT_SOURCE_DIR}/src/platform/glut_page.js"
    "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/src/platform/page_link.js"
    "SHELL:--post-js ${PROJECT_SOURCE_DIR}/src/platform/page_link_end.js")

# Makes TARGET a web page: its .js and .wasm go to build/<preset>/page beside
# the project's own index.html, its script, its manifest, icons and preview still, all in
# one folder with relative links, ready to be served as they are from any path.
function(sorvane_web_page target)
    set(page_dir ${CMAKE_BINARY_DIR}/page)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${page_dir})
    # Exit handlers and the page's onExit only run when the runtime may end.
    target_link_options(${target} PRIVATE -sEXIT_RUNTIME=1)
    # Only the runtime that the page uses: no file system (the program reads no
    # files, and standard output and error go to the page as lines), no code
    # for Node.js, and of the Module object only what platform/page_link.js
    # gives it. The script runs as a worker, or on the page where the browser
    # cannot draw WebGL in a worker.
    set(module_api print printErr preRun postRun onExit onAbort)
    # Emscripten 3's runtime says on standard output, in a worker, that it
    # cannot decode images unless told that the program loads none; later
    # ones say nothing and no longer take the setting.
    if(EMSCRIPTEN_VERSION VERSION_LESS 4)
        list(APPEND module_api noImageDecoding)
    endif()
    list(JOIN module_api , module_api)
    target_link_options(${target} PRIVATE
        -sENVIRONMENT=web,worker -sFILESYSTEM=0 -sGL_FFP_ONLY=1
        "-sINCOMING_MODULE_JS_API=[${module_api}]")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${SORVANE_GLUT_SOURCES})
    foreach(name IN ITEMS index.html page.js sorvane.webmanifest icons/sorvane-192.png icons/sorvane-512.png)
        cmake_path(GET name FILENAME file)
        configure_file(${PROJECT_SOURCE_DIR}/web/${name} ${page_dir}/${file} COPYONLY)
    endforeach()
    configure_file(${PROJECT_SOURCE_DIR}/data/icons/hicolor/32x32/apps/sorvane.png
        ${page_dir}/sorvane-32.png COPYONLY)
    # What a shared link shows: a still of the program.
    configure_file(${PROJECT_SOURCE_DIR}/docs/screenshot.png ${page_dir}/preview.png COPYONLY)

    # The service worker that keeps the page's files for use offline, written
    # with their sums once they are all made.
    set(copied index.html page.js sorvane.webmanifest sorvane-32.png sorvane-192.png sorvane-512.png)
    list(TRANSFORM copied PREPEND ${page_dir}/ OUTPUT_VARIABLE copied_paths)
    list(JOIN copied , kept)
    string(APPEND kept ",${target}.js,${target}.wasm")
    add_custom_command(OUTPUT ${page_dir}/service-worker.js
        COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/web/service-worker.js
            -DPAGE=${page_dir} -DFILES=${kept} -P ${PROJECT_SOURCE_DIR}/cmake/ServiceWorker.cmake
        DEPENDS ${PROJECT_SOURCE_DIR}/web/service-worker.js ${PROJECT_SOURCE_DIR}/cmake/ServiceWorker.cmake
            ${target} ${copied_paths}
        VERBATIM)

    # Compressed copies of the text and code, NAME.br and NAME.gz beside NAME,
    # for a host that serves them as they are (./scripts/web does); the PNGs
    # are compressed already. Made once, at the highest levels, and the same
    # bytes on every build (gzip -n leaves out the name and the date).
    find_program(BROTLI_EXECUTABLE brotli REQUIRED)
    find_program(GZIP_EXECUTABLE gzip REQUIRED)
    set(compressed)
    foreach(file IN ITEMS index.html page.js service-worker.js sorvane.webmanifest
            ${target}.js ${target}.wasm)
        set(path ${page_dir}/${file})
        # The link writes the .wasm beside the .js without naming it to the
        # build tool, so the target stands for both of its files.
        set(made_by ${path})
        if(file MATCHES "^${target}[.]")
            set(made_by ${target})
        endif()
        add_custom_command(OUTPUT ${path}.br ${path}.gz
            COMMAND ${BROTLI_EXECUTABLE} --best --force --keep ${path}
            COMMAND ${GZIP_EXECUTABLE} -9 -n --force --keep ${path}
            DEPENDS ${made_by}
            VERBATIM)
        list(APPEND compressed ${path}.br ${path}.gz)
    endforeach()
    add_custom_target(${target}_compressed ALL DEPENDS ${compressed})
endfunction()
