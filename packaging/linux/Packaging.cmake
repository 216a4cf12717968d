# The Debian package of the Linux bridge: `make package` configures a lean
# Release build of its own (build-package) and has CPack's DEB generator
# write vestrel-pelvar_<version>_<arch>.deb. The version is the project's.
if(WIN32 OR NOT VP_BUILD_SHELL)
  return()
endif()

include(GNUInstallDirs)

set(vp_package_name vestrel-pelvar)
set(VP_MAINTAINER "Vestrel Pelvar maintainers <maintainers@vestrel-pelvar.example>")
set(vp_doc_dir "${CMAKE_INSTALL_DATADIR}/doc/${vp_package_name}")
set(vp_package_dir "${CMAKE_CURRENT_LIST_DIR}")
set(vp_generated "${CMAKE_BINARY_DIR}/package-files")

install(TARGETS vestrel-pelvar RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# udev reads /usr/lib/udev/rules.d too; 70 sorts before logind's
# 73-seat-late, which turns the uaccess tag into the seated user's access.
install(FILES "${PROJECT_SOURCE_DIR}/app/linux/udev/70-vestrel-pelvar.rules"
        DESTINATION lib/udev/rules.d)

install(FILES "${vp_package_dir}/vestrel-pelvar.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
# The autostart entry names the program by its installed path, so it starts
# whatever PATH the login session has.
set(VP_INSTALLED_PROGRAM "${CMAKE_INSTALL_FULL_BINDIR}/vestrel-pelvar")
configure_file("${vp_package_dir}/autostart.desktop.in" "${vp_generated}/autostart/vestrel-pelvar.desktop" @ONLY)
install(FILES "${vp_generated}/autostart/vestrel-pelvar.desktop" DESTINATION /etc/xdg/autostart)

# The emblem in the tray's three colours; grey (standby) is the program's own.
foreach(size 16 24 32 48 256)
  foreach(state standby waiting connected)
    set(vp_icon_name "vestrel-pelvar-${state}")
    if(state STREQUAL "standby")
      set(vp_icon_name "vestrel-pelvar")
    endif()
    install(FILES "${PROJECT_SOURCE_DIR}/app/icons/generated/${state}-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME "${vp_icon_name}.png")
  endforeach()
endforeach()

# The copyright file in Debian's machine-readable form, its licence text and
# holder taken from LICENSE (the MIT licence, which Debian calls Expat).
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" vp_licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" vp_match "${vp_licence}")
set(VP_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" vp_licence "${vp_licence}")
string(REGEX REPLACE "\n+$" "" vp_licence "${vp_licence}")
string(REGEX REPLACE "\n\n" "\n.\n" vp_licence "${vp_licence}")
string(REPLACE "\n" "\n " VP_LICENSE " ${vp_licence}")
configure_file("${vp_package_dir}/copyright.in" "${vp_generated}/copyright" @ONLY)

# A native package's changelog, gzip -9n as Debian wants it; the date is the
# configuration's (or SOURCE_DATE_EPOCH's).
string(TIMESTAMP VP_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${vp_package_dir}/changelog.in" "${vp_generated}/changelog" @ONLY)
add_custom_command(OUTPUT "${vp_generated}/changelog.gz"
                   COMMAND gzip -9nc "${vp_generated}/changelog" > "${vp_generated}/changelog.gz"
                   DEPENDS "${vp_generated}/changelog")
add_custom_target(vp_package_changelog ALL DEPENDS "${vp_generated}/changelog.gz")
add_custom_command(OUTPUT "${vp_generated}/vestrel-pelvar.1.gz"
                   COMMAND gzip -9nc "${vp_package_dir}/vestrel-pelvar.1" > "${vp_generated}/vestrel-pelvar.1.gz"
                   DEPENDS "${vp_package_dir}/vestrel-pelvar.1")
add_custom_target(vp_package_manual ALL DEPENDS "${vp_generated}/vestrel-pelvar.1.gz")
install(FILES "${vp_generated}/vestrel-pelvar.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${vp_generated}/copyright" "${vp_generated}/changelog.gz" "${PROJECT_SOURCE_DIR}/README.md"
              "${PROJECT_SOURCE_DIR}/docs/linux.md" "${PROJECT_SOURCE_DIR}/docs/profiles.md"
        DESTINATION "${vp_doc_dir}")
# The shipped aircraft profiles, where the bridge looks after the user's own.
file(GLOB vp_shipped_profiles "${PROJECT_SOURCE_DIR}/aircraft/*.toml")
install(FILES ${vp_shipped_profiles} DESTINATION "${CMAKE_INSTALL_DATADIR}/vestrel-pelvar/aircraft")

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE vp_architecture OUTPUT_STRIP_TRAILING_WHITESPACE)
set(VP_PACKAGE_FILE "${CMAKE_BINARY_DIR}/${vp_package_name}_${PROJECT_VERSION}_${vp_architecture}.deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "${vp_package_name}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "${vp_package_name}_${PROJECT_VERSION}_${vp_architecture}.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${vp_architecture}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bridge between the Dorvik flight panel and MSFS")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vestrel Pelvar turns the knobs and keys of the Dorvik USB flight-simulation
panel into Microsoft Flight Simulator events (radios, courses, altimeter,
autopilot, transponder, GPS navigators) and lights the panel's autopilot
lamps from the simulator. It reaches the simulator over SimConnect's TCP
protocol and sits in the desktop's tray.")
# The autostart entry lives in /etc, so it is the administrator's to change.
file(WRITE "${vp_generated}/conffiles" "/etc/xdg/autostart/vestrel-pelvar.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${vp_package_dir}/postinst;${vp_generated}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)

# The package's tests, in the package stage of `make test`: lintian, and the
# program unpacked from the package between the simulator stand-in and the
# virtual panel of the native build.
option(VP_PACKAGE_TESTS "Test the package with the tools of the native build" OFF)
set(VP_NATIVE_BUILD_DIR "${PROJECT_SOURCE_DIR}/build" CACHE PATH "The native build whose tools the package tests use")
if(VP_PACKAGE_TESTS)
  enable_testing()
  add_test(NAME package.lintian COMMAND lintian --fail-on warning "${VP_PACKAGE_FILE}")
  find_program(VP_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  add_test(NAME package.unpacked COMMAND ${VP_PYTHON} -m pytest -q -p no:cacheprovider -p processes
           "${PROJECT_SOURCE_DIR}/tests/e2e/test_package.py")
  set_tests_properties(package.lintian package.unpacked PROPERTIES LABELS package TIMEOUT 60)
  set_tests_properties(package.unpacked PROPERTIES ENVIRONMENT
    "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/e2e;PYTHONDONTWRITEBYTECODE=1;VP_PACKAGE=${VP_PACKAGE_FILE};\
VP_STANDIN=${VP_NATIVE_BUILD_DIR}/bin/simstandin;VP_PANEL=${VP_NATIVE_BUILD_DIR}/bin/virtualpanel;\
VP_SHIM=${VP_NATIVE_BUILD_DIR}/lib/libvestrel-hidshim.so")
endif()
