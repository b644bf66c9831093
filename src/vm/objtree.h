// Named object trees (layers, menus, tasks, sounds) and their paths.
#pragma once
