# Compressed WAV data to PCM (src/platform/audio_wavdec.cpp) uses libavcodec.
pkg_check_modules(AVCODEC REQUIRED IMPORTED_TARGET libavcodec libavutil)
target_link_libraries(engine PUBLIC PkgConfig::AVCODEC)
