# The same sources as 64-bit Windows programs: they keep the code pointer-size clean (see
# docs/architecture.md).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
