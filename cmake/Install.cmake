# What "cmake --install" puts where, and the Debian package built from it by CPack.
# On Linux the usual FHS layout under the prefix; on Windows one folder that holds the programs,
# their help pages and, after windeployqt, the Qt libraries they need.
include(GNUInstallDirs)

set(VELUNDA_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(VELUNDA_APP_ID org.velunda.Velunda)

if(WIN32)
  set(velunda_runtime_set RUNTIME_DEPENDENCY_SET velunda_runtime)
endif()
install(TARGETS velunda velunda-cli ${velunda_runtime_set}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  # The help pages beside the programs, as in the build folder (DataLocation.cpp looks there).
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_BINDIR}/help)

  # SQLite, libxlsxwriter and the compiler's runtime come as DLLs from where the build found
  # them; the Qt libraries and plugins are left to windeployqt, which also brings the German
  # translations.
  install(RUNTIME_DEPENDENCY_SET velunda_runtime
    DESTINATION ${CMAKE_INSTALL_BINDIR}
    PRE_EXCLUDE_REGEXES "api-ms-.*" "ext-ms-.*" "Qt6.*"
    POST_EXCLUDE_REGEXES ".*[Ss]ystem32/.*")

  find_program(WINDEPLOYQT_EXECUTABLE NAMES windeployqt windeployqt6
               HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" REQUIRED)
  install(CODE "
    execute_process(COMMAND \"${WINDEPLOYQT_EXECUTABLE}\" --no-compiler-runtime
              \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velunda.exe\"
              \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velunda-cli.exe\"
            COMMAND_ERROR_IS_FATAL ANY)")
else()
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velunda/help)
  install(FILES ${VELUNDA_DIST_DIR}/unix/${VELUNDA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELUNDA_DIST_DIR}/unix/${VELUNDA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${VELUNDA_DIST_DIR}/icons/velunda.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${VELUNDA_DIST_DIR}/icons/velunda-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME velunda.png)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME velunda)
set(CPACK_PACKAGE_VENDOR "Velunda")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Informal dog-sport competitions: teams, results, rank lists")
set(CPACK_PACKAGE_DESCRIPTION
  "Velunda runs an informal dog-sport competition on one desktop computer: the event with its\n"
  "posts and rank method, teams of handler and dog and groups of teams, drawn start numbers,\n"
  "points and times per post, rank lists per category and scorecards for the judges. The\n"
  "user interface is German. The package also holds velunda-cli, the companion tool that\n"
  "works on the same database without a window.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velunda-Team <velunda@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Loaded at run time, so shlibdeps cannot see them: the window system plugin, the German
# texts of Qt's standard buttons, and the fonts the reports are laid out with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2")
include(CPack)
