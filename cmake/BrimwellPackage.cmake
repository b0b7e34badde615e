# The Debian package: `cpack -G DEB` in the build folder (or the `package` target) makes
# package/brimwell_VERSION-REVISION_ARCH.deb from the install rules of packaging/.
# Its dependencies are computed from the programs' shared libraries (dpkg-shlibdeps).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Brimwell authors")
set(CPACK_PACKAGE_CONTACT "${BRIMWELL_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "drive ager: fills a drive with realistic files, then fragments it")
set(CPACK_PACKAGE_DESCRIPTION
    "Brimwell takes a census of file sizes on a drive into a small size template,\n"
    "builds a synthetic file list whose sizes follow that template over random\n"
    "folder trees, writes the files with random bytes, and fragments the drive by\n"
    "deleting a random share of them. It is meant for testing defragmenters,\n"
    "backup and search tools, and file systems on aged drives made on demand.\n"
    ".\n"
    "The package holds the window (Brimwell), the command line (brimwell-cli) and\n"
    "the bundled size templates.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRIMWELL_DEB_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
