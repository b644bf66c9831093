// Puts the engine-wide state back to what a new process starts with, so that
// a whole test program can run its cases one after another in one process.
#pragma once

// Called before every case by the test programs' main (support/main/).
void Fixture_FreshEngineState();
