# Windows build with Debian's mingw-w64 POSIX-thread cross compilers. The
# per-architecture wrappers (toolchain-x86_64.cmake, toolchain-i686.cmake)
# set QUILLORY_TRIPLET and include this file.
if(NOT QUILLORY_TRIPLET)
  message(FATAL_ERROR "QUILLORY_TRIPLET is not set: use cmake/toolchain-x86_64.cmake or toolchain-i686.cmake")
endif()
string(REGEX REPLACE "-.*" "" QUILLORY_PROCESSOR "${QUILLORY_TRIPLET}")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUILLORY_PROCESSOR})
set(CMAKE_C_COMPILER   ${QUILLORY_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLORY_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUILLORY_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLORY_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
