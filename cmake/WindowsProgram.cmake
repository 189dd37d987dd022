# SPDX-License-Identifier: GPL-3.0-or-later
# What the program needs to be a proper Windows program: no console window beside its window,
# and the icon and version information in its resources (dist/windows/vibraton.rc.in).

# The icon file, made from the PNG icons with ImageMagick, since Windows takes an .ico only.
function(vibraton_windows_icon output)
    find_program(VIBRATON_IMAGEMAGICK NAMES convert magick REQUIRED)
    set(sizes 16 24 32 48 64 128 256)
    list(TRANSFORM sizes REPLACE "(.+)" "${PROJECT_SOURCE_DIR}/assets/vibraton-\\1.png"
         OUTPUT_VARIABLE pngs)
    add_custom_command(OUTPUT ${output}
        COMMAND ${VIBRATON_IMAGEMAGICK} ${pngs} ${output}
        DEPENDS ${pngs}
        COMMENT "Making the Windows icon")
endfunction()

function(vibraton_windows_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    set(VIBRATON_WINDOWS_ICON ${CMAKE_CURRENT_BINARY_DIR}/vibraton.ico)
    vibraton_windows_icon(${VIBRATON_WINDOWS_ICON})
    # VERSIONINFO wants four numbers.
    set(numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
                ${PROJECT_VERSION_TWEAK})
    list(TRANSFORM numbers REPLACE "^$" "0")
    list(JOIN numbers "," VIBRATON_RC_VERSION)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/vibraton.rc)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/vibraton.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${VIBRATON_WINDOWS_ICON})
    target_sources(${target} PRIVATE ${rc})
endfunction()
