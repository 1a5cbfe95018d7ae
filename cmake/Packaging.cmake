# Installation and the Debian package; included last from the top-level CMakeLists.txt, once the
# programs exist.
#
# `cmake --install` puts the three programs, the manual pages, the desktop entry, the systemd unit
# and the demo workspace under the prefix. VELD_PACKAGE=ON (scripts/build-package) adds what only a
# package needs, made at build time with tools the normal build does without: the icons, drawn from
# the splash picture by ImageMagick's convert, and the manual pages and the changelog, gzipped
# as Debian wants them; and it sets up CPack to make the .deb.
#
# The user guide (docs/user-guide.md, also built into veld-recorder as "Help > User Guide") is
# installed as it is written, Markdown, in the package's documentation folder.

include(GNUInstallDirs)

option(VELD_PACKAGE "Make the icons and set up CPack for a Debian package (needs ImageMagick)" OFF)
set(VELD_PACKAGE_MAINTAINER "Veld Instruments <support@veld.example>"
  CACHE STRING "Maintainer field of the Debian package")

set(veld_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(veld_pkg_bin ${CMAKE_BINARY_DIR}/packaging)
set(veld_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/veld-recorder)

install(TARGETS veld-recorder veld-logger veld-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/veld/examples)
install(FILES ${veld_pkg_src}/veld-recorder.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${veld_doc_dir})

# The unit names the installed veld-logger by its full path.
configure_file(${veld_pkg_src}/systemd/veld-logger@.service.in ${veld_pkg_bin}/veld-logger@.service @ONLY)
install(FILES ${veld_pkg_bin}/veld-logger@.service DESTINATION lib/systemd/system)

set(veld_man_pages veld-recorder.1 veld-logger.1 veld-sim.1)

if(NOT VELD_PACKAGE)
  foreach(page IN LISTS veld_man_pages)
    install(FILES ${veld_pkg_src}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  return()
endif()

find_program(VELD_CONVERT convert)
if(NOT VELD_CONVERT)
  message(FATAL_ERROR "VELD_PACKAGE=ON makes the icons with ImageMagick's convert, which is not "
    "installed: run scripts/install-deps (Debian package imagemagick), or configure without "
    "VELD_PACKAGE for a build that needs no icons.")
endif()
find_program(VELD_GZIP gzip REQUIRED)

# veld_gzip(<source> <folder> <output variable>): <folder>/<name>.gz, made by gzip -9n (no name
# or time stamp inside, so the package is the same from build to build).
function(veld_gzip source folder out)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${folder}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${folder}/${name}
    COMMAND ${VELD_GZIP} -9nf ${folder}/${name}
    DEPENDS ${source}
    VERBATIM)
  set(${out} ${folder}/${name}.gz PARENT_SCOPE)
endfunction()

set(veld_package_files)
foreach(page IN LISTS veld_man_pages)
  veld_gzip(${veld_pkg_src}/man/${page} ${veld_pkg_bin}/man gz)
  list(APPEND veld_package_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The changelog's date honours SOURCE_DATE_EPOCH (scripts/build-package sets the last commit's).
string(TIMESTAMP veld_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${veld_pkg_src}/changelog.in ${veld_pkg_bin}/changelog @ONLY)
veld_gzip(${veld_pkg_bin}/changelog ${veld_pkg_bin}/doc gz)
list(APPEND veld_package_files ${gz})
install(FILES ${gz} DESTINATION ${veld_doc_dir})
install(FILES ${veld_pkg_src}/copyright DESTINATION ${veld_doc_dir})

# The icons: the whole splash picture, scaled into a transparent square. No time stamps inside.
set(splash ${PROJECT_SOURCE_DIR}/resources/splashv1.bmp)
foreach(size 16 32 48 64 128 256)
  set(icon ${veld_pkg_bin}/icons/${size}x${size}/veld-recorder.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${veld_pkg_bin}/icons/${size}x${size}
    COMMAND ${VELD_CONVERT} ${splash} -resize ${size}x${size} -background none -gravity center
      -extent ${size}x${size} -strip -define png:exclude-chunks=date,time PNG32:${icon}
    DEPENDS ${splash}
    VERBATIM)
  list(APPEND veld_package_files ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(veld_package_files ALL DEPENDS ${veld_package_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veld-recorder)
set(CPACK_PACKAGE_VENDOR "Veld Instruments")
set(CPACK_PACKAGE_CONTACT ${VELD_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data recorder for SDI-12 and RS485 field sensors")
# One line of the package's long description a string, as dpkg shows it.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Veld Recorder talks over one serial port to SDI-12 sensors, or sensors on an\n"
  "RS485 bus, ties each to an XML device definition and logs a record line to a\n"
  "CSV file at every whole multiple of the logging interval, with derived columns\n"
  "computed from user formulas.\n"
  "This package holds the desktop program veld-recorder; veld-logger, the same\n"
  "engine without windows, with a systemd unit to run it unattended; and veld-sim,\n"
  "which simulates SDI-12 sensors on a pseudo-terminal, so that everything runs\n"
  "without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://veld.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
