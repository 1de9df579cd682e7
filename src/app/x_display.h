#pragma once

namespace tarvex {

// Whether Qt would start on X11 and the X server that DISPLAY names does not answer. Qt aborts
// in that case, with a message that tells a user little; asking the server first lets the
// program say so in one line instead.
bool xDisplayUnreachable();

} // namespace tarvex
