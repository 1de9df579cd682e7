#pragma once

namespace tarvex {

// Settings of the connection to the display, made before the application object exists.
//
// The panels repaint a few small areas many times a second. When Qt hands its window images to
// an X server through shared memory, it waits for the server (a round trip) before painting
// again where it last flushed, which is every frame, on the thread that also reads the serial
// ports. Sending those few pixels over the connection costs less and never waits, so shared
// memory is left off unless the environment already says otherwise.
void prepareDisplayForSmallRepaints();

} // namespace tarvex
