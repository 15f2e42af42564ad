# The Debian package (make package): everything the install rules install,
# under /usr, with its dependencies computed from the libraries the programs
# link. No maintainer scripts: the shield keeps nothing outside the user's
# folders, and the menu, icon and manual page caches follow by triggers.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane-vazeru)
set(CPACK_PACKAGE_VENDOR "The Orvane Vazeru developers")
set(CPACK_PACKAGE_CONTACT "The Orvane Vazeru developers <vazeru@orvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resident guard against spyware for Linux desktops")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane Vazeru sits in the notification area and checks every process that\n"
    "starts against a list of known spyware, after the user's exclusions, the\n"
    "expected system files and the file's version information have had their\n"
    "say. A hit opens an alert from which the process can be ended, its file\n"
    "deleted, its folder opened, the file excluded or looked up on the web.\n"
    "Without a desktop it runs in the terminal or as a user service.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vazeru.orvane.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Web pages, folders and logs are opened with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
