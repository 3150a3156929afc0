# Where everything goes on `cmake --install`, by the usual GNU directories:
#   bin/                       velvor, velvor-render
#   lib/, include/velvor/      the run-time library (core + base) for players, with a CMake package
#                              (find_package(VelvorRuntime) gives Velvor::core)
#   share/applications, share/mime/packages, share/icons/hicolor, share/man/man1, share/doc/velvor
# The package is "velvor", not the project's CMake name.
set(CMAKE_INSTALL_DOCDIR share/doc/velvor)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VELVOR_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VelvorRuntime)

install(TARGETS velvor-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velvor)
  install(TARGETS velvor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The run-time library and the headers its interface reaches.
install(TARGETS core base EXPORT VelvorRuntimeTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velvor)
# The vector kernels' shared -inl.h is compiled into the library only.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/core DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velvor
        FILES_MATCHING PATTERN "*.h" PATTERN "*-inl.h" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/base DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velvor
        FILES_MATCHING PATTERN "*.h")
install(EXPORT VelvorRuntimeTargets NAMESPACE Velvor:: DESTINATION ${VELVOR_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelvorRuntimeConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/VelvorRuntimeConfig.cmake
                              INSTALL_DESTINATION ${VELVOR_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelvorRuntimeConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VelvorRuntimeConfig.cmake
              ${PROJECT_BINARY_DIR}/VelvorRuntimeConfigVersion.cmake
        DESTINATION ${VELVOR_PACKAGE_DIR})

# Export presets for velvor-render --preset and the editor, and the schema of the renderer's report.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/presets/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velvor/presets
        FILES_MATCHING PATTERN "*.json")
install(FILES ${PROJECT_SOURCE_DIR}/docs/velvor-render-report.schema.json DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Desktop integration: the menu entry, the two file types, the icon for the program and its files.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velvor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/velvor-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velvor.xml)
foreach(size 16 32 48 64 128 256)
  set(icon ${PROJECT_SOURCE_DIR}/resources/velvor-icon-${size}.png)
  set(theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size})
  install(FILES ${icon} DESTINATION ${theme}/apps RENAME velvor.png)
  install(FILES ${icon} DESTINATION ${theme}/mimetypes RENAME application-x-velvor-material.png)
  install(FILES ${icon} DESTINATION ${theme}/mimetypes RENAME application-x-velvor-packed.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/src/velvor-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME velvor.svg)

# Manual pages, compressed as Debian's policy asks.
foreach(page velvor velvor-render)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
                     COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/man/${page}.1
                     DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}.1)
  list(APPEND VELVOR_MAN_PAGES ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${VELVOR_MAN_PAGES})
install(FILES ${VELVOR_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
