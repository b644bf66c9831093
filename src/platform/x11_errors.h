// Losing the X server under a running engine.
//
// Xlib's own handler for a broken display connection ends the process with
// exit(), whose static destructors tear down state that running threads
// still use (the pixel workers wait on a condition variable that would be
// destroyed under them), so the process never ends. Our handler tells the
// engine, gives it a bounded moment, and ends the process with _exit.
#pragma once

using PlatDisplayLostFn = void (*)();

// Exit code of a process that lost its display.
constexpr int kPlatDisplayLostExitCode = 1;

// Sets the hook run once, on the thread that found the loss, before the
// process ends; it must return within a bounded time. May be null.
void PlatX11_SetDisplayLostHook(PlatDisplayLostFn onLost);
// Installs the handler on Xlib (process-wide). Called by the video start-up
// once SDL's X11 driver is up.
void PlatX11_InstallIoErrorHandler();
