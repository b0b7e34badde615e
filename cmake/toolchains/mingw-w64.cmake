# Cross-build for 64-bit Windows with mingw-w64 (the posix-threads compilers), run under Wine.
#
# Everything is linked statically: a program linked against the compiler's runtime DLLs
# does not find them under Wine (nor on a Windows machine without the toolchain).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRIMWELL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIMWELL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIMWELL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIMWELL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRIMWELL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and the discovery of their test cases) run through Wine.
get_filename_component(BRIMWELL_WINE_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine_emulator.sh"
                       ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIMWELL_WINE_EMULATOR})
