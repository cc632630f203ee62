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
endif()
