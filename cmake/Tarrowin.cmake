# Shared settings and helpers for every target of the project.

# Floating-point results must not depend on the compiler's mood: the resampler is
# specified to the byte, so no contraction into FMA and no fast-math anywhere.
set(TARROWIN_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")
  list(APPEND TARROWIN_FLAGS -msse2 -mfpmath=sse)
endif()

set(TARROWIN_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

# tarrowin_library(name [QT] SOURCES ... DEPS ...)
function(tarrowin_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${TARROWIN_FLAGS})
  target_include_directories(${name} PUBLIC ${TARROWIN_ROOT})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# tarrowin_test(name SOURCES ... DEPS ... [LABELS ...])
# Every test runs with the offscreen Qt platform unless it asks for a display.
function(tarrowin_test name)
  cmake_parse_arguments(A "DISPLAY" "" "SOURCES;DEPS;LABELS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${TARROWIN_FLAGS} -Wno-conversion)
  target_include_directories(${name} PRIVATE ${TARROWIN_ROOT} ${TARROWIN_ROOT}/tests)
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
      TARROWIN_TEST_DATA="${TARROWIN_ROOT}/tests/data"
      TARROWIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(A_DISPLAY)
    # One X display serves every such test: clicks, the pointer and the
    # notification area must not be shared by two at once.
    set_tests_properties(${name} PROPERTIES LABELS "display;${A_LABELS}" RESOURCE_LOCK x_display)
  else()
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# tarrowin_bench(name SOURCES ... DEPS ...)
function(tarrowin_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${TARROWIN_FLAGS} -Wno-conversion)
  target_include_directories(${name} PRIVATE ${TARROWIN_ROOT})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE TARROWIN_TEST_DATA="${TARROWIN_ROOT}/tests/data")
endfunction()

# tarrowin_fuzz(name SOURCES ... DEPS ...): a libFuzzer target, built only with clang.
function(tarrowin_fuzz name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${TARROWIN_ROOT})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
endfunction()

# Adds every direct sub-folder of the current source folder that has a CMakeLists.txt.
macro(tarrowin_add_subfolders)
  file(GLOB _tw_children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_tw_child IN LISTS _tw_children)
    if(IS_DIRECTORY ${_tw_child} AND EXISTS ${_tw_child}/CMakeLists.txt)
      add_subdirectory(${_tw_child})
    endif()
  endforeach()
endmacro()

# tarrowin_glob_library(name DEPS ...): a library of every .cpp/.h in the current folder
# (not sub-folders), so that files can be added without touching the build.
function(tarrowin_glob_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB _cpp CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _cpp)
    # Nothing to compile yet: still a target others can link.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${TARROWIN_ROOT})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
    return()
  endif()
  tarrowin_library(${name} SOURCES ${_sources} DEPS ${A_DEPS})
endfunction()

# tarrowin_glob_test(name DEPS ... [DISPLAY]): one test program of every *Test.cpp here.
function(tarrowin_glob_test name)
  cmake_parse_arguments(A "DISPLAY" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _sources)
    return()
  endif()
  if(A_DISPLAY)
    tarrowin_test(${name} SOURCES ${_sources} DEPS ${A_DEPS} DISPLAY)
  else()
    tarrowin_test(${name} SOURCES ${_sources} DEPS ${A_DEPS})
  endif()
endfunction()
