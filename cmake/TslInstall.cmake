# Where the programs and their files are installed, and the version: in tsl_version.h for the
# programs that tell it, and in the version resource of each .exe.
include(GNUInstallDirs)
set(TSL_BASH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# Installing and packaging need the programs only, not every test of the build:
# scripts/package.sh builds those and runs cpack, which would otherwise build everything.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
if(WIN32)
  enable_language(RC)
endif()
# Only the few targets that show the version include it, so a new version rebuilds only those.
set(TSL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/tsl_version.h.in ${TSL_GENERATED_DIR}/tsl_version.h @ONLY)

# tsl_version_resource(TARGET DESCRIPTION): in a Windows build, gives TARGET's .exe a version
# resource with the project's version; elsewhere nothing.
function(tsl_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(TSL_TARGET ${target})
  set(TSL_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
