# What a desktop system expects of an installed program besides its
# executables: the icon in the hicolor sizes (the scalable SVG and the
# desktop entry are installed with the app), the manual page and the bash
# completion.

# PNG renderings of src/app/velmora.svg, kept in the repository
# (scripts/render-icons.sh makes them again).
if(VELMORA_BUILD_APP)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/src/app/icons/hicolor/${size}x${size}/apps/velmora.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Manual pages are installed compressed, as Debian does; gzip is part of
# every Debian system. -n keeps the name and time out, so the result only
# depends on the page.
set(_velmora_man_source ${PROJECT_SOURCE_DIR}/docs/velmora-cli.1)
set(_velmora_man_gz ${CMAKE_BINARY_DIR}/man/velmora-cli.1.gz)
find_program(VELMORA_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${_velmora_man_gz}
  COMMAND ${CMAKE_COMMAND} -E copy ${_velmora_man_source} ${CMAKE_BINARY_DIR}/man/velmora-cli.1
  COMMAND ${VELMORA_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/man/velmora-cli.1
  DEPENDS ${_velmora_man_source}
  COMMENT "Compressing the velmora-cli manual page"
  VERBATIM)
add_custom_target(velmora_man ALL DEPENDS ${_velmora_man_gz})
install(FILES ${_velmora_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/data/bash-completion/velmora-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
