cmake_minimum_required(VERSION 3.25)
# Installs the build into a temporary prefix and checks it as a user and a packager would:
# the files are where the conventions put them, the desktop entry and the MIME description are
# valid, the installed renderer works, and a project outside the tree builds against the run-time
# library with find_package and renders a packed example.
# Run by ctest with -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=...
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(path
    bin/velvor-render
    lib/libcore.a lib/libbase.a
    include/velvor/core/packed/PackedMaterial.h include/velvor/base/Exception.h
    lib/cmake/VelvorRuntime/VelvorRuntimeConfig.cmake
    lib/cmake/VelvorRuntime/VelvorRuntimeConfigVersion.cmake
    share/applications/velvor.desktop
    share/mime/packages/velvor.xml
    share/icons/hicolor/48x48/apps/velvor.png
    share/icons/hicolor/256x256/apps/velvor.png
    share/icons/hicolor/scalable/apps/velvor.svg
    share/icons/hicolor/48x48/mimetypes/application-x-velvor-material.png
    share/man/man1/velvor-render.1.gz share/man/man1/velvor.1.gz
    share/doc/velvor/copyright)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
if(EXISTS ${BUILD_DIR}/app/velvor AND NOT EXISTS ${prefix}/bin/velvor)
  message(FATAL_ERROR "not installed: bin/velvor")
endif()

run(desktop-file-validate ${prefix}/share/applications/velvor.desktop)
run(xmllint --noout ${prefix}/share/mime/packages/velvor.xml)
# The MIME database compiler refuses what it cannot read; then a material file must be recognised
# by its root element even under another name.
run(update-mime-database ${prefix}/share/mime)
file(STRINGS ${prefix}/share/mime/types types)
if(NOT "application/x-velvor-material" IN_LIST types OR NOT "application/x-velvor-packed" IN_LIST types)
  message(FATAL_ERROR "MIME types not compiled: ${types}")
endif()
file(READ ${prefix}/share/mime/XMLnamespaces roots)
if(NOT roots MATCHES "velvorMaterial application/x-velvor-material")
  message(FATAL_ERROR "material files are not recognised by their root element:\n${roots}")
endif()
run(man --warnings -l -Tutf8 ${prefix}/share/man/man1/velvor-render.1.gz)

set(packed ${WORK_DIR}/tiles.ostra-packed)
run(${prefix}/bin/velvor-render ${SOURCE_DIR}/examples/tiles.ostra-material -o ${WORK_DIR}/png
    --packed-out ${packed})
run(${prefix}/bin/velvor-render --version)
if(EXISTS ${prefix}/bin/velvor)
  run(${prefix}/bin/velvor --version) # needs no display
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/consumer -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/player ${packed})
# tiles: three 512 x 512 collectors, each with pixels drawn.
if(NOT output MATCHES "^slot0 512x512 [1-9][0-9]*\nslot4 512x512 [1-9][0-9]*\nslot3 512x512 [1-9][0-9]*\n$")
  message(FATAL_ERROR "the player rendered something else:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
