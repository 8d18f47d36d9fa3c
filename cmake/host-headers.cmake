# Header-only libraries of the build machine (nlohmann-json, CLI11, Asio) for a
# cross build. Their packages sit in /usr/include beside the host's C library,
# which must not reach the target's compiler: a folder of links to just these
# headers stands in for them, and the find calls of the areas land on it.
set(vx_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${vx_host_headers})
foreach(entry nlohmann CLI asio asio.hpp)
  if(EXISTS /usr/include/${entry})
    file(CREATE_LINK /usr/include/${entry} ${vx_host_headers}/${entry} SYMBOLIC)
  endif()
endforeach()

if(EXISTS ${vx_host_headers}/nlohmann/json.hpp)
  set(config ${vx_host_headers}/cmake/nlohmann_json/nlohmann_jsonConfig.cmake)
  file(WRITE ${config} "\
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${vx_host_headers})
endif()
")
  set(nlohmann_json_DIR ${vx_host_headers}/cmake/nlohmann_json CACHE PATH "" FORCE)
endif()
if(EXISTS ${vx_host_headers}/CLI/CLI.hpp)
  set(VX_CLI11_INCLUDE ${vx_host_headers} CACHE PATH "" FORCE)
endif()
if(EXISTS ${vx_host_headers}/asio.hpp)
  set(VX_ASIO_INCLUDE ${vx_host_headers} CACHE PATH "" FORCE)
endif()
