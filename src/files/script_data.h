// Readers of the compiled script data files in qvbin.
#pragma once
