// Engine windows, the window procedure, input state and screen modes.
#pragma once
