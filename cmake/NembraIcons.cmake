# The program icons (the engineer's window and the operator's window): the
# SVGs as drawn, and PNGs rendered from them at the usual hicolor sizes when
# the project is built.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert renders the program icon: apt-get install librsvg2-bin (scripts/setup.sh does)")
endif()

set(icon_pngs)
foreach(icon nembra nembra-station)
  set(icon_svg ${CMAKE_SOURCE_DIR}/packaging/icons/${icon}.svg)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/${icon}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
      DEPENDS ${icon_svg} VERBATIM)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND icon_pngs ${png})
  endforeach()
  install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()
add_custom_target(nembra_icons ALL DEPENDS ${icon_pngs})
