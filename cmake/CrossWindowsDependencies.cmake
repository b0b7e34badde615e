# Dependencies of the Windows cross-build (mingw-w64) that the build machine holds only as
# sources or host headers: GoogleTest is built from its sources for the target, and the
# header-only CLI11 and nlohmann-json are taken from the host's include folder, without putting
# that whole folder (the host's C library headers) on the cross compiler's path.

if(BRIMWELL_TESTS)
  set(BRIMWELL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${BRIMWELL_GOOGLETEST_SOURCE}/googletest ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  # GoogleTest's own build names them GTest::gtest and GTest::gtest_main, as its package does.
endif()

set(cross_headers ${CMAKE_BINARY_DIR}/cross-headers)
set(cross_packages ${CMAKE_BINARY_DIR}/cross-packages)
file(MAKE_DIRECTORY ${cross_headers})
include_directories(SYSTEM ${cross_headers})

# cross_header_package(PACKAGE TARGET HOST_FOLDER): find_package(PACKAGE) finds an interface
# target whose headers are HOST_FOLDER linked into cross-headers, instead of the host
# package, which names /usr/include.
function(cross_header_package package target host_folder)
  get_filename_component(folder_name ${host_folder} NAME)
  file(CREATE_LINK ${host_folder} ${cross_headers}/${folder_name} SYMBOLIC)
  file(WRITE ${cross_packages}/${package}/${package}Config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cross_headers})\n"
       "endif()\n")
  set(${package}_DIR ${cross_packages}/${package} CACHE PATH "" FORCE)
endfunction()

set(BRIMWELL_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11's header folder on the host")
cross_header_package(CLI11 CLI11::CLI11 ${BRIMWELL_CLI11_HEADERS})
set(BRIMWELL_JSON_HEADERS /usr/include/nlohmann CACHE PATH "nlohmann-json's header folder on the host")
cross_header_package(nlohmann_json nlohmann_json::nlohmann_json ${BRIMWELL_JSON_HEADERS})
