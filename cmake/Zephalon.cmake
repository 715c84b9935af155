# Shared helpers of the build.

set(ZPH_PCH_HEADERS
  <QString> <QStringList> <QByteArray> <QList> <QVector> <QHash> <QFile>
  <cmath> <cstdint> <memory> <string> <vector> <functional>)

# zph_library(name DEPS ...): the library zph_<name> made of every source of folder <name>/,
# except the program's entry point app/zph_fr.cpp and the web view's library (loaded on demand).
function(zph_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp ${PROJECT_SOURCE_DIR}/${name}/*.h)
  list(FILTER srcs EXCLUDE REGEX ".*/(app/zph_fr|dialogs/WebMapView)\\.(cpp|h)$")
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(zph_${name} STATIC ${srcs})
  target_include_directories(zph_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zph_${name} PUBLIC ${ARG_DEPS})
  target_precompile_headers(zph_${name} PRIVATE ${ZPH_PCH_HEADERS})
endfunction()
