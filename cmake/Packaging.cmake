# `cpack -G DEB` in the build folder (scripts/package) makes the Debian package. Library
# dependencies are worked out by dpkg-shlibdeps from the programs themselves; the fonts the Text
# operator resolves its faces to are named by hand, since no binary links them.
set(CPACK_PACKAGE_NAME velvor)
set(CPACK_PACKAGE_VENDOR "The VelvorEditor developers")
set(CPACK_PACKAGE_CONTACT "The VelvorEditor developers <velvor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor and renderer for procedural texture materials")
set(CPACK_PACKAGE_DESCRIPTION
    "Velvor builds texture materials from a graph of operator nodes (checkerboard, plasma noise, text, mixer, displacement, normal map) wired into output collectors, saves them as XML and exports a compact packed form for a run-time generator. Includes the editor (velvor), the command-line renderer (velvor-render) and the run-time library with its CMake package.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-symbola, shared-mime-info, desktop-file-utils")

include(CPack)
