# The Debian package volumnia_<version>-1_<arch>.deb, made by cpack -G DEB in
# the build folder. Its dependencies are the libraries the programs link
# (worked out by dpkg-shlibdeps) and the Windows fonts the windows are set in
# (Tahoma, from fonts-wine). The desktop entry and the icons need no scripts:
# the menu and the icon cache are renewed by the triggers of their packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME volumnia)
set(CPACK_PACKAGE_VENDOR Quenfir)
set(CPACK_PACKAGE_CONTACT "Quenfir <support@quenfir.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a private book collection")
# The long description in lines within the 80 columns Debian's tools show.
set(CPACK_PACKAGE_DESCRIPTION
    "Volumnia keeps a catalogue of your books: one window shows one book at a
time, a book browser lists them all, and you add, edit, lend, search and
print them. Start it from the menu or with volumnia-start; volumnia-csv
brings books in from other programs and takes them out as CSV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The packaging's own revision: with it the package is not a native one, and
# its change log is changelog.Debian.gz (desktop/changelog.Debian.in names
# the same version).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quenfir.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-wine)
include(CPack)
