# AddressSanitizer and UndefinedBehaviorSanitizer for the project's own targets,
# linked PRIVATE like the warnings. Any undefined behaviour ends the run
# (no recovery), so that a report can never pass as a warning.
option(SORVANE_SANITIZERS "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(sorvane_sanitizers INTERFACE)
if(SORVANE_SANITIZERS)
    target_compile_options(sorvane_sanitizers INTERFACE
        -fsanitize=address,undefined
        -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_link_options(sorvane_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
