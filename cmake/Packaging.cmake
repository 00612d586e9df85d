# Packages of the installed tree from cpack: a Debian package on Linux, a ZIP
# for Windows builds, a tarball elsewhere.  Each holds the library, its
# header, the CMake package, Ondavel.pc and the Pellarin program.
set(CPACK_PACKAGE_NAME Ondavel)
set(CPACK_PACKAGE_VENDOR Ondavel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Stereo radix-2 FFT library with per-bin channel measures, and a benchmark")
set(CPACK_PACKAGE_DESCRIPTION
    "The shared library libOndavel: a radix-2 FFT of a stereo pair packed as
complex values, cosine-sum tapering windows and per-bin comparisons of the
two channels, behind a plain C interface (header Ondavel.h, a CMake package
and a pkg-config file).  Pellarin, a console program, reports how many times
faster than real time it transforms and compares 44100 Hz stereo material
for 17 window lengths.")
set(ONDAVEL_PACKAGE_CONTACT "Ondavel maintainers <maintainers@ondavel.invalid>"
    CACHE STRING "Maintainer named in the packages")
set(CPACK_PACKAGE_CONTACT ${ONDAVEL_PACKAGE_CONTACT})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Ondavel)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES /\\\\.git/ /build/)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
else()
  set(CPACK_GENERATOR TGZ)
endif()

set(CPACK_DEBIAN_PACKAGE_NAME ondavel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# The architecture of the build's target, not of the machine running cpack,
# so a cross build is labelled for where it runs.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
# Dependencies read from the binaries themselves; Pellarin's libOndavel is
# the one inside this package.  Without dpkg-shlibdeps (or when cross
# building) the C and C++ run-time packages are named by hand.
find_program(ONDAVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ONDAVEL_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_LIBDIR})
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
# A shlibs file (and the ldconfig trigger) for libOndavel.so.1.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

include(CPack)
