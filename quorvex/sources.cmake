# The projection engine's sources (trasfo: the frame, the shared helpers and
# the nine projections) and the reference-point units that use it.
set(quorvex_trasfo_sources
  src/trasfo/dispatch.cpp
  src/trasfo/frame.cpp
  src/trasfo/geodetic_helpers.cpp
  src/trasfo/longitude_rounding.cpp
  src/trasfo/state.cpp
  src/trasfo/projections/albers.cpp
  src/trasfo/projections/geostationary.cpp
  src/trasfo/projections/goode.cpp
  src/trasfo/projections/hammer_aitoff.cpp
  src/trasfo/projections/lambert_azimuthal.cpp
  src/trasfo/projections/lambert_conformal_conic.cpp
  src/trasfo/projections/plate_carree.cpp
  src/trasfo/projections/polar_stereographic.cpp
  src/trasfo/projections/transverse_mercator.cpp
  src/image/reference_units.cpp)
list(TRANSFORM quorvex_trasfo_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
