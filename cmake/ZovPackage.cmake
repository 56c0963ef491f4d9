# `make package`: a Debian package of what `cmake --install` puts in place.
# Included from the top-level CMakeLists, after every install rule.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zovograph)
set(CPACK_PACKAGE_VENDOR "Zovograph")
set(CPACK_PACKAGE_CONTACT "Zovograph developers <zovograph@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop front end of a vacuum-tube curve tracer")
set(CPACK_PACKAGE_DESCRIPTION
  "Sweeps the grid of a tube through a serial Hardware Module (or a built-in virtual one),\n\
draws the family of anode curves, stores it as TDF files and designs single-ended and\n\
push-pull stages on it. Includes the command-line tool zov-cli.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zovograph)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build carries debug information; the installed programs do not need it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # zovograph_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt, the C++ runtime) become the
# package's dependencies through dpkg-shlibdeps. Qt loads its platform plugins
# (the window system) at run time, which dpkg-shlibdeps cannot see, so they
# are named here; so is a font, without which the plot's labels are blank on
# a system that has none.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")

include(CPack)
