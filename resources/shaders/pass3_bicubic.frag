// Pass 3: bicubic 4x4 filter of the frame texture (cubic convolution with
// a = -1). QV_TexDiffU is the step to the two right-hand columns in
// texture coordinates (2 texels); the taps are fetched by texel.
in vec2 vTex0;
in vec4 vDiffuse;
uniform sampler2D QV_Texture3;
uniform vec2 QV_TexSize;
uniform vec2 QV_TexDiffU;
out vec4 fragColour;
vec4 Weights(float t) {
  float t2 = t * t, t3 = t2 * t;
  return vec4(-t3 + 2.0 * t2 - t, t3 - 2.0 * t2 + 1.0, -t3 + t2 + t, t3 - t2);
}
void main() {
  ivec2 size = textureSize(QV_Texture3, 0);
  vec2 p = vTex0 * QV_TexSize - 0.5;
  ivec2 i = ivec2(floor(p));
  vec4 wx = Weights(fract(p.x)), wy = Weights(fract(p.y));
  // Columns -1 and 0, and the same two moved right by QV_TexDiffU.
  ivec2 diff = ivec2(round(QV_TexDiffU * QV_TexSize));
  vec4 sum = vec4(0.0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      ivec2 q = i + ivec2(x % 2 - 1, y - 1) + (x >= 2 ? diff : ivec2(0));
      sum += texelFetch(QV_Texture3, clamp(q, ivec2(0), size - 1), 0) * wx[x] * wy[y];
    }
  fragColour = clamp(sum, 0.0, 1.0);
}
