# Code generation of every 32-bit x86 build, shared by the Windows toolchain
# and by the Linux one that checks it.  Every value is computed in IEEE
# double, as on 64-bit builds: scalar SSE2 arithmetic instead of the x87
# unit, whose 64-bit mantissas (or whatever precision the host program set)
# would round differently.  Callers built with other compilers may enter
# with a stack aligned to only 4 bytes; the compiler then realigns where it
# needs more instead of assuming 16.
set(x86_32_codegen_flags "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
