# The built-in effect's GLSL, carried in the program as string constants:
# build/generated/gpu_shaders.h, remade when a shader changes.
set(_shader_dir ${CMAKE_SOURCE_DIR}/resources/shaders)
set(_shader_out ${CMAKE_BINARY_DIR}/generated/gpu_shaders.h)
set(_shader_text "// Generated from resources/shaders; do not edit.\n#pragma once\n")
foreach(pair IN ITEMS "kShaderQuadVert=quad.vert" "kShaderStage=stage.frag"
                      "kShaderPass0=pass0_crossfade.frag" "kShaderPass1=pass1_mask.frag"
                      "kShaderPass2=pass2_sharp.frag" "kShaderPass3=pass3_bicubic.frag")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 _name)
  list(GET pair 1 _file)
  file(READ ${_shader_dir}/${_file} _body)
  string(APPEND _shader_text "inline constexpr const char ${_name}[] = R\"GLSL(${_body})GLSL\";\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_shader_dir}/${_file})
endforeach()
file(CONFIGURE OUTPUT ${_shader_out} CONTENT "${_shader_text}" @ONLY)
