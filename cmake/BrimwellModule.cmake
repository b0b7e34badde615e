# Shared build settings for every target of the project.

function(brimwell_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      # GCC 12 at -O3 reports overlapping copies inside std::string concatenation that
      # cannot happen (a known false positive of that release).
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(BRIMWELL_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# brimwell_library(NAME folder-name DEPS ...): a static library from every .cpp of
# the current source folder (new files are picked up without editing the list).
function(brimwell_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${excluded}$")
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  brimwell_warnings(${name})
endfunction()

# brimwell_test(NAME DEPS ... LABELS ... [SOURCES ...] [EXCLUDE ...] [ONE_PROCESS]): one
# GoogleTest program from SOURCES (by default every *.cpp of the current folder but those
# EXCLUDEd), each test registered with ctest; with ONE_PROCESS the whole program is one
# ctest test, for tests that share a costly set-up made once per program.
function(brimwell_test name)
  cmake_parse_arguments(ARG "ONE_PROCESS" "" "DEPS;LABELS;SOURCES;EXCLUDE" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${excluded}$")
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} brimwell_test_support GTest::gtest GTest::gtest_main)
  brimwell_warnings(${name})
  if(NOT MSVC)
    # A test program's own code is set-up and assertions, and optimising GoogleTest's
    # expansions took more than half of a build's compile time (three quarters under the
    # sanitizers, which still instrument it). The code under test keeps the build's flags.
    # Unoptimised code cannot be fortified (BrimwellHardening.cmake); spelt apart, as the
    # same option twice would be given once.
    target_compile_options(${name} PRIVATE -O0 "SHELL:-U _FORTIFY_SOURCE")
  endif()
  if(ARG_ONE_PROCESS)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
