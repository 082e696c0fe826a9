# The Debian package, made by CPack from the install step (scripts/package.sh):
# package kestrom, its dependencies from the shared libraries it links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrom)
set(CPACK_PACKAGE_VENDOR "the Kestrom developers")
set(CPACK_PACKAGE_CONTACT ${KESTROM_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FTDI USB chip EEPROM reader and programmer")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrom reads, edits and programs the configuration EEPROM of FTDI USB chips:\n"
    "the USB IDs, the manufacturer, description and serial number texts, the power\n"
    "settings and the options of each chip type, in a window or from the command\n"
    "line. Every change is preceded by a backup of the chip's contents and checked\n"
    "by reading it back. A simulated chip lets the program be tried without\n"
    "hardware.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME kestrom)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The program's two libraries live in its own folder, found through $ORIGIN.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KESTROM_OUTPUT_DIR})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})

include(CPack)
