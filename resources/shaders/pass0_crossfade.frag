// Pass 0: cross-fade from the layer's tile to the second layer's tile.
in vec2 vTex0;
in vec4 vDiffuse;
uniform sampler2D QV_Texture1;
uniform sampler2D QV_Texture2;
uniform float QV_AlphaVal;
uniform float QV_FadeVal;
out vec4 fragColour;
void main() {
  vec4 c = texture(QV_Texture1, vTex0) * (1.0 - QV_FadeVal) + texture(QV_Texture2, vTex0) * QV_FadeVal;
  c.a *= QV_AlphaVal;
  fragColour = c;
}
