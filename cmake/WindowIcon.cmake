# The icon that an X11 window shows the desktop (_NET_WM_ICON), compiled into
# the program from the desktop entry's own icons, since it reads no files.
# ImageMagick turns each PNG into raw RGBA; IconSource.cmake writes those
# pixels out as the property's cardinals.
function(sorvane_window_icon target)
    find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
    # The sizes that panels, task switchers and title bars ask for.
    set(sizes 16 32 48 64)
    set(pixels_dir ${CMAKE_CURRENT_BINARY_DIR}/window_icon)
    set(pixels "")
    foreach(size IN LISTS sizes)
        set(png ${PROJECT_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/sorvane.png)
        set(raw ${pixels_dir}/${size}.rgba)
        add_custom_command(OUTPUT ${raw}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${pixels_dir}
            COMMAND ${IMAGEMAGICK_CONVERT} ${png} -alpha on -depth 8
                rgba:${raw}
            DEPENDS ${png}
            VERBATIM)
        list(APPEND pixels ${raw})
    endforeach()

    set(source ${CMAKE_CURRENT_BINARY_DIR}/window_icon.cpp)
    add_custom_command(OUTPUT ${source}
        COMMAND ${CMAKE_COMMAND} "-DSIZES=${sizes}" "-DPIXELS=${pixels}" -DOUTPUT=${source}
            -P ${PROJECT_SOURCE_DIR}/cmake/IconSource.cmake
        DEPENDS ${pixels} ${PROJECT_SOURCE_DIR}/cmake/IconSource.cmake
        COMMENT "Compiling the window icon into ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${source})
endfunction()
