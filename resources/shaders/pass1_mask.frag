// Pass 1: rule (mask) transition. The rule is the mask tile's blue channel,
// turned so that high bytes show first, as on the processor path: at
// QV_FadeVal 0 nothing shows, at the full level everything does.
in vec2 vTex0;
in vec4 vDiffuse;
uniform sampler2D QV_Texture1;
uniform sampler2D QV_Texture2;
uniform float QV_AlphaVal;
uniform float QV_FadeVal;
uniform float QV_FadeVal2;
out vec4 fragColour;
void main() {
  vec4 a = texture(QV_Texture1, vTex0);
  float m = 1.0 - texture(QV_Texture2, vTex0).b;
  float w = clamp((QV_FadeVal - 0.5 * m) * QV_FadeVal2, 0.0, 1.0);
  fragColour = vec4(a.rgb, a.a * w * QV_AlphaVal);
}
