// The texture stages of a plain layer draw: colour from the texture, alpha
// from the texture times the diffuse alpha (the opacity) and QV_AlphaVal
// (a flat mask weight). QV_ColourRule prepares the colour for the blend
// equation so that a transparent texel leaves the target unchanged:
// 0 as is, 1 mixed toward white by alpha (multiply, darken), 2 scaled by
// alpha (screen, lighten, exclusion). QV_UseAlpha 0 takes the texture as
// opaque, as the processor path does for layers without an alpha channel.
in vec2 vTex0;
in vec4 vDiffuse;
uniform sampler2D QV_Texture1;
uniform float QV_AlphaVal;
uniform int QV_ColourRule;
uniform int QV_UseAlpha;
out vec4 fragColour;
void main() {
  vec4 t = texture(QV_Texture1, vTex0);
  float a = (QV_UseAlpha != 0 ? t.a : 1.0) * vDiffuse.a * QV_AlphaVal;
  vec3 rgb = t.rgb;
  if (QV_ColourRule == 1) rgb = mix(vec3(1.0), rgb, a);
  else if (QV_ColourRule == 2) rgb *= a;
  fragColour = vec4(rgb, a);
}
