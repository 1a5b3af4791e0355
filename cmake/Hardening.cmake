# Hardening for the shipped executable: position-independent, read-only
# relocations bound at start-up, stack protection and fortified libc calls.
# Each flag is used only where the compiler or linker takes it: Apple's linker
# has no -z options, and -fcf-protection exists only on x86.
# WebAssembly in the browser has no native stack, relocations or libc to harden,
# and its linker takes none of these options.
if(EMSCRIPTEN)
    add_library(sorvane_hardening INTERFACE)
    return()
endif()

include(CheckPIESupported)
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
check_pie_supported()

add_library(sorvane_hardening INTERFACE)
foreach(flag IN ITEMS -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "SORVANE_HAS${flag}" result)
    check_cxx_compiler_flag(${flag} ${result})
    if(${result})
        target_compile_options(sorvane_hardening INTERFACE ${flag})
    endif()
endforeach()
# MinGW-w64's C runtime has neither the stack protector's nor fortification's
# checks; GCC's libssp brings both.
if(MINGW)
    target_link_libraries(sorvane_hardening INTERFACE ssp)
endif()
# Fortification needs an optimised build; glibc warns about it at -O0.
target_compile_definitions(sorvane_hardening INTERFACE
    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
check_linker_flag(CXX LINKER:-z,relro,-z,now SORVANE_HAS_BIND_NOW)
if(SORVANE_HAS_BIND_NOW)
    target_link_options(sorvane_hardening INTERFACE
        LINKER:-z,relro
        LINKER:-z,now)
endif()
