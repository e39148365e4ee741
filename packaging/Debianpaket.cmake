# The Debian package: what `cpack` in a build configured with -DKABEL_DEBIAN_PAKET=ON produces,
# on top of the ordinary install rules. Checked by tests/paket/pruefen.sh.

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  message(FATAL_ERROR "KABEL_DEBIAN_PAKET builds a Debian package and needs a Linux build")
endif()

# The changelog names the version it describes; a version bump without an entry would ship a
# package whose history contradicts it.
file(STRINGS debian/changelog kabel_changelog_kopf LIMIT_COUNT 1)
if(NOT kabel_changelog_kopf MATCHES "^sondit-kabel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog must start with an entry for ${PROJECT_VERSION}, "
                      "it starts with: ${kabel_changelog_kopf}")
endif()

# One package per Debian release, built on that release so that its Depends name that release's
# libraries. The version says which, as Debian marks builds for a release (1.0.0+deb12,
# 1.0.0+deb13), so both can sit in one repository. The changelog stays the project's history.
file(STRINGS /etc/os-release kabel_os REGEX "^(ID|VERSION_ID)=")
list(TRANSFORM kabel_os REPLACE "\"" "")
list(FILTER kabel_os INCLUDE REGEX "^(ID=debian|VERSION_ID=[0-9]+)$")
list(LENGTH kabel_os kabel_os_felder)
if(NOT kabel_os_felder EQUAL 2)
  message(FATAL_ERROR "The Debian package is built on a Debian release (12, 13, …); /etc/os-release says otherwise")
endif()
string(REGEX REPLACE ".*VERSION_ID=([0-9]+).*" "\\1" kabel_debian "${kabel_os}")
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION}+deb${kabel_debian})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS /etc/os-release)

# Debian wants documentation compressed with gzip -9n: maximal and without a timestamp, so
# equal sources give equal packages. A native package (a version without a Debian revision)
# names its changelog changelog.gz.
set(kabel_gepackt)
foreach(datei IN ITEMS debian/changelog sondit-kabel.1)
  get_filename_component(name ${datei} NAME)
  set(ausgabe ${CMAKE_CURRENT_BINARY_DIR}/debian/${name}.gz)
  add_custom_command(OUTPUT ${ausgabe}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${datei} ${CMAKE_CURRENT_BINARY_DIR}/debian/${name}
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/debian/${name}
    DEPENDS ${datei}
    VERBATIM)
  list(APPEND kabel_gepackt ${ausgabe})
endforeach()
add_custom_target(kabel_debian_doku ALL DEPENDS ${kabel_gepackt})

install(FILES debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/sondit-kabel.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sondit-kabel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reads an iPhone over USB for the Werkora workshop service")
set(CPACK_PACKAGE_DESCRIPTION [=[
Sondit Kabel is a small desktop companion for phone repair workshops. The
workshop's Werkora service opens it through a one-time sondit-kabel:// link.
It then waits for an iPhone on the USB cable to trust this computer, reads
the phone's identity, battery figures and up to ten kernel panic logs with
the libimobiledevice tools, and posts them as one report to the Werkora
instance named in the link. It reads nothing else from the phone and
contacts no other address.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sondit Kabel <kabel@sondit.de>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The app runs these tools; usbmuxd is what lets them reach a phone on the cable.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libimobiledevice-utils, usbmuxd")
include(CPack)
