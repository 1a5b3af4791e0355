# The browser build: Emscripten provides OpenGL (as a fixed-function emulation
# over WebGL) and GLUT as JavaScript libraries, so the imported targets that the
# desktop build finds are made here with the link options that select them.
add_library(OpenGL::GL INTERFACE IMPORTED)
# Immediate mode, the matrix stack and glOrtho exist only in the emulation.
target_link_options(OpenGL::GL INTERFACE -lGL -sLEGACY_GL_EMULATION=1)

add_library(GLUT::GLUT INTERFACE IMPORTED)
target_link_options(GLUT::GLUT INTERFACE -lglut)

# Makes TARGET a web page: its .js and .wasm go to build/<preset>/page beside
# the project's own index.html, ready to be served as they are.
function(sorvane_web_page target)
    set(page_dir ${CMAKE_BINARY_DIR}/page)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${page_dir})
    # Exit handlers and the page's onExit only run when the runtime may end.
    target_link_options(${target} PRIVATE -sEXIT_RUNTIME=1)
    configure_file(${PROJECT_SOURCE_DIR}/web/index.html ${page_dir}/index.html COPYONLY)
endfunction()
