# Cross build for 32-bit Windows on x86 with the MinGW-w64 compilers of the
# distribution (packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/x86-32-codegen.cmake)
set(mingw_arch_flags "${x86_32_codegen_flags}")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
