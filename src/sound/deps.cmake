# Sound: Ogg Vorbis streaming through vorbisfile (src/sound/sound_stream.cpp,
# sound_load.cpp); the tests' fixture writer encodes Ogg with vorbisenc.
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
target_link_libraries(engine PUBLIC PkgConfig::VORBISFILE)
