# `cpack -G DEB` in a build folder makes the Debian package from what `cmake --install`
# puts under /usr.
set(CPACK_PACKAGE_NAME zorvik-kavrona)
set(CPACK_PACKAGE_CONTACT "${ZK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "see where the disk space below a folder goes")
if(ZK_GUI)
    set(CPACK_PACKAGE_DESCRIPTION "\
Zorvik_Kavrona adds up every file below a folder and shows where the space
goes: a tree of folders with their totals, a pie chart of how a folder's total
divides among its sub-folders and its own files, and a list of names, sizes and
shares. It reads the folder tree and writes nothing. Its window is in Japanese.")
else()
    # The server build has no window: it writes a folder's tree as ncdu's export.
    set(CPACK_PACKAGE_DESCRIPTION "\
Zorvik_Kavrona adds up every file below a folder and writes the tree, with
each folder's files, in ncdu's JSON export format, to be read by ncdu, gdu or
the desktop build of this program. This build has no window and needs Qt Core
alone.")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/zorvik-kavrona/zorvik-kavrona)
# The libraries come from dpkg-shlibdeps; what it cannot see is named here: the font the
# window's "ＭＳ Ｐゴシック" resolves to, and Qt's Japanese texts loaded at start. A build
# without the window needs neither.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(ZK_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
endif()
include(CPack)
