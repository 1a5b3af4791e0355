# Writes the C++ source of WINDOW_ICON (src/platform/window_icon.h) from raw
# RGBA files, one per size. Run as a script:
#   cmake "-DSIZES=16;32" "-DPIXELS=16.rgba;32.rgba" -DOUTPUT=window_icon.cpp
#         -P IconSource.cmake
foreach(name IN ITEMS SIZES PIXELS OUTPUT)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "IconSource.cmake needs -D${name}=...")
    endif()
endforeach()

set(body "")
set(count 0)
foreach(size raw IN ZIP_LISTS SIZES PIXELS)
    file(READ ${raw} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR expected "${size} * ${size} * 8")
    if(NOT digits EQUAL expected)
        message(FATAL_ERROR "${raw} holds ${digits} hex digits, not ${expected} for ${size}x${size}")
    endif()
    # RGBA bytes become ARGB words, eight to a line.
    string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\1\\2\\3, " words "${hex}")
    string(REGEX REPLACE "(([^ ]+ ){8})" "\\1\n    " words "${words}")
    string(APPEND body "    // ${size} x ${size}\n    ${size}, ${size},\n    ${words}\n")
    math(EXPR count "${count} + 2 + ${size} * ${size}")
endforeach()

file(WRITE ${OUTPUT}.new
    "// Made at build time by cmake/IconSource.cmake from the hicolor icons.\n"
    "#include \"platform/window_icon.h\"\n\n"
    "#include <array>\n\n"
    "namespace {\n\n"
    "const std::array<unsigned long, ${count}> cardinals{\n${body}};\n\n"
    "} // namespace\n\n"
    "const std::span<const unsigned long> WINDOW_ICON{cardinals};\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
