# What `cmake --install` puts where, and the Debian package built from it by
# `cpack -G DEB`. Resources go to share/zt640/, which the programs find from
# their own folder (../share/zt640/), so the installed copy and the build tree
# both run.
include(GNUInstallDirs)
include(${PROJECT_SOURCE_DIR}/cmake/Zt640Fonts.cmake)

set(ZT640_APP_ID "org.zt640.Zt640")
set(ZT640_ICON_NAME "zt640")
set(ZT640_SHARE_DIR "${CMAKE_INSTALL_DATADIR}/zt640")
# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d only: an install below
# /usr/local needs the rule copied to /etc (the README says how).
set(ZT640_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule is installed (relative to the prefix)")

install(TARGETS zt640ctl zt640-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zt640)
  install(TARGETS zt640 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The audio capture process runs beside nothing the user starts by hand.
if(TARGET AudioRecord)
  install(TARGETS AudioRecord RUNTIME DESTINATION lib/zt640)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/DefaultData ${PROJECT_SOURCE_DIR}/data/skin
        DESTINATION ${ZT640_SHARE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/zt640-autostart.desktop DESTINATION ${ZT640_SHARE_DIR}/autostart)

# The private fonts are links to the faces of the Debian font packages (the package
# depends on them), never copies; a link whose package is absent is skipped at run time.
# Below the same prefix (/usr, as packaged) the link is relative, so the package
# neither counts the fonts' size as its own nor points outside its own tree.
set(zt640_font_links "")
foreach(entry ${ZT640_PRIVATE_FONTS})
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 font_name)
  list(GET pair 1 font_source)
  string(APPEND zt640_font_links "  zt640_link_font(\"${font_name}\" \"${font_source}\")\n")
endforeach()
install(CODE "
  function(zt640_link_font name target)
    set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZT640_SHARE_DIR}/Font\")
    file(MAKE_DIRECTORY \"\${folder}\")
    set(link \"\${target}\")
    string(FIND \"\${target}\" \"\${CMAKE_INSTALL_PREFIX}/\" at)
    if(at EQUAL 0)
      file(RELATIVE_PATH link \"\${CMAKE_INSTALL_PREFIX}/${ZT640_SHARE_DIR}/Font\" \"\${target}\")
    endif()
    message(STATUS \"Installing: \${folder}/\${name} -> \${link}\")
    file(REMOVE \"\${folder}/\${name}\")
    file(CREATE_LINK \"\${link}\" \"\${folder}/\${name}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${folder}/\${name}\")
    set(CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_MANIFEST_FILES}\" PARENT_SCOPE)
  endfunction()
${zt640_font_links}")

install(FILES ${PROJECT_SOURCE_DIR}/data/udev/70-zt640.rules DESTINATION ${ZT640_UDEV_RULES_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${ZT640_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${ZT640_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/zt640.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${ZT640_ICON_NAME}.svg)

# Bitmap icons at the usual sizes, drawn from the SVG when rsvg-convert is there
# (librsvg2-bin); without it only the scalable icon is installed.
find_program(ZT640_RSVG_CONVERT rsvg-convert)
if(ZT640_RSVG_CONVERT)
  set(zt640_icon_pngs "")
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${ZT640_ICON_NAME}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${ZT640_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/data/icons/zt640.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/zt640.svg
      VERBATIM)
    list(APPEND zt640_icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(zt640_icons ALL DEPENDS ${zt640_icon_pngs})
else()
  message(STATUS "rsvg-convert not found: only the scalable icon is installed")
endif()

# Manual pages, compressed as Debian keeps them (-n: no time stamp, so builds repeat).
find_program(ZT640_GZIP gzip REQUIRED)
set(zt640_man_pages "")
foreach(page zt640 zt640ctl zt640-devsim)
  set(source ${PROJECT_SOURCE_DIR}/data/man/${page}.1)
  set(compressed ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "${ZT640_GZIP} -9n -c \"$0\" > \"$1\"" ${source} ${compressed}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND zt640_man_pages ${compressed})
endforeach()
add_custom_target(zt640_man_pages ALL DEPENDS ${zt640_man_pages})
install(FILES ${zt640_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/data/completion/zt640ctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME "zt640")
set(CPACK_PACKAGE_VENDOR "zt640")
set(CPACK_PACKAGE_CONTACT "zt640 developers <zt640@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for ZT640 keyboards, mice, mouse pads and headsets")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds the devices over their cable or 2.4 GHz receiver and changes what they store: key assignments, lighting, macros, DPI stages and options, kept in per-device profiles. Includes the command-line front end zt640ctl and the device simulator zt640-devsim.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the Font folder links to; the Thai face only when it is available.
# libcurl and alsa-lib are loaded at run time (no program links them), so shlibdeps
# cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-dejavu-core, libcurl4, libasound2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
