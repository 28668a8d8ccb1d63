// Library-internal view of the message facility.
#ifndef QX_CORE_MSG_INTERNAL_H
#define QX_CORE_MSG_INTERNAL_H

namespace qx {
// Forgets the once-per-process language decision, so that the next lookup
// decides again.  For hosts that reload their configuration, and for tests.
void reset_message_state();
}  // namespace qx

#endif  // QX_CORE_MSG_INTERNAL_H
