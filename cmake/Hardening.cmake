# Hardening for the shipped executable: position-independent, read-only
# relocations bound at start-up, stack protection and fortified libc calls.
# WebAssembly in the browser has no native stack, relocations or libc to harden,
# and its linker takes none of these options.
if(EMSCRIPTEN)
    add_library(sorvane_hardening INTERFACE)
    return()
endif()

include(CheckPIESupported)
check_pie_supported()

add_library(sorvane_hardening INTERFACE)
target_compile_options(sorvane_hardening INTERFACE
    -fstack-protector-strong
    -fstack-clash-protection
    -fcf-protection)
# Fortification needs an optimised build; glibc warns about it at -O0.
target_compile_definitions(sorvane_hardening INTERFACE
    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
target_link_options(sorvane_hardening INTERFACE
    LINKER:-z,relro
    LINKER:-z,now)
