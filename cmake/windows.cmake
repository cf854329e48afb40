# What the Windows build needs beyond the common one; included from the top
# level when the target is Windows.

# Debian's nlohmann-json package names /usr/include as its include directory,
# which would put the build machine's C library headers before MinGW's. The
# library is headers only: a directory holding just them is enough.
find_path(QUELBRIN_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUELBRIN_JSON_HEADERS)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
endif()
set(json_only "${CMAKE_BINARY_DIR}/json-headers")
file(MAKE_DIRECTORY "${json_only}")
file(CREATE_LINK "${QUELBRIN_JSON_HEADERS}/nlohmann" "${json_only}/nlohmann" SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${json_only}")

# The programs carry their C and C++ runtimes, so that a single .exe runs on a
# machine (or in a Wine prefix) that has none of MinGW's DLLs.
add_link_options(-static)

enable_language(RC)
# quelbrin_windows_program(TARGET MANIFEST): embeds the application manifest.
function(quelbrin_windows_program target manifest)
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-manifest.rc")
  # 1 is the manifest that the loader reads for a process; 24 is RT_MANIFEST.
  file(WRITE "${rc}" "1 24 \"${manifest}\"\n")
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${manifest}")
  target_sources(${target} PRIVATE "${rc}")
endfunction()
