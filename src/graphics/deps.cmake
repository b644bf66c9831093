# Layer graphics: the AVX2 pixel rows are compiled for AVX2 and chosen at run
# time only where the processor and OS support it.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/graphics/pixel_avx2.cpp
                            PROPERTIES COMPILE_OPTIONS "-mavx2")
