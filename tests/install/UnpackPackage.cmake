# Part of CheckThumbnailer.cmake with PACKAGE: builds the Debian package from
# the build folder as make deb does (nothing is compiled again), unpacks it
# into ${root} as dpkg would install it, and has Debian's validators check the
# desktop entry and the AppStream metainfo it carries.
find_program(CPACK_PROGRAM cpack HINTS ${CMAKE_COMMAND}/.. REQUIRED)
find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI appstreamcli REQUIRED)

execute_process(COMMAND ${CPACK_PROGRAM} -G DEB -B ${WORK}/package --config ${BUILD}/CPackConfig.cmake
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${output}${errors}")
endif()
file(GLOB debs ${WORK}/package/quil_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one quil_*.deb, found: ${debs}")
endif()
execute_process(COMMAND ${DPKG_DEB} -x ${debs} ${root} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x failed: ${errors}")
endif()
# The libraries dpkg-shlibdeps found, beside the plugins named by hand.
execute_process(COMMAND ${DPKG_DEB} -f ${debs} Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libqt6gui6" OR NOT depends MATCHES "libc6 " OR NOT depends MATCHES "qt6-qpa-plugins")
  message(FATAL_ERROR "Depends lacks the shared libraries or the plugins: ${depends}")
endif()

set(share ${root}${prefix}/${DATADIR})
foreach(file applications/quil.desktop mime/packages/quil.xml metainfo/org.talvosart.quil.metainfo.xml
             man/man1/quil.1.gz man/man1/quil-cli.1.gz doc/quil/copyright doc/quil/changelog.gz
             icons/hicolor/scalable/apps/quil.svg)
  if(NOT EXISTS ${share}/${file})
    message(FATAL_ERROR "the package lacks ${prefix}/${DATADIR}/${file}")
  endif()
endforeach()
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${share}/applications/quil.desktop
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT "${output}${errors}" STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${output}${errors}")
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${share}/metainfo/org.talvosart.quil.metainfo.xml
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate: ${output}${errors}")
endif()
execute_process(COMMAND ${root}${prefix}/${BINDIR}/quil-cli --version RESULT_VARIABLE status OUTPUT_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output MATCHES "^quil-cli ")
  message(FATAL_ERROR "the unpacked quil-cli --version: ${status} ${output}")
endif()
