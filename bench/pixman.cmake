# pixman as the reference blender of the graphics benchmarks and tests; the
# engine itself never links it. Include this file, then call gfx_use_pixman
# for each target that compares with pixman (bench_blend, bench_composite,
# test_graphics). Targets build without it when pixman is missing.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMAN QUIET IMPORTED_TARGET pixman-1)
function(gfx_use_pixman target)
  if(PIXMAN_FOUND AND TARGET ${target})
    target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
    target_compile_definitions(${target} PRIVATE GFX_HAVE_PIXMAN=1)
  endif()
endfunction()
