# 32-bit x86 Linux build with the code generation of the 32-bit Windows
# deliverables (packages g++-multilib and qemu-user).  Its programs run
# under user-mode emulation, so that the suites and the comparison with the
# 64-bit build run as 32-bit x86 code on machines that cannot execute it
# natively.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
find_program(CMAKE_C_COMPILER NAMES gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES g++ REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/x86-32-codegen.cmake)
set(CMAKE_C_FLAGS_INIT "-m32 ${x86_32_codegen_flags}")
set(CMAKE_CXX_FLAGS_INIT "-m32 ${x86_32_codegen_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
find_program(QUORVEX_QEMU_I386 NAMES qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEX_QEMU_I386})
