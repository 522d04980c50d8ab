# `cpack -G DEB` in a build folder packs what cmake --install installs into a
# Debian package for /usr. The libraries it needs are found by dpkg-shlibdeps
# from the programs themselves, so the dependencies follow the build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarveline Co.")
set(CPACK_PACKAGE_CONTACT
    "Seed 04e51f04 maintainers <maintainers@users.noreply.c-seed-04e51f04.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build tree; the package carries the programs.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads the WebP and TIFF readers as plugins, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-image-formats-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line is the synopsis; the rest is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "back up and restore speech-generating communication devices
ORV looks after dedicated speech-generating communication devices connected
by a serial cable or a USB-serial adapter. It saves a device's whole memory
into a file and restores it, record by record with checksums, retries and
acknowledgements; imports icons and a sound into the models that take them;
and edits the keyboard overlay file of the model that uses one.
.
The package holds the desktop program orv and orv-cli, which runs the same
transfers from scripts.")

include(CPack)
