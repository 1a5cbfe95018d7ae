# Debian ships Qwt for Qt 5 without a CMake package or a usable pkg-config file.
find_path(QWT_INCLUDE_DIR qwt_plot.h PATHS /usr/include/qwt /usr/include/qwt-qt5 /usr/local/include/qwt)
find_library(QWT_LIBRARY NAMES qwt-qt5 qwt PATHS /usr/lib /usr/local/lib)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Qwt DEFAULT_MSG QWT_LIBRARY QWT_INCLUDE_DIR)
if(Qwt_FOUND AND NOT TARGET Qwt::Qwt)
  add_library(Qwt::Qwt UNKNOWN IMPORTED)
  set_target_properties(Qwt::Qwt PROPERTIES
    IMPORTED_LOCATION "${QWT_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QWT_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS QWT_DLL
    INTERFACE_LINK_LIBRARIES "Qt5::Widgets;Qt5::Gui;Qt5::Core")
endif()
mark_as_advanced(QWT_INCLUDE_DIR QWT_LIBRARY)
