// Tasks, the task runner and flow control.
#pragma once
