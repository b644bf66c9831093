# Window shapes and restacking (src/platform/window_shape.cpp) speak X11 with
# the Shape extension.
pkg_check_modules(X11EXT REQUIRED IMPORTED_TARGET x11 xext)
target_link_libraries(engine PUBLIC PkgConfig::X11EXT)
# Compressed WAV data to PCM (src/platform/audio_wavdec.cpp) uses libavcodec.
pkg_check_modules(AVCODEC REQUIRED IMPORTED_TARGET libavcodec libavutil)
target_link_libraries(engine PUBLIC PkgConfig::AVCODEC)
# Movies (src/platform/video*.cpp): containers, picture scaling and sound
# conversion.
pkg_check_modules(AVMOVIE REQUIRED IMPORTED_TARGET libavformat libswscale libswresample)
target_link_libraries(engine PUBLIC PkgConfig::AVMOVIE)

# The GPU context (src/platform/gpu_*.cpp, gl_api.cpp): OpenGL through
# libepoxy, which also opens EGL.
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
target_link_libraries(engine PUBLIC PkgConfig::EPOXY)

# The notification-area icon (src/platform/tray.cpp) talks to the desktop
# over the session bus.
pkg_check_modules(DBUS REQUIRED IMPORTED_TARGET dbus-1)
target_link_libraries(engine PUBLIC PkgConfig::DBUS)
