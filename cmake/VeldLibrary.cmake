# veld_acq_library(<name> SOURCES ... LIBS ...): a part of the acquisition library.
# It links no QtWidgets; a widget include in any of its files stops the build.
function(veld_acq_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set(abs "")
  foreach(s IN LISTS ARG_SOURCES)
    get_filename_component(a "${s}" ABSOLUTE)
    list(APPEND abs "${a}")
    string(REGEX REPLACE "\\.cpp$" ".h" h "${a}")
    if(EXISTS "${h}")
      list(APPEND abs "${h}")
    endif()
  endforeach()
  list(JOIN abs "|" joined)
  add_custom_target(${name}_no_widgets
    COMMAND ${CMAKE_COMMAND} "-DSOURCES=${joined}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake
    COMMENT "Checking ${name} for widget headers" VERBATIM)
  add_dependencies(${name} ${name}_no_widgets)
endfunction()
