// Script VM: object trees, scenes, tasks, arguments, expressions, variables,
// flow control. The public face of src/vm/.
#pragma once

#include "vm/objtree.h"
#include "vm/task.h"
