# Builds the host tool mkmodemdb as a project of its own (host compiler, also
# inside a cross build) and makes bin/MODEM.DBF and bin/MODEM.DBT from
# data/modems: defaults.modem first, then every model file in name order.
include(ExternalProject)
ExternalProject_Add(mkmodemdb_host
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/mkmodemdb
  BINARY_DIR ${CMAKE_BINARY_DIR}/mkmodemdb-host
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/mkmodemdb-host/mkmodemdb)

set(modem_data ${CMAKE_SOURCE_DIR}/data/modems)
file(GLOB modem_models CONFIGURE_DEPENDS ${modem_data}/*.modem)
list(REMOVE_ITEM modem_models ${modem_data}/defaults.modem)
list(SORT modem_models)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/bin/MODEM.DBF ${CMAKE_BINARY_DIR}/bin/MODEM.DBT
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND ${CMAKE_BINARY_DIR}/mkmodemdb-host/mkmodemdb -o ${CMAKE_BINARY_DIR}/bin/MODEM.DBF
          ${modem_data}/defaults.modem ${modem_models}
  DEPENDS mkmodemdb_host ${CMAKE_BINARY_DIR}/mkmodemdb-host/mkmodemdb
          ${modem_data}/defaults.modem ${modem_models}
  COMMENT "Building MODEM.DBF from data/modems")
add_custom_target(modem_database ALL
  DEPENDS ${CMAKE_BINARY_DIR}/bin/MODEM.DBF ${CMAKE_BINARY_DIR}/bin/MODEM.DBT)
