# For a cross build: fmt, CLI11 and nlohmann-json taken from the build
# machine's own Debian packages (libfmt-dev, libcli11-dev,
# nlohmann-json3-dev). Their header folders are linked into one folder of
# the build, so that the target's compiler sees these three and none of the
# build machine's other headers. CLI11 and nlohmann-json are header-only;
# Debian has no fmt library for the target, so fmt's own implementation
# (format-inl.h) is compiled here, once, into a small static library.
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

set(fmt_una_volta ${CMAKE_BINARY_DIR}/generato/fmt_una_volta.cc)
file(WRITE ${fmt_una_volta}.nuovo [=[
// fmt's implementation, compiled once for the programs (as fmt's own library
// is made), with the instantiations that format.h declares extern.
#include <fmt/format-inl.h>

FMT_BEGIN_NAMESPACE
namespace detail {
template FMT_API auto thousands_sep_impl(locale_ref) -> thousands_sep_result<char>;
template FMT_API auto thousands_sep_impl(locale_ref) -> thousands_sep_result<wchar_t>;
template FMT_API auto decimal_point_impl(locale_ref) -> char;
template FMT_API auto decimal_point_impl(locale_ref) -> wchar_t;
}  // namespace detail
FMT_END_NAMESPACE
]=])
file(COPY_FILE ${fmt_una_volta}.nuovo ${fmt_una_volta} ONLY_IF_DIFFERENT)
add_library(scen_fmt STATIC ${fmt_una_volta})
target_include_directories(scen_fmt SYSTEM PUBLIC ${cartella})
target_compile_options(scen_fmt PRIVATE -w)
add_library(fmt::fmt ALIAS scen_fmt)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${cartella})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${cartella})
