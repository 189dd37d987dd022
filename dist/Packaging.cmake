# SPDX-License-Identifier: GPL-3.0-or-later
# A Debian package of what `cmake --install` installs:  cpack --preset package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vibraton)
set(CPACK_PACKAGE_VENDOR Vibraton)
set(CPACK_PACKAGE_CONTACT
    "Vibraton maintainers <maintainers@users.noreply.c-seed-f26c4b78.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws harmonic oscillations, their superposition and beats")
set(CPACK_PACKAGE_DESCRIPTION [[
Vibraton plots up to three harmonic oscillations, each given by its frequency,
initial phase in degrees and amplitude, point by point over a time axis, and
their point-by-point sum, so that superposition and beats can be seen.
It is meant for students and teachers of physics. Its user interface is in
Czech.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's layout is measured in Liberation Sans; Qt's own texts in Czech come with Qt's
# translations, without which the program works in Qt's English.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
