# Built-in data carried in the program.
include(${CMAKE_SOURCE_DIR}/resources/shaders/shaders.cmake)
