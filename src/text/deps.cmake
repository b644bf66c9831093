# Glyph output and the face list (src/platform/fonts.cpp) use FreeType and
# fontconfig.
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
target_link_libraries(engine PUBLIC PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
