# The Debian package (scripts/package): where each file of the suite is installed, its manual
# pages, and CPack's DEB generator. Included when QX_PACKAGE is on, with CMAKE_INSTALL_PREFIX /usr.
#
#   /usr/lib/qx-com/            the programs and tools, and qx-com-logon
#   /usr/bin/                   qxctl, qxreg, qxmachine, qxwmecomd (links into /usr/lib/qx-com)
#   /usr/sbin/                  qx-com-serial (a link into /usr/lib/qx-com), serial panels set up as root
#   /usr/share/qx-com/          install-suite and its data, what the maintainer scripts share
#   /usr/share/applications/    the control panel and the double-click settings
#   /etc/xdg/autostart/         the log-on
#   /usr/lib/systemd/user/      the device service of the default machine root
#   /usr/lib/systemd/system/    the device broker and its socket; qx-com-serial@.service, a serial panel's inputattach
#   /usr/lib/sysusers.d/        the device broker's user
#   /usr/lib/udev/rules.d/      /dev/uinput for the device broker's group
#   /usr/share/man/             a page of each tool on the PATH (section 1), and qx-com(7)

# The package's version: the suite's own (core/suite_version.h, "7.0.COM") up to its letters, and
# the package's revision.
file(STRINGS ${CMAKE_SOURCE_DIR}/core/suite_version.h QX_SUITE_VERSION REGEX "kSuiteVersion\\[\\] = ")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" QX_SUITE_VERSION "${QX_SUITE_VERSION}")
string(REGEX MATCH "^[0-9.]*[0-9]" QX_UPSTREAM_VERSION "${QX_SUITE_VERSION}")
set(QX_DEBIAN_REVISION 1)
set(QX_DEBIAN_VERSION ${QX_UPSTREAM_VERSION}-${QX_DEBIAN_REVISION})

set(QX_PROGRAMS_DIR lib/qx-com)
set(QX_PATH_TOOLS qxctl qxreg qxmachine qxwmecomd)
set(QX_INSTALLED_TARGETS ${QX_PATH_TOOLS} unins000 QXWMECcp QXWMECao QXWMECrb QXWMECdi QXWMECde QXWMECvr
                         qx-com-broker qx-com-serial)
set(QX_PACKAGE_SOURCE ${CMAKE_SOURCE_DIR}/package)
set(QX_PACKAGE_BUILT ${CMAKE_BINARY_DIR}/package)

install(TARGETS ${QX_INSTALLED_TARGETS} RUNTIME DESTINATION ${QX_PROGRAMS_DIR})
install(PROGRAMS ${QX_PACKAGE_SOURCE}/qx-com-logon DESTINATION ${QX_PROGRAMS_DIR})

file(MAKE_DIRECTORY ${QX_PACKAGE_BUILT}/bin)
foreach(tool IN LISTS QX_PATH_TOOLS)
  file(CREATE_LINK ../${QX_PROGRAMS_DIR}/${tool} ${QX_PACKAGE_BUILT}/bin/${tool} SYMBOLIC)
  install(FILES ${QX_PACKAGE_BUILT}/bin/${tool} DESTINATION bin)
endforeach()

file(CREATE_LINK ../${QX_PROGRAMS_DIR}/qx-com-serial ${QX_PACKAGE_BUILT}/bin/qx-com-serial SYMBOLIC)
install(FILES ${QX_PACKAGE_BUILT}/bin/qx-com-serial DESTINATION sbin)

install(PROGRAMS ${QX_PACKAGE_SOURCE}/install-suite DESTINATION share/qx-com)
install(FILES ${QX_PACKAGE_SOURCE}/setup.ini ${QX_PACKAGE_SOURCE}/demo-setup.ini ${QX_PACKAGE_SOURCE}/QXWMECOM.INF
              ${QX_PACKAGE_SOURCE}/package-processes
        DESTINATION share/qx-com)
install(FILES ${QX_PACKAGE_SOURCE}/desktop/qx-com-control-panel.desktop
              ${QX_PACKAGE_SOURCE}/desktop/qx-com-double-click.desktop
        DESTINATION share/applications)
install(FILES ${QX_PACKAGE_SOURCE}/desktop/qx-com-logon.desktop DESTINATION /etc/xdg/autostart)
install(FILES ${QX_PACKAGE_SOURCE}/systemd/qxwmecomd.service DESTINATION lib/systemd/user)
install(FILES ${QX_PACKAGE_SOURCE}/systemd/qx-com-broker.service ${QX_PACKAGE_SOURCE}/systemd/qx-com-broker.socket
              ${QX_PACKAGE_SOURCE}/systemd/qx-com-serial@.service
        DESTINATION lib/systemd/system)
install(FILES ${QX_PACKAGE_SOURCE}/sysusers/qx-com.conf DESTINATION lib/sysusers.d)
install(FILES ${QX_PACKAGE_SOURCE}/udev/70-qx-com.rules DESTINATION lib/udev/rules.d)

# The changelog carries the package's version; both documents as Debian keeps them.
configure_file(${QX_PACKAGE_SOURCE}/debian/changelog.in ${QX_PACKAGE_BUILT}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${QX_PACKAGE_BUILT}/changelog.Debian.gz
                   COMMAND gzip -9nkf ${QX_PACKAGE_BUILT}/changelog.Debian
                   DEPENDS ${QX_PACKAGE_BUILT}/changelog.Debian)
install(FILES ${QX_PACKAGE_SOURCE}/debian/copyright ${QX_PACKAGE_BUILT}/changelog.Debian.gz DESTINATION share/doc/qx-com)

# A manual page of each tool on the PATH, made by help2man from its --help; the rest, the programs
# in /usr/lib/qx-com and the scripts, each with its --help, in qx-com(7).
find_program(QX_HELP2MAN help2man REQUIRED)
set(QX_PACKAGE_DOCUMENTS ${QX_PACKAGE_BUILT}/changelog.Debian.gz)
function(qx_manual_page name program summary)
  set(page ${QX_PACKAGE_BUILT}/man/${name}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_BUILT}/man
    COMMAND ${QX_HELP2MAN} --no-info --version-string=${QX_SUITE_VERSION} --name=${summary} --output=${page} ${program}
    COMMAND gzip -9nf ${page}
    DEPENDS ${program}
    VERBATIM)
  install(FILES ${page}.gz DESTINATION share/man/man1)
  set(QX_PACKAGE_DOCUMENTS ${QX_PACKAGE_DOCUMENTS} ${page}.gz PARENT_SCOPE)
endfunction()

qx_manual_page(qxctl $<TARGET_FILE:qxctl> "the TouchScreen QX-COM device and controller settings from a shell")
qx_manual_page(qxreg $<TARGET_FILE:qxreg> "the registry of a TouchScreen QX-COM machine root from a shell")
qx_manual_page(qxmachine $<TARGET_FILE:qxmachine> "boots, restarts and shuts down a TouchScreen QX-COM machine root")
qx_manual_page(qxwmecomd $<TARGET_FILE:qxwmecomd> "the TouchScreen QX-COM device service")
qx_manual_page(qx-com-serial $<TARGET_FILE:qx-com-serial> "serial touchscreens attached through inputattach at every start")

set(QX_SUITE_PAGE ${QX_PACKAGE_BUILT}/man/qx-com.7)
set(QX_SUITE_PAGE_PROGRAMS)
foreach(program QXWMECcp QXWMECao QXWMECrb QXWMECvr QXWMECdi QXWMECde unins000 qx-com-broker)
  list(APPEND QX_SUITE_PAGE_PROGRAMS /usr/${QX_PROGRAMS_DIR}/${program}=$<TARGET_FILE:${program}>)
endforeach()
add_custom_command(
  OUTPUT ${QX_SUITE_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_BUILT}/man
  COMMAND ${QX_PACKAGE_SOURCE}/debian/suite-manual-page ${QX_PACKAGE_SOURCE}/debian/qx-com.7.in ${QX_SUITE_VERSION}
          ${QX_SUITE_PAGE} /usr/${QX_PROGRAMS_DIR}/qx-com-logon=${QX_PACKAGE_SOURCE}/qx-com-logon
          /usr/share/qx-com/install-suite=${QX_PACKAGE_SOURCE}/install-suite ${QX_SUITE_PAGE_PROGRAMS}
  COMMAND gzip -9nf ${QX_SUITE_PAGE}
  DEPENDS ${QX_PACKAGE_SOURCE}/debian/suite-manual-page ${QX_PACKAGE_SOURCE}/debian/qx-com.7.in
          ${QX_PACKAGE_SOURCE}/qx-com-logon ${QX_PACKAGE_SOURCE}/install-suite QXWMECcp QXWMECao QXWMECrb QXWMECvr
          QXWMECdi QXWMECde unins000 qx-com-broker
  VERBATIM)
install(FILES ${QX_SUITE_PAGE}.gz DESTINATION share/man/man7)
list(APPEND QX_PACKAGE_DOCUMENTS ${QX_SUITE_PAGE}.gz)

# What the package needs built: its programs and its documents.
add_custom_target(qx_package_files ALL DEPENDS ${QX_INSTALLED_TARGETS} ${QX_PACKAGE_DOCUMENTS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qx-com)
set(CPACK_PACKAGE_VERSION ${QX_UPSTREAM_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QX_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "TouchScreen QX-COM developers <qx-com@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TouchScreen QX-COM utility suite for serial touch-screen controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "The user side of a serial touch-screen controller, version ${QX_SUITE_VERSION}:\n"
    "a control panel with calibration, a startup program run at log-on, a\n"
    "right-button program, an installer and an uninstaller, and a device service\n"
    "that stands in for the driver, with the tools qxctl, qxreg and qxmachine.\n"
    "A sandboxed system service, the device broker, hands the person's device\n"
    "service its pointer device and touch screen; the person gets no device node.\n"
    "At the first log-on the suite is installed into the person's machine root.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A serial panel reaches the kernel through inputattach (qx-com-serial).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS inputattach)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${QX_PACKAGE_SOURCE}/debian/conffiles ${QX_PACKAGE_SOURCE}/debian/postinst ${QX_PACKAGE_SOURCE}/debian/prerm
    ${QX_PACKAGE_SOURCE}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
