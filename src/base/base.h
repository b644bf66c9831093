// The ground every subsystem stands on (layer 2 of 10, right above the
// platform layer): error reporting and its texts, the
// quit and shut-down flags, configuration inputs, engine-wide run state and
// the shared helpers. Includes nothing of the engine above the platform
// layer; where it must reach a higher subsystem (the script place of an
// error report) it calls a hook that subsystem installs at start-up.
#pragma once
#include "base/config.h"
#include "base/engine_state.h"
#include "base/err.h"
#include "base/helpers.h"
#include "base/input_state.h"
