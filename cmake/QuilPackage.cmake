# The Debian package (make deb): CPack's DEB generator over what
# cmake --install puts in place, with the documents Debian asks of every
# package. Shared libraries are found by dpkg-shlibdeps; Qt's plugins, which
# nothing links, are named by hand.
include(GNUInstallDirs)

set(QUIL_PACKAGE_MAINTAINER "Quil developers <quil-devel@example.org>" CACHE STRING
  "Maintainer of the Debian package (name <address>)")

# The changelog's newest entry must be this version: a release that forgets
# it stops here instead of shipping a package that contradicts itself.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^quil \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}: ${changelog_head}")
endif()
set(packaged_changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_command(
  OUTPUT ${packaged_changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${packaged_changelog}
  COMMAND gzip -9nf ${packaged_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(quil-changelog ALL DEPENDS ${packaged_changelog}.gz)
install(FILES ${packaged_changelog}.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quil)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUIL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "abstract pictures from random expression trees")
set(CPACK_PACKAGE_DESCRIPTION [[
Quil makes abstract pictures out of random mathematical expression trees
over the plane. You generate pictures, see each one beside its expression
tree, edit the tree, breed variations, save expressions as small .quil
files, export pictures up to 16384 x 16384 pixels and run batch jobs.
quil-cli computes the same pictures without a window, and file managers
show .quil files as their pictures.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugin, the icons and the picture types beyond Qt's own.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installed under a DESTDIR, so that the install step leaves the desktop's
# caches to the system's own triggers.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
