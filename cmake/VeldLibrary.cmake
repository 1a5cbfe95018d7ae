# veld_acq_library(<name> SOURCES ... LIBS ... [GUI_VALUES <header>...]): a widget-free library.
# It links no QtWidgets; a widget or QtGui include in any of its files stops the build. The
# QtGui value classes named in GUI_VALUES (say QColor: no display, no application object) are
# the only exception, for the display model that keeps the windows' colours.
function(veld_acq_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;GUI_VALUES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  # Every source and header of the folder (its ui/ subfolder holds the windows and is not part).
  file(GLOB abs ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(s IN LISTS ARG_SOURCES)
    get_filename_component(a "${s}" ABSOLUTE)
    list(APPEND abs "${a}")
  endforeach()
  list(REMOVE_DUPLICATES abs)
  list(JOIN abs "|" joined)
  list(JOIN ARG_GUI_VALUES "|" allowed)
  add_custom_target(${name}_no_widgets
    COMMAND ${CMAKE_COMMAND} "-DSOURCES=${joined}" "-DALLOWED=${allowed}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake
    COMMENT "Checking ${name} for widget and QtGui headers" VERBATIM)
  add_dependencies(${name} ${name}_no_widgets)
endfunction()

# veld_ui_library(<name> SOURCES ... [FORMS <form>...] LIBS ...): one folder's windows or dialogs.
# FORMS name Designer files in resources/forms/, where AUTOUIC also looks for the ui_*.h headers
# the sources include. It links QtWidgets and what LIBS name (the widgets, the display model,
# the acquisition libraries below it), never a window library above it.
function(veld_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;FORMS;LIBS" ${ARGN})
  list(TRANSFORM ARG_FORMS PREPEND ${PROJECT_SOURCE_DIR}/resources/forms/)
  add_library(${name} STATIC ${ARG_SOURCES} ${ARG_FORMS})
  set_target_properties(${name} PROPERTIES
    AUTOUIC ON
    AUTOUIC_SEARCH_PATHS ${PROJECT_SOURCE_DIR}/resources/forms)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} Qt5::Widgets Qt5::Gui)
endfunction()
