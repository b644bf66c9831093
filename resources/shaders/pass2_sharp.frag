// Pass 2: sharpened 2x2 filter of the frame texture. SharpN 1.25 gives the
// same slope as the processor's filtered scaler.
in vec2 vTex0;
in vec4 vDiffuse;
uniform sampler2D QV_Texture3;
uniform vec2 QV_TexSize;
const float SharpN = 1.25;
out vec4 fragColour;
vec4 Tap(ivec2 p) {
  ivec2 size = textureSize(QV_Texture3, 0);
  return texelFetch(QV_Texture3, clamp(p, ivec2(0), size - 1), 0);
}
void main() {
  vec2 p = vTex0 * QV_TexSize - 0.5;
  ivec2 i = ivec2(floor(p));
  vec2 f = clamp((fract(p) - 0.5) * SharpN + 0.5, 0.0, 1.0);
  vec4 top = mix(Tap(i), Tap(i + ivec2(1, 0)), f.x);
  vec4 bottom = mix(Tap(i + ivec2(0, 1)), Tap(i + ivec2(1, 1)), f.x);
  fragColour = mix(top, bottom, f.y);
}
