# What the Windows build adds to the programs: a version resource in each .exe
# (Explorer's Properties > Details, and what the system reports as the file
# version), and the configurator as a windowed program.
enable_language(RC)

# The build number of the program version (major.minor.release.build), as the
# configurator shows it.
set(VX_FILE_VERSION_BUILD 158 CACHE STRING "Build number of the programs' file version")

foreach(program configurator restarter vxc vxctl vxcore-sim)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(VX_RC_PROGRAM ${program})
  set(VX_RC_MAJOR ${PROJECT_VERSION_MAJOR})
  set(VX_RC_MINOR ${PROJECT_VERSION_MINOR})
  set(VX_RC_RELEASE ${PROJECT_VERSION_PATCH})
  set(VX_RC_BUILD ${VX_FILE_VERSION_BUILD})
  set(rc_file ${CMAKE_BINARY_DIR}/version/${program}.rc)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${rc_file} @ONLY)
  target_sources(${program} PRIVATE ${rc_file})
endforeach()

if(TARGET configurator)
  set_target_properties(configurator PROPERTIES WIN32_EXECUTABLE ON)
endif()
