# Every source of the library, named once.  The library's build and the
# fuzz build include this file; it sets
#   quorvex_sources        our own sources, for this platform
#   quorvex_maths_sources  the vendored maths (kept as upstream wrote them)
# Platform units have the same file name under platform/posix and
# platform/win32; a Windows build takes the one, every other build the
# other.
set(quorvex_sources
  # 6-byte reals
  codec/real48.cpp
  # image description: header reading and writing, reference-point units,
  # the consistency check and the message table
  image/error_message.cpp
  image/header_read.cpp
  image/header_write.cpp
  image/input_check.cpp
  image/messages.cpp
  image/reference_units.cpp
  # text records, numbers and angles as text, case and bytes, console keys
  records/angle_text.cpp
  records/number_text.cpp
  records/record_split.cpp
  records/terminal_keys.cpp
  records/text_bytes.cpp
  # folder and file choosers
  dialogs/file_dialogs.cpp
  dialogs/folder_hook.cpp
  dialogs/window_api.cpp
  # projection engine
  trasfo/dispatch.cpp
  trasfo/frame.cpp
  trasfo/geodetic_helpers.cpp
  trasfo/longitude_rounding.cpp
  trasfo/state.cpp
  trasfo/projections/albers.cpp
  trasfo/projections/geostationary.cpp
  trasfo/projections/goode.cpp
  trasfo/projections/hammer_aitoff.cpp
  trasfo/projections/lambert_azimuthal.cpp
  trasfo/projections/lambert_conformal_conic.cpp
  trasfo/projections/plate_carree.cpp
  trasfo/projections/polar_stereographic.cpp
  trasfo/projections/transverse_mercator.cpp)

if(WIN32)
  list(APPEND quorvex_sources
    platform/win32/console_key.cpp
    platform/win32/load_entry.cpp
    platform/win32/window_api.cpp)
else()
  list(APPEND quorvex_sources
    platform/posix/console_key.cpp
    platform/posix/window_api.cpp)
endif()

set(quorvex_maths_sources
  maths/__cos.c
  maths/__math_divzero.c
  maths/__math_invalid.c
  maths/__math_oflow.c
  maths/__math_uflow.c
  maths/__math_xflow.c
  maths/__rem_pio2.c
  maths/__rem_pio2_large.c
  maths/__sin.c
  maths/__tan.c
  maths/acos.c
  maths/asin.c
  maths/atan.c
  maths/atan2.c
  maths/cbrt.c
  maths/cos.c
  maths/exp.c
  maths/exp_data.c
  maths/floor.c
  maths/log.c
  maths/log_data.c
  maths/pow.c
  maths/pow_data.c
  maths/scalbn.c
  maths/sin.c
  maths/tan.c)

list(TRANSFORM quorvex_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/src/)
list(TRANSFORM quorvex_maths_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/src/)
