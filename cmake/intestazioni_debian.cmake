# For a cross build: fmt, CLI11 and nlohmann-json taken header-only from the
# build machine's own Debian packages (libfmt-dev, libcli11-dev,
# nlohmann-json3-dev). Their folders are linked into one folder of the build,
# so that the target's compiler sees these three and none of the build
# machine's other headers; fmt is compiled into each program that uses it
# (FMT_HEADER_ONLY), since Debian has no fmt library for the target.
set(SCEN_INTESTAZIONI_OSPITE /usr/include CACHE PATH "Where the build machine's fmt, CLI and nlohmann headers are")
set(cartella ${CMAKE_BINARY_DIR}/intestazioni_debian)
file(MAKE_DIRECTORY ${cartella})
foreach(sotto fmt CLI nlohmann)
  if(NOT EXISTS ${SCEN_INTESTAZIONI_OSPITE}/${sotto})
    message(FATAL_ERROR "${SCEN_INTESTAZIONI_OSPITE}/${sotto} manca: servono libfmt-dev, libcli11-dev e nlohmann-json3-dev")
  endif()
  if(NOT EXISTS ${cartella}/${sotto})
    file(CREATE_LINK ${SCEN_INTESTAZIONI_OSPITE}/${sotto} ${cartella}/${sotto} SYMBOLIC)
  endif()
endforeach()

add_library(fmt::fmt INTERFACE IMPORTED)
set_target_properties(fmt::fmt PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${cartella}
  INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${cartella})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${cartella})
