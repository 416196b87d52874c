# The installed layout, as the Debian package (debian/) takes it: a launcher that starts the
# program in its data folder (the game reads Images/ from its working directory), the pictures, a
# desktop entry, an icon, AppStream metadata, a man page.
include(GNUInstallDirs)

set(DUPLORA_BINDIR "games" CACHE STRING "Where the launcher goes, below the prefix")
set(DUPLORA_LIBEXECDIR "lib/games/duplora" CACHE STRING "Where the program goes, below the prefix")
set(DUPLORA_DATADIR "share/games/duplora" CACHE STRING "Where the pictures go, below the prefix")
set(DUPLORA_APP_ID "org.duplora.Duplora")

file(RELATIVE_PATH DUPLORA_BIN_TO_DATA "/p/${DUPLORA_BINDIR}" "/p/${DUPLORA_DATADIR}")
file(RELATIVE_PATH DUPLORA_BIN_TO_PROGRAM "/p/${DUPLORA_BINDIR}" "/p/${DUPLORA_LIBEXECDIR}/duplora")
configure_file(dist/duplora.in ${CMAKE_BINARY_DIR}/dist/duplora @ONLY)

# The icon is drawn by the picture generator, as the card faces are. Cross-built, the generator
# must run here: DUPLORA_HOST_IMAGEGEN names one built for this machine.
set(DUPLORA_HOST_IMAGEGEN "" CACHE FILEPATH "A picture generator built for the build machine, when cross-building")
set(imagegen $<IF:$<BOOL:${DUPLORA_HOST_IMAGEGEN}>,${DUPLORA_HOST_IMAGEGEN},$<TARGET_FILE:duplora-imagegen>>)
set(DUPLORA_ICON_SIZES 48 64 128 256)
set(DUPLORA_ICONS)
foreach(size IN LISTS DUPLORA_ICON_SIZES)
  set(icon ${CMAKE_BINARY_DIR}/dist/icons/${size}/duplora.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist/icons/${size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${imagegen} --icon ${icon} ${size}
    DEPENDS duplora-imagegen VERBATIM)
  list(APPEND DUPLORA_ICONS ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(DUPLORA_MANPAGE ${CMAKE_BINARY_DIR}/dist/duplora.6.gz)
add_custom_command(OUTPUT ${DUPLORA_MANPAGE}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/dist/duplora.6 > ${DUPLORA_MANPAGE}
  DEPENDS dist/duplora.6)
add_custom_target(duplora-dist ALL DEPENDS ${DUPLORA_ICONS} ${DUPLORA_MANPAGE})

# The window carries the icon too, also where the game runs uninstalled; one size is enough for
# a title bar or a task switcher.
qt_add_resources(duplora duplora_icon PREFIX / BASE ${CMAKE_BINARY_DIR}/dist/icons/64 FILES ${CMAKE_BINARY_DIR}/dist/icons/64/duplora.png)

# On Windows a windowed program, no console, whose icon Explorer and the Start menu take from its
# resources; its release is laid out by scripts/windows.sh, not installed from here.
if(WIN32)
  set(DUPLORA_ICO ${CMAKE_BINARY_DIR}/dist/duplora.ico)
  add_custom_command(OUTPUT ${DUPLORA_ICO}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${imagegen} --icon ${DUPLORA_ICO} 256
    DEPENDS duplora-imagegen VERBATIM)
  file(WRITE ${CMAKE_BINARY_DIR}/dist/duplora.rc "1 ICON \"duplora.ico\"\n")
  set_source_files_properties(${CMAKE_BINARY_DIR}/dist/duplora.rc PROPERTIES OBJECT_DEPENDS ${DUPLORA_ICO})
  target_sources(duplora PRIVATE ${CMAKE_BINARY_DIR}/dist/duplora.rc)
  set_target_properties(duplora PROPERTIES WIN32_EXECUTABLE ON)
  return()
endif()

install(TARGETS duplora RUNTIME DESTINATION ${DUPLORA_LIBEXECDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/dist/duplora DESTINATION ${DUPLORA_BINDIR})
install(DIRECTORY Images DESTINATION ${DUPLORA_DATADIR} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The entry's Path= names the data folder under the prefix it is installed to.
install(CODE "
  set(DUPLORA_DATA_PATH \"\${CMAKE_INSTALL_PREFIX}/${DUPLORA_DATADIR}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/dist/${DUPLORA_APP_ID}.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/dist/entry/${DUPLORA_APP_ID}.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/dist/entry/${DUPLORA_APP_ID}.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")
install(FILES dist/${DUPLORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DUPLORA_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
