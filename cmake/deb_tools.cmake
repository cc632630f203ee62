# Read by CPack before it builds a package. A .deb's Depends line comes from
# dpkg-shlibdeps, which CPack finds ELF files for with `file`; without either
# CPack would only warn and build a .deb that depends on nothing.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(PLUCKROW_DPKG_SHLIBDEPS dpkg-shlibdeps)
  find_program(PLUCKROW_FILE_COMMAND file)
  if(NOT PLUCKROW_DPKG_SHLIBDEPS OR NOT PLUCKROW_FILE_COMMAND)
    message(FATAL_ERROR "the .deb's dependencies need dpkg-shlibdeps and file: "
                        "apt-get install dpkg-dev file")
  endif()
  # A cross build's package: dpkg-shlibdeps reads its binary with that
  # architecture's objdump and its libraries' symbols for that architecture.
  if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    set(ENV{DEB_HOST_ARCH} ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
  endif()
endif()
