# 32-bit Windows build (Quillory Setup and the libraries it shares).
set(QUILLORY_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
