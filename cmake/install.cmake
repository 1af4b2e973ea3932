# Sample pictures beside the binary, the desktop's icon files, the installed layout and
# the Debian package. Included once from the top-level CMakeLists.txt.
#
#   PREFIX/lib/tessaron/        the program's own folder: the binary and the samples,
#                               where the new-puzzle dialog opens
#   PREFIX/bin/tessaron         a relative link to it
#   PREFIX/share/...            desktop entry, icons, AppStream metainfo, credits

include(GNUInstallDirs)

set(TESSARON_PROGRAM_DIR lib/tessaron)
set(TESSARON_APP_ID io.github.tessaron.Tessaron)
set(TESSARON_ICON_SIZES 32 48 64 128)

# ---- sample pictures, beside the binary in the build tree too -----------------------
file(GLOB TESSARON_SAMPLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/*)
set(_copied_samples)
foreach(_sample IN LISTS TESSARON_SAMPLES)
  get_filename_component(_name ${_sample} NAME)
  set(_copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${_name})
  add_custom_command(OUTPUT ${_copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_sample} ${_copy}
    DEPENDS ${_sample} VERBATIM)
  list(APPEND _copied_samples ${_copy})
endforeach()
add_custom_target(tessaron_samples ALL DEPENDS ${_copied_samples})
# Whoever builds only the game still finds pictures in its first dialog.
add_dependencies(tessaron tessaron_samples)

# ---- the icon theme's PNG files, drawn by the game's own icon code ------------------
add_executable(tessaron_make_icons tools/make_icons.cpp)
target_link_libraries(tessaron_make_icons PRIVATE tessaron_ui)
# Kept out of bin/, which is the program's folder the dialog shows.
set_target_properties(tessaron_make_icons PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
tessaron_warnings(tessaron_make_icons)

set(TESSARON_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(_icon_files)
foreach(_size IN LISTS TESSARON_ICON_SIZES)
  list(APPEND _icon_files ${TESSARON_ICON_DIR}/${_size}x${_size}/tessaron.png)
endforeach()
add_custom_command(OUTPUT ${_icon_files}
  COMMAND tessaron_make_icons ${TESSARON_ICON_DIR} ${TESSARON_ICON_SIZES}
  DEPENDS tessaron_make_icons VERBATIM)
add_custom_target(tessaron_icons ALL DEPENDS ${_icon_files})

# ---- installed layout ---------------------------------------------------------------
install(TARGETS tessaron RUNTIME DESTINATION ${TESSARON_PROGRAM_DIR})
install(FILES ${TESSARON_SAMPLES} DESTINATION ${TESSARON_PROGRAM_DIR})

# bin/tessaron points at the program folder, so the dialog still opens among the samples.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-link)
file(CREATE_LINK ../${TESSARON_PROGRAM_DIR}/tessaron ${CMAKE_BINARY_DIR}/install-link/tessaron
  SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-link/tessaron DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry names the picture types the game opens, so a file manager's "Open
# with" offers it; those that look the types up in the applications folder's MIME cache
# need it refreshed. A package's staging tree (DESTDIR) is left alone: the system's
# trigger refreshes the cache for every package that installs a desktop entry.
install(FILES ${CMAKE_SOURCE_DIR}/data/tessaron.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(TESSARON_UPDATE_DESKTOP_DATABASE update-desktop-database)
    if(TESSARON_UPDATE_DESKTOP_DATABASE)
      execute_process(COMMAND \${TESSARON_UPDATE_DESKTOP_DATABASE} -q
        \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    endif()
  endif()")
install(FILES ${CMAKE_SOURCE_DIR}/data/${TESSARON_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size IN LISTS TESSARON_ICON_SIZES)
  install(FILES ${TESSARON_ICON_DIR}/${_size}x${_size}/tessaron.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/tessaron.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/CREDITS DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaron)

# ---- the Debian package: scripts/package.sh ----------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaron)
set(CPACK_PACKAGE_VENDOR "The Tessaron developers")
set(CPACK_PACKAGE_CONTACT "The Tessaron developers <tessaron@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture puzzle game")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Pick a picture, a grid and a style: the picture is cut into pieces and shuffled, and\n"
  "you put it together again, exchanging pieces or sliding them around an empty place.\n"
  "It reads JPEG, GIF, BMP and Windows metafiles, and speaks English and Spanish.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tessaron.github.io/game/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugin at run time, and its own translations (the message
# boxes' Yes, No and OK in Spanish) are files it reads; no linked library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
