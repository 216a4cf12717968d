# hidapi for the Windows build: upstream's Windows backend, built by hidapi's
# own CMake project from Debian's hidapi source package and linked
# statically, so the executable finds the panel through the system's own
# hid.dll and cfgmgr32.dll without a hidapi DLL beside it. Going through
# upstream's project rather than naming its files keeps newer releases
# (which add files to the backend) linking.
#
# The sources are unpacked once into a cache outside the work tree (they are
# never committed); cmake/fetch-hidapi-source.sh fetches them with apt when
# they are missing.

set(VP_HIDAPI_SOURCE_DIR "" CACHE PATH "Unpacked hidapi sources (holding hidapi/hidapi.h and windows/hid.c)")
if(NOT VP_HIDAPI_SOURCE_DIR)
  if(DEFINED ENV{VP_CACHE_DIR})
    set(vp_cache "$ENV{VP_CACHE_DIR}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(vp_cache "$ENV{XDG_CACHE_HOME}/vestrel-pelvar")
  elseif(DEFINED ENV{HOME})
    set(vp_cache "$ENV{HOME}/.cache/vestrel-pelvar")
  else()
    set(vp_cache "${CMAKE_BINARY_DIR}/_cache")
  endif()
  set(VP_HIDAPI_SOURCE_DIR "${vp_cache}/hidapi-source" CACHE PATH
      "Unpacked hidapi sources (holding hidapi/hidapi.h and windows/hid.c)" FORCE)
endif()

if(NOT EXISTS "${VP_HIDAPI_SOURCE_DIR}/windows/hid.c")
  execute_process(
    COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/fetch-hidapi-source.sh" "${VP_HIDAPI_SOURCE_DIR}"
    RESULT_VARIABLE vp_fetch_result)
  if(NOT vp_fetch_result EQUAL 0 OR NOT EXISTS "${VP_HIDAPI_SOURCE_DIR}/windows/hid.c")
    message(FATAL_ERROR "hidapi sources are missing from ${VP_HIDAPI_SOURCE_DIR} and could not be fetched")
  endif()
endif()

# A function, so that the settings below stay with hidapi's project.
function(vp_add_hidapi_windows)
  set(BUILD_SHARED_LIBS OFF)
  set(HIDAPI_INSTALL_TARGETS OFF)
  add_subdirectory("${VP_HIDAPI_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/hidapi" EXCLUDE_FROM_ALL)
endfunction()
vp_add_hidapi_windows()
# Third-party code: built as upstream ships it, its warnings are not ours.
target_compile_options(hidapi_winapi PRIVATE -w)

# The core includes <hidapi/hidapi.h>. Only that header is exposed, from a
# folder of its own, so nothing else of the source tree can shadow a header.
set(vp_hidapi_include "${CMAKE_BINARY_DIR}/hidapi-include")
configure_file("${VP_HIDAPI_SOURCE_DIR}/hidapi/hidapi.h" "${vp_hidapi_include}/hidapi/hidapi.h" COPYONLY)
add_library(vp_hidapi INTERFACE)
target_include_directories(vp_hidapi INTERFACE "${vp_hidapi_include}")
target_link_libraries(vp_hidapi INTERFACE hidapi_winapi)
