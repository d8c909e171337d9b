# The version header, the install layout and the Debian package (CPack).
# Included from the top-level CMakeLists.txt once the programs are defined.

# --- one version number: project(tz360 VERSION ...) -------------------------
set(TZ360_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tz360_version.h.in ${TZ360_GENERATED_DIR}/tz360_version.h @ONLY)
# Only the files that print the version see the header, so a new version number
# recompiles four files, not the whole tree.
set_source_files_properties(workstation/main.cpp app/ui/frmAbout.cpp cli/main.cpp sim/tool/main.cpp
  PROPERTIES INCLUDE_DIRECTORIES ${TZ360_GENERATED_DIR})

# --- install layout -----------------------------------------------------------
include(GNUInstallDirs)
set(TZ360_PACKAGE_MAINTAINER "TZ360 workstation developers <packages@tz360.invalid>"
  CACHE STRING "Maintainer field of the Debian package (name <address>)")
set(TZ360_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TZ360_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tz360)

install(TARGETS tz360 tz360-cli tz360-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The menu entry starts the workstation in ~/TZ360 through this launcher.
install(PROGRAMS ${TZ360_PACKAGING_DIR}/tz360-desktop DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tz360)
install(FILES ${TZ360_PACKAGING_DIR}/tz360.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TZ360_PACKAGING_DIR}/tz360.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TZ360_PACKAGING_DIR}/tz360.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
# The help manual the program shows is built in; the same pages for a browser.
install(FILES docs/help/index.html DESTINATION ${TZ360_DOC_DIR}/html)
install(FILES ${TZ360_PACKAGING_DIR}/copyright DESTINATION ${TZ360_DOC_DIR})

# --- manual pages: tz360-cli and tz360-sim from their own --help -------------
set(TZ360_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(TZ360_MAN_SCRIPT ${TZ360_PACKAGING_DIR}/man-from-help.sh)
# The programs run in an empty folder of their own, so nothing they might open
# (a database, a journal) is found or left in the build tree.
add_custom_command(OUTPUT ${TZ360_MAN_DIR}/tz360-cli.1.gz ${TZ360_MAN_DIR}/tz360-sim.1.gz
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TZ360_MAN_DIR}/work
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TZ360_MAN_DIR}/work
  COMMAND ${CMAKE_COMMAND} -E chdir ${TZ360_MAN_DIR}/work
          sh ${TZ360_MAN_SCRIPT} $<TARGET_FILE:tz360-cli> tz360-cli
          "the TZ360 workstation's tests, analyses, reports and exports from a shell"
          ${PROJECT_VERSION} ${TZ360_MAN_DIR}/tz360-cli.1.gz
  COMMAND ${CMAKE_COMMAND} -E chdir ${TZ360_MAN_DIR}/work
          sh ${TZ360_MAN_SCRIPT} $<TARGET_FILE:tz360-sim> tz360-sim
          "a simulated TZ360 rheometer unit on a pseudo-terminal"
          ${PROJECT_VERSION} ${TZ360_MAN_DIR}/tz360-sim.1.gz
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TZ360_MAN_DIR}/work
  DEPENDS tz360-cli tz360-sim ${TZ360_MAN_SCRIPT}
  COMMENT "Manual pages of tz360-cli and tz360-sim from their --help"
  VERBATIM)
# tz360 itself has no help text to draw from: a short page of its own.
configure_file(${TZ360_PACKAGING_DIR}/tz360.1.in ${TZ360_MAN_DIR}/tz360.1 @ONLY)
configure_file(${TZ360_PACKAGING_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
# gzip -n: no time stamp, so the same sources give the same package.
add_custom_command(OUTPUT ${TZ360_MAN_DIR}/tz360.1.gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND sh -c "gzip -9n < \"$1\" > \"$1.gz\"" gzip ${TZ360_MAN_DIR}/tz360.1
  COMMAND sh -c "gzip -9n < \"$1\" > \"$1.gz\"" gzip ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${TZ360_MAN_DIR}/tz360.1 ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(tz360-package-files ALL
  DEPENDS ${TZ360_MAN_DIR}/tz360-cli.1.gz ${TZ360_MAN_DIR}/tz360-sim.1.gz
          ${TZ360_MAN_DIR}/tz360.1.gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${TZ360_MAN_DIR}/tz360.1.gz ${TZ360_MAN_DIR}/tz360-cli.1.gz ${TZ360_MAN_DIR}/tz360-sim.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${TZ360_DOC_DIR})

# --- the Debian package -------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tz360)
set(CPACK_PACKAGE_VENDOR "TZ360 workstation developers")
set(CPACK_PACKAGE_CONTACT "${TZ360_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workstation of the TZ360 HPHT automatic rheometer")
set(CPACK_PACKAGE_DESCRIPTION
"Drives up to eight TZ360 high-pressure, high-temperature rheometer units over
serial lines, records fracturing-fluid tests into a database (SQLite or
PostgreSQL), fits power laws to the shear ramps, and charts and reports the
results. Holds the workstation (tz360), its command-line tool (tz360-cli) and a
simulated unit for training and trials (tz360-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TZ360_PACKAGE_MAINTAINER}")
# Libraries the programs link come from dpkg-shlibdeps. Qt's plugins are loaded
# at run time, so no scan of the binaries finds them: the SQLite driver (the
# database itself) and the window-system plugins are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# The lab-server driver, and OpenGL under Mesa for the 3-D chart.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, libgl1-mesa-dri")
# mdb-export, for importing the old Jet databases (tz360-cli import-mdb).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mdbtools")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
