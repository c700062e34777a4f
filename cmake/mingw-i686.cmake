# Cross build for 32-bit Windows on x86 with the MinGW-w64 compilers of the
# distribution (packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triplet i686-w64-mingw32)
# Every value is computed in IEEE double, as on 64-bit builds: scalar SSE2
# arithmetic instead of the x87 unit, whose 64-bit mantissas (or whatever
# precision the host program set) would round differently.  Callers built
# with other compilers may enter with a stack aligned to only 4 bytes; the
# compiler then realigns where it needs more instead of assuming 16.
set(mingw_arch_flags "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
