# `cpack -G DEB` in the build folder makes quillet_<version>_<arch>.deb for
# /usr.  Its dependencies on shared libraries come from dpkg-shlibdeps, so they
# follow whatever the executable really links.
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print photo albums: pages with a grid of pictures and captions")
set(CPACK_PACKAGE_CONTACT "Quillet developers <maintainers@quillet.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillet.example.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window is Chinese and the page fonts 宋体, 楷体 and 黑体 are drawn with
# these; without them Chinese text comes out as empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming, fonts-arphic-ukai, fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
# CPack puts the summary above this and indents it as a control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillet lays photos out on pages, a grid of rows and columns with a caption
under each and a header and footer with page number, date and category. The
pictures come from a folder search or a table pasted from a spreadsheet; the
album goes to a CUPS printer, a PDF file or one image file per page. The
window's texts are Chinese; `quillet render` and `quillet print` do the same
without a window.")

include(CPack)
