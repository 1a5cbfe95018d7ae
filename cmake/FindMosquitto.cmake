# Finds libmosquitto, the MQTT client library of the mosquitto project (Debian: libmosquitto-dev),
# and makes the imported target Mosquitto::Mosquitto.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(PC_MOSQUITTO QUIET libmosquitto)
endif()
find_path(MOSQUITTO_INCLUDE_DIR mosquitto.h HINTS ${PC_MOSQUITTO_INCLUDE_DIRS})
find_library(MOSQUITTO_LIBRARY NAMES mosquitto HINTS ${PC_MOSQUITTO_LIBRARY_DIRS})

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Mosquitto REQUIRED_VARS MOSQUITTO_LIBRARY MOSQUITTO_INCLUDE_DIR
  FAIL_MESSAGE "libmosquitto not found: scripts/install-deps installs libmosquitto-dev")

if(Mosquitto_FOUND AND NOT TARGET Mosquitto::Mosquitto)
  add_library(Mosquitto::Mosquitto UNKNOWN IMPORTED)
  set_target_properties(Mosquitto::Mosquitto PROPERTIES
    IMPORTED_LOCATION "${MOSQUITTO_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MOSQUITTO_INCLUDE_DIR}")
endif()
mark_as_advanced(MOSQUITTO_INCLUDE_DIR MOSQUITTO_LIBRARY)
