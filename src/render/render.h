// Renderer and presentation.
#pragma once
