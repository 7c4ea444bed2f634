# Read by cpack when it packs (CPACK_PROJECT_CONFIG_FILE). The kernel library
# travels appended to the program, so dpkg-shlibdeps never sees it among the
# installed files: it is asked here about the kernel library itself together
# with the program and the skin library, so that every library the kernel
# loads (Qt Charts, libzip, ...) is a dependency of the package, each once.
set(_objects "@PCSHOP_PACKAGED_KERNEL@" "@PCSHOP_PROGRAM@" "@PCSHOP_SKIN@")
list(TRANSFORM _objects PREPEND "-e")
set(_work "${CPACK_TOPLEVEL_DIRECTORY}/kernel-depends")
file(MAKE_DIRECTORY "${_work}/debian")
file(WRITE "${_work}/debian/control" "Source: pcshop\n\nPackage: pcshop\nArchitecture: any\n")
execute_process(COMMAND dpkg-shlibdeps -O ${_objects}
                WORKING_DIRECTORY "${_work}"
                OUTPUT_VARIABLE _found ERROR_VARIABLE _errors RESULT_VARIABLE _rc)
string(REGEX REPLACE "^shlibs:Depends=" "" _found "${_found}")
string(STRIP "${_found}" _found)
if(NOT _rc EQUAL 0 OR _found STREQUAL "")
  message(FATAL_ERROR "dpkg-shlibdeps failed: ${_errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${_found}")
