# Packages of the installed tree from cpack: three Debian packages on Linux
# (below), one ZIP for Windows builds, a tarball elsewhere.  Together they
# hold the library, its header, the CMake package, Ondavel.pc, the Pellarin
# program and its manual page; a ZIP also Ondavel.def and the MSVC import
# library Ondavel.lib.
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

# Debian packages, split the Debian way (configure with
# -DCMAKE_INSTALL_PREFIX=/usr so the library lands in the multiarch folder):
#   libondavel1     the Runtime component: libOndavel.so.1 and its file;
#   libondavel-dev  the Development component: header, libOndavel.so link,
#                   CMake package, Ondavel.pc;
#   pellarin        the Program component: Pellarin and its manual page.
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(CPACK_GENERATOR STREQUAL "DEB")
  # CPack would put the common summary above each package's own.
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
set(CPACK_COMPONENTS_ALL Runtime Development Program)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(ONDAVEL_DEBIAN_VERSION
    ${CPACK_DEBIAN_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libondavel1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_MULTIARCH same)
set(ONDAVEL_LIBRARY_DESCRIPTION
    "libOndavel: a radix-2 FFT of a stereo pair packed as complex values,
cosine-sum tapering windows and per-bin comparisons of the two channels
(magnitudes, their ratio, phases and phase difference), behind a plain C
interface.  Every instruction-set path gives the same result bits.")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "stereo radix-2 FFT library with per-bin channel measures
${ONDAVEL_LIBRARY_DESCRIPTION}

This package holds the shared library.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libondavel-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_MULTIARCH same)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "libondavel1 (= ${ONDAVEL_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "stereo radix-2 FFT library with per-bin channel measures - development files
${ONDAVEL_LIBRARY_DESCRIPTION}

This package holds what building against the library needs: the header
Ondavel.h, the libOndavel.so link, the CMake package (find_package(Ondavel))
and the pkg-config file Ondavel.pc.")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME pellarin)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS
    "libondavel1 (>= ${CPACK_DEBIAN_PACKAGE_VERSION})")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "benchmark of the Ondavel stereo FFT library
Pellarin reports how many times faster than real time the Ondavel library
transforms and compares 44100 Hz stereo material, for the 17 window lengths
from 4 to 262144, on the console and in the file Pellarin.txt.")
if(CPACK_GENERATOR STREQUAL "DEB" AND
   NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Debian packages: configure with -DCMAKE_INSTALL_PREFIX=/usr "
    "for the library to go to the multiarch folder")
endif()

# The architecture of the build's target, not of the machine running cpack,
# so a cross build is labelled for where it runs.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
# Dependencies read from the binaries themselves.  Pellarin's libOndavel is
# found in the build tree (it is in another package, named by hand above).
# Without dpkg-shlibdeps (or when cross building) the C and C++ run-time
# packages are named by hand.
find_program(ONDAVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ONDAVEL_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6")
  string(APPEND CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS
         ", libc6, libstdc++6, libgcc-s1")
endif()
# A shlibs file for libOndavel.so.1, and the ldconfig trigger.  CPack would
# also add postinst and postrm scripts calling ldconfig for a library under
# /usr/lib; naming them among the control files (no such files exist) turns
# that off, as the trigger does the work.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(ONDAVEL_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR}/debian)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${ONDAVEL_DEBIAN_DIR}/triggers
    ${ONDAVEL_DEBIAN_DIR}/no-ldconfig-scripts/postinst
    ${ONDAVEL_DEBIAN_DIR}/no-ldconfig-scripts/postrm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION OFF)

# Each package's copyright (machine-readable) and changelog.Debian.gz in
# usr/share/doc/<package>.  Only in component installs (the packages), not
# in a plain cmake --install.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(ONDAVEL_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
  add_custom_command(OUTPUT ${ONDAVEL_CHANGELOG_GZ}
    COMMAND sh -c "gzip -9n -c \"$1\" >\"$2\"" gzip
            ${ONDAVEL_DEBIAN_DIR}/changelog ${ONDAVEL_CHANGELOG_GZ}
    DEPENDS ${ONDAVEL_DEBIAN_DIR}/changelog
    VERBATIM)
  add_custom_target(OndavelDebianChangelog ALL DEPENDS ${ONDAVEL_CHANGELOG_GZ})
  foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    string(TOUPPER ${component} upper)
    set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    install(FILES ${ONDAVEL_DEBIAN_DIR}/copyright ${ONDAVEL_CHANGELOG_GZ}
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
      COMPONENT ${component} EXCLUDE_FROM_ALL)
    # lintian's one inapplicable warning, initial-upload-closes-no-bugs: these
    # packages are not uploaded to Debian, so there is no ITP bug to close.
    install(FILES ${ONDAVEL_DEBIAN_DIR}/lintian-overrides
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
      RENAME ${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
  endforeach()
endif()

include(CPack)
