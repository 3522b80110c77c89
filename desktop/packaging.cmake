# The Debian package: `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (tools/package.sh). It packs exactly what `cmake --install` installs, so the package and a
# hand installation cannot drift apart.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvenda)
set(CPACK_PACKAGE_VENDOR Quenlow)
set(CPACK_PACKAGE_CONTACT "Quenlow <support@corvenda.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.corvenda.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn animated cursor files into JPG images")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvenda converts Windows animated cursor files (.ani), cursors and
icons into JPG images, many at a time. Files are collected in a list
from a file dialog, a whole folder tree, drag and drop or the bundled
samples, and each is converted by the program's own converter.
.
The package also gives file managers a preview of every animated
cursor, static cursor and icon.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Depends is what dpkg-shlibdeps finds the programs linked against; nothing is listed by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
