# The Windows package: `cpack -G ZIP` in the mingw build folder (or the `package` target)
# makes package/brimwell-VERSION-win64.zip, one folder of that name holding the two
# programs, the bundled templates, a README for Windows and the licence. The programs are
# linked statically (cmake/toolchains/mingw-w64.cmake): they need no DLL that Windows does
# not ship.

install(TARGETS brimwell-cli RUNTIME DESTINATION .)
if(TARGET Brimwell)
  install(TARGETS Brimwell RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/templates/ DESTINATION templates FILES_MATCHING PATTERN "*.fs")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
# Taken when the source tree has it at install time.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt OPTIONAL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME brimwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brimwell developers")
set(CPACK_PACKAGE_FILE_NAME brimwell-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
