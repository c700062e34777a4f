# The project's one warning list.  Every target of ours links the interface
# target quorvex_warnings, in the main build (GCC, native and cross) and in
# the fuzz build (clang); the flags only GCC knows go to GCC alone.  The
# list is kept at zero warnings; QUORVEX_WERROR makes each one an error
# (CI builds with it).
option(QUORVEX_WERROR "Treat every warning as an error" OFF)

set(quorvex_warning_flags
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wcast-qual -Wformat=2 -Wundef
  -Wdouble-promotion -Wimplicit-fallthrough -Wredundant-decls)
set(quorvex_cxx_warning_flags
  -Wmissing-declarations -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
set(quorvex_c_warning_flags -Wmissing-prototypes -Wstrict-prototypes)
set(quorvex_gcc_warning_flags -Wduplicated-cond -Wduplicated-branches -Wlogical-op)
# clang's -Wconversion also takes in -Wsign-conversion, which GCC's does not
# for C++; the list means the same thing under both compilers.
set(quorvex_clang_warning_flags -Wno-sign-conversion)

add_library(quorvex_warnings INTERFACE)
target_compile_options(quorvex_warnings INTERFACE
  ${quorvex_warning_flags}
  "$<$<COMPILE_LANGUAGE:CXX>:${quorvex_cxx_warning_flags}>"
  "$<$<COMPILE_LANGUAGE:C>:${quorvex_c_warning_flags}>"
  "$<$<OR:$<COMPILE_LANG_AND_ID:CXX,GNU>,$<COMPILE_LANG_AND_ID:C,GNU>>:${quorvex_gcc_warning_flags}>"
  "$<$<OR:$<COMPILE_LANG_AND_ID:CXX,Clang>,$<COMPILE_LANG_AND_ID:C,Clang>>:${quorvex_clang_warning_flags}>")
if(QUORVEX_WERROR)
  target_compile_options(quorvex_warnings INTERFACE -Werror)
endif()

# The one exception: vendored sources keep their upstream text, so the
# warnings of the list that their style gives (implicit conversions between
# integer widths and to and from float, the shadowed names of the
# bit-access unions, functions defined without a prototype in view) are off
# for their files alone, in whatever directory builds them.
function(quorvex_vendored_sources)
  set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS
               -Wno-conversion -Wno-sign-conversion -Wno-shadow -Wno-double-promotion
               -Wno-missing-prototypes)
endfunction()
