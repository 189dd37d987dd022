# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads variant, which
# C++ threads and Qt need). Used for Qt itself and for the program (scripts/windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VIBRATON_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VIBRATON_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VIBRATON_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VIBRATON_MINGW_TRIPLET}-windres)

# Libraries and packages come from the mingw root (and the prefixes the caller adds), never
# from the Linux system; programs such as moc run on the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VIBRATON_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
