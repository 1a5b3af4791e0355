# The browser build: Emscripten provides OpenGL (as a fixed-function emulation
# over WebGL) and GLUT as JavaScript libraries, so the imported targets that the
# desktop build finds are made here with the link options that select them.
add_library(OpenGL::GL INTERFACE IMPORTED)
# Immediate mode, the matrix stack and glOrtho exist only in the emulation.
target_link_options(OpenGL::GL INTERFACE -lGL -sLEGACY_GL_EMULATION=1)

add_library(GLUT::GLUT INTERFACE IMPORTED)
target_link_options(GLUT::GLUT INTERFACE -lglut)

# Makes TARGET a web page: its .js and .wasm go to build/<preset>/page beside
# the project's own index.html, its manifest, icons and preview still, all in
# one folder with relative links, ready to be served as they are from any path.
function(sorvane_web_page target)
    set(page_dir ${CMAKE_BINARY_DIR}/page)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${page_dir})
    # Exit handlers and the page's onExit only run when the runtime may end.
    target_link_options(${target} PRIVATE -sEXIT_RUNTIME=1)
    foreach(name IN ITEMS index.html sorvane.webmanifest icons/sorvane-192.png icons/sorvane-512.png)
        cmake_path(GET name FILENAME file)
        configure_file(${PROJECT_SOURCE_DIR}/web/${name} ${page_dir}/${file} COPYONLY)
    endforeach()
    configure_file(${PROJECT_SOURCE_DIR}/data/icons/hicolor/32x32/apps/sorvane.png
        ${page_dir}/sorvane-32.png COPYONLY)
    # What a shared link shows: a still of the program.
    configure_file(${PROJECT_SOURCE_DIR}/docs/screenshot.png ${page_dir}/preview.png COPYONLY)
endfunction()
