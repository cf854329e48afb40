# Dependencies point down: every source file may include headers of its own
# layer and of the layers below it, never of a layer above or of a sibling
# backend; third-party headers only where the layer links the library.
#   cmake -DROOT=<source tree> -P check_layers.cmake
# Prints each include that breaks the rule and fails when there is one.
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_layers.cmake")
endif()

# The layer of a path, most specific folder first. ui/text belongs to ui.
set(folders
  platform/machine machine
  platform/recorded recorded
  platform/capture capture
  platform/linux linux
  platform/win32 win32
  platform platform
  model model
  scan scan
  ui/widgets widgets
  ui ui
  app/common app
  app/cli cli
  app/gui gui
  app/win32 winapp
  tests/gui guitests
  tests/win32 wintests
  tests/layouts layouts
  tests tests
  bench/gui guibench
  bench bench
  fuzz fuzz)

# What each layer may include, its own layer with it.
set(below_ui platform machine recorded capture linux win32 model scan ui)
set(may_platform platform)
set(may_machine platform machine)
set(may_recorded platform machine recorded)
# A capture compares what a backend answered with what a recording would answer.
set(may_capture platform machine recorded capture)
set(may_linux platform machine linux)
set(may_win32 platform win32)
set(may_model platform model)
set(may_scan platform model scan)
set(may_ui platform model scan ui)
set(may_widgets platform model scan ui widgets)
set(may_app ${below_ui} app)
set(may_cli ${below_ui} app cli)
set(may_gui ${below_ui} widgets app gui)
set(may_winapp ${below_ui} app winapp)
# The record layouts are checked alone against the platform's own headers.
set(may_layouts platform)
# The tests that need no display may include anything but the toolkit's layers.
set(may_tests ${below_ui} app cli tests)
set(may_guitests ${below_ui} widgets app gui tests guitests)
set(may_wintests ${below_ui} app winapp tests wintests)
set(may_bench ${below_ui} app bench)
# The desktop viewer's benchmark drives its frame as the desktop tests do.
set(may_guibench ${below_ui} widgets app gui bench guibench)
set(may_fuzz ${below_ui} app fuzz)

# Third-party headers, by the folders that may include them.
set(library_prefixes nlohmann rapidjson wx libmount blkid)
set(library_nlohmann platform/machine ui/text app/common tests bench fuzz)
set(library_rapidjson platform/machine)
set(library_wx ui/widgets app/gui tests/gui bench/gui)
set(library_libmount platform/linux)
set(library_blkid platform/linux)

function(layer_of path out)
  set(result "")
  list(LENGTH folders count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    list(GET folders ${i} folder)
    math(EXPR j "${i} + 1")
    list(GET folders ${j} layer)
    string(LENGTH "${folder}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${folder}/")
      set(result ${layer})
      break()
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(starts_with_any path prefixes out)
  set(${out} FALSE PARENT_SCOPE)
  foreach(p IN LISTS prefixes)
    string(LENGTH "${p}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${p}/")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(top_folders platform model scan ui app tests bench fuzz)
set(globs)
foreach(top IN LISTS top_folders)
  list(APPEND globs "${ROOT}/${top}/*.h" "${ROOT}/${top}/*.cpp" "${ROOT}/${top}/*.cc")
endforeach()
file(GLOB_RECURSE files RELATIVE "${ROOT}" ${globs})
list(SORT files)

set(broken 0)
foreach(file IN LISTS files)
  layer_of("${file}" layer)
  if(NOT layer)
    continue()
  endif()
  get_filename_component(dir "${file}" DIRECTORY)
  file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "[<\"]([^>\"]+)[>\"]" _ "${line}")
    set(header "${CMAKE_MATCH_1}")
    if(line MATCHES "include[ \t]*<")
      # A library's header: only where that library is linked.
      string(REGEX MATCH "^[^/]+" library "${header}")
      if(library IN_LIST library_prefixes)
        starts_with_any("${file}" "${library_${library}}" allowed)
        if(NOT allowed)
          message("${file}: includes <${header}>, which ${layer} does not link")
          math(EXPR broken "${broken} + 1")
        endif()
      endif()
      continue()
    endif()
    # Project headers are named from the top of the tree; a bare name is a
    # neighbour in the same folder.
    string(REGEX MATCH "^[^/]+" first "${header}")
    if(first IN_LIST top_folders)
      set(target "${header}")
    else()
      set(target "${dir}/${header}")
    endif()
    layer_of("${target}" target_layer)
    if(target_layer AND NOT target_layer IN_LIST may_${layer})
      list(JOIN may_${layer} ", " allowed)
      message("${file}: includes ${header}: ${layer} may include only ${allowed}")
      math(EXPR broken "${broken} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH files checked)
if(broken GREATER 0)
  message(FATAL_ERROR "${broken} includes reach up or sideways (${checked} files checked)")
endif()
message("${checked} files checked: every include points down")
