# The Debian package: `cpack -G DEB` in the build folder makes
# velmora_<version>_<arch>.deb holding what `cmake --install` installs under /usr.
include(${CMAKE_CURRENT_LIST_DIR}/DesktopIntegration.cmake)
if(NOT VELMORA_BUILD_APP)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velmora <${VELMORA_SUPPORT_EMAIL}>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_DEVELOPER_PAGE}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "join audio and video files into one file
Velmora joins several audio files (audio with video too) into one output file.
You build an ordered list of files; each file is analysed with ffprobe as it
enters the list, and Join re-encodes every input into one common form with
ffmpeg and concatenates them into the file you choose.

The package holds the Qt desktop application (velmora) and velmora-cli, which
drives the same engine from the terminal.")

# The libraries come from the executables (dpkg-shlibdeps, in dpkg-dev);
# what they load or run at run time is named here: the xcb platform plugin
# and the probe and encoder tools the resources links point at.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, qt6-qpa-plugins")
# "Open" and "Play" hand files to the desktop's default application through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
find_program(VELMORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELMORA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  message(WARNING "dpkg-shlibdeps not found (package dpkg-dev): the package names its libraries without versions")
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
    ", libc6, libstdc++6, libgcc-s1, libqt6core6, libqt6gui6, libqt6widgets6, libqt6dbus6, libplist3")
endif()

# The resources links must name the files of Debian's ffmpeg package,
# whichever ffprobe and ffmpeg the build machine found.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageToolLinks.cmake)
set(CPACK_VELMORA_RESOURCES_DIR "${VELMORA_INSTALL_RESOURCES_DIR}")

include(CPack)
