# Debian package of the programs: cpack -G DEB in the build folder.
# dpkg-shlibdeps works the package's dependencies out of the installed binaries.
set(CPACK_PACKAGE_NAME "quillmark")
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <quillmark@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "Writes an OziExplorer calibration file (.map) for every scanned topographic map sheet of a folder, worked out from the sheet name in the image file name and the image size; lists, corner markers and image paths of existing map files.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugin that draws the windows is not found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
include(CPack)
