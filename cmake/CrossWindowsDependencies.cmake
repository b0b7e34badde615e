# Dependencies of the Windows cross-build (mingw-w64) that the build machine holds only as
# sources or host headers: GoogleTest is built from its sources for the target, and the
# header-only CLI11 is taken from the host's include folder, without putting that whole
# folder (the host's C library headers) on the cross compiler's path.

if(BRIMWELL_TESTS)
  set(BRIMWELL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${BRIMWELL_GOOGLETEST_SOURCE}/googletest ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  # GoogleTest's own build names them GTest::gtest and GTest::gtest_main, as its package does.
endif()

set(BRIMWELL_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11's header folder on the host")
set(cross_headers ${CMAKE_BINARY_DIR}/cross-headers)
file(MAKE_DIRECTORY ${cross_headers})
file(CREATE_LINK ${BRIMWELL_CLI11_HEADERS} ${cross_headers}/CLI SYMBOLIC)
include_directories(SYSTEM ${cross_headers})
# find_package(CLI11) finds this instead of the host package, which names /usr/include.
set(cross_packages ${CMAKE_BINARY_DIR}/cross-packages)
file(WRITE ${cross_packages}/CLI11Config.cmake
     "if(NOT TARGET CLI11::CLI11)\n"
     "  add_library(CLI11::CLI11 INTERFACE IMPORTED)\n"
     "  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cross_headers})\n"
     "endif()\n")
set(CLI11_DIR ${cross_packages} CACHE PATH "" FORCE)
