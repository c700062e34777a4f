# Shared part of the MinGW-w64 toolchain files; mingw_triplet names the
# target.  The POSIX-thread variants of the compilers are used because only
# they give the C++ runtime std::mutex, which GoogleTest needs.  Programs
# and the DLL link the C, C++ and thread runtimes statically, so they need
# nothing beyond the system DLLs of Windows.
find_program(CMAKE_C_COMPILER NAMES ${mingw_triplet}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_triplet}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# M_PI and its kin, which glibc offers by default and MinGW's <math.h> only
# on request when compiling strict ISO C or C++.
# mingw_arch_flags: code generation the target's file asks for.
set(CMAKE_C_FLAGS_INIT "-D_USE_MATH_DEFINES ${mingw_arch_flags}")
set(CMAKE_CXX_FLAGS_INIT "-D_USE_MATH_DEFINES ${mingw_arch_flags}")
