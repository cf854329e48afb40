# What the Windows build needs beyond the common one; included from the top
# level when the target is Windows.

# Debian's nlohmann-json and rapidjson packages name /usr/include as their
# include directory, which would put the build machine's C library headers
# before MinGW's. Both are headers only: a directory holding just them is enough.
set(json_only "${CMAKE_BINARY_DIR}/json-headers")
file(MAKE_DIRECTORY "${json_only}")
foreach(header IN ITEMS nlohmann/json.hpp rapidjson/document.h)
  get_filename_component(dir "${header}" DIRECTORY)
  find_path(QUELBRIN_${dir}_HEADERS ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT QUELBRIN_${dir}_HEADERS)
    message(FATAL_ERROR "${header} not found (Debian packages nlohmann-json3-dev and rapidjson-dev)")
  endif()
  file(CREATE_LINK "${QUELBRIN_${dir}_HEADERS}/${dir}" "${json_only}/${dir}" SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${json_only}")
add_library(quelbrin_rapidjson INTERFACE IMPORTED)
set_target_properties(quelbrin_rapidjson PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${json_only}")

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
