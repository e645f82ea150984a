# The product: 32-bit Windows programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# Floating point in SSE2 registers: the x87 unit keeps a double at 80 bits while it stays in a
# register, so the same computation compared once fresh and once stored differs (a time read
# back from the clock did). Windows calls our callbacks without promising a 16-byte aligned
# stack, so functions that need the alignment for SSE make it themselves.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
