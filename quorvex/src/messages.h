// Forwarding header for the projection engine's sources, which name the
// message table's header by its former place and success as status_ok.
#ifndef QUORVEX_MESSAGES_FORWARD_H
#define QUORVEX_MESSAGES_FORWARD_H

#include "image/messages.h"
#include "quorvex/quorvex.h"

namespace quorvex {

constexpr int16_t status_ok = QUORVEX_SUCCESS;

} // namespace quorvex

#endif
