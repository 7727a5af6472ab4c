# `cpack` in the build folder makes twinsift_<version>_amd64.deb for /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME twinsift)
set(CPACK_PACKAGE_VENDOR Twinsift)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find duplicate files and remove them safely")
set(CPACK_PACKAGE_DESCRIPTION
  "Twinsift searches chosen folders for files with the same content and lists\n"
  "them in groups. The copies that are not needed can be marked by hand or by\n"
  "rules, then moved to the Trash, moved or copied elsewhere, or exported.\n"
  "Byte-by-byte, CRC-32, same-name, zero-length and fuzzy engines trade\n"
  "certainty for speed. twinsift-cli runs the same searches from a terminal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
  "Seed 596fc3a9 maintainers <maintainers@users.noreply.c-seed-596fc3a9.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from the binaries themselves; the X11 platform plugin and
# GIO's local Trash ship with libqt6gui6 and libglib2.0-0, so they need no
# entry of their own. Help pages and the problem report open in the browser
# through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
