# The source lists shared by the builds: the program's logic (setupcore) and
# the fake machine the unit tests and the fuzz targets run it on.
set(REPO_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS
  ${REPO_ROOT}/src/platform/*.cpp
  ${REPO_ROOT}/src/common/*.cpp
  ${REPO_ROOT}/src/observation/*.cpp
  ${REPO_ROOT}/src/diagnostics/*.cpp
  ${REPO_ROOT}/src/app/*.cpp
  ${REPO_ROOT}/src/ui/*.cpp
  ${REPO_ROOT}/src/driver/*.cpp
  ${REPO_ROOT}/src/cleanup/*.cpp
  ${REPO_ROOT}/src/suite/*.cpp)
list(FILTER CORE_SOURCES EXCLUDE REGEX "/src/platform/win32/")

file(GLOB_RECURSE FAKE_SOURCES CONFIGURE_DEPENDS ${REPO_ROOT}/tests/fake/*.cpp)
list(FILTER FAKE_SOURCES EXCLUDE REGEX "Test\\.cpp$")
