# 64-bit Windows build (Quillory Window and every test).
set(QUILLORY_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
