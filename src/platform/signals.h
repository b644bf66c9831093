// Quit signals: SIGTERM and SIGINT ask the engine to end the orderly way.
//
// The handler only records the signal and calls the hook the engine
// installed, which may do nothing but store to lock-free atomics (the
// engine's sticky shut-down flag); every loop that can wait for long (the
// message loop, the modal loops of engine-drawn windows, the thread loops)
// reads those flags and ends. A second signal of the same kind ends the
// process at once, for an engine that no longer reacts.
#pragma once

using PlatSignalFn = void (*)(int signo);

// Installs the handler for SIGTERM and SIGINT (and keeps SDL from installing
// its own); `onSignal` may be null. False when the handler could not be set.
bool PlatSignal_Install(PlatSignalFn onSignal);
// True once a quit signal arrived.
bool PlatSignal_Pending();
// Tests: forget a signal that arrived, put the default handlers back.
void PlatSignal_Reset();
