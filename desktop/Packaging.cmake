# The Debian package volumnia_<version>_<arch>.deb, made by cpack -G DEB in
# the build folder. Its dependencies are the libraries the programs link
# (worked out by dpkg-shlibdeps) and the Windows fonts the windows are set in
# (Tahoma, from fonts-wine). The desktop entry and the icons need no scripts:
# the menu and the icon cache are renewed by the triggers of their packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME volumnia)
set(CPACK_PACKAGE_VENDOR Quenfir)
set(CPACK_PACKAGE_CONTACT "Quenfir <support@quenfir.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a private book collection")
set(CPACK_PACKAGE_DESCRIPTION
    "Volumnia keeps a catalogue of your books: one window shows one book at a time, a book browser lists them all, and you add, edit, lend, search and print them. Start it from the menu or with volumnia-start.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quenfir.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-wine)
include(CPack)
