# Warnings for the project's own targets, linked PRIVATE so that nothing leaks to
# consumers. SORVANE_WARNINGS_AS_ERRORS is on in CI and in the presets.
option(SORVANE_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(sorvane_warnings INTERFACE)
target_compile_options(sorvane_warnings INTERFACE
    -Wall
    -Wextra
    -Wpedantic
    -Wshadow
    -Wconversion
    -Wsign-conversion
    -Wold-style-cast
    -Wcast-align
    -Wunused
    -Woverloaded-virtual
    -Wnull-dereference
    -Wdouble-promotion
    -Wformat=2
    -Wimplicit-fallthrough
    $<$<BOOL:${SORVANE_WARNINGS_AS_ERRORS}>:-Werror>)
