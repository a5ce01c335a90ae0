# Cross build of the Windows deliverables with mingw-w64 (x86_64, posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(YVEX_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${YVEX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${YVEX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${YVEX_TRIPLE}-windres)
set(YVEX_WIDL          ${YVEX_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${YVEX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every binary imports system DLLs only: no libgcc, libstdc++ or winpthread travels with it.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows programs run under Wine through the project's wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
