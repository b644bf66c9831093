# The GPU context (src/platform/gpu_*.cpp, gl_api.cpp): OpenGL through
# libepoxy, which also opens EGL.
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
target_link_libraries(engine PUBLIC PkgConfig::EPOXY)
