# The documents beside the programs, and the packages CPack makes of an install: a Debian
# package of the Linux tools, a zip of a Windows build (scripts/package.sh makes all three).
set(TSL_PACKAGE tessaline-companion)
if(WIN32)
  # The zip holds bin\*.exe and the README at its top.
  install(FILES README.md DESTINATION .)
else()
  # No licence file exists in the tree yet; the README is the one document.
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${TSL_PACKAGE})
endif()

set(CPACK_PACKAGE_NAME ${TSL_PACKAGE})
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Tessaline IDE integration and skin project wizard for Wine prefixes and Windows")
set(CPACK_PACKAGE_DESCRIPTION
    "tslkt-integrate hooks an installed Tessaline library into Visual C++ 6.0 and Visual Studio
.NET in a Wine prefix; tslkt-skinwizard creates a skin DLL project for the library.")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch x64)
  else()
    set(arch x86)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${TSL_PACKAGE}-${PROJECT_VERSION}-windows-${arch})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # The programs link the C and C++ runtimes only; dpkg-shlibdeps names their packages.
  # They read and write a Wine prefix's files themselves; wine is started only to hand the
  # Help 2 steps to the Windows build beside them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
endif()
include(CPack)
