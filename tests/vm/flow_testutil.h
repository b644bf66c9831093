// Helpers of the VM tree, task and flow tests.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "shell/shell.h"
#include "support/err_capture.h"
