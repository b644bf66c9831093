// Engine vertices: the position is already in frame pixels (y down, row 0
// of the target is y = 0); the diffuse colour arrives as the bytes of an
// ARGB value, blue first.
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec2 aTex0;
uniform vec2 QV_ScreenSize;
out vec2 vTex0;
out vec4 vDiffuse;
void main() {
  vTex0 = aTex0;
  vDiffuse = aDiffuse.zyxw;
  gl_Position = vec4(aPos.xy * 2.0 / QV_ScreenSize - 1.0, 0.0, 1.0);
}
