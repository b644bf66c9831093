// The renderer's GL calls: textures, off-screen targets, programs, the
// vertex stream, blend states and samplers. Desktop GL takes and gives BGRA
// directly; ES takes RGBA, so 32-bit textures swap red and blue by swizzle
// and read-backs swap them on the processor.
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "platform/gpu.h"

namespace {

bool g_Es = false;
GLuint g_Samplers[3] = {};  // by GlFilter
GLuint g_Vao = 0, g_Vbo = 0;
GLsizei g_Stride = 0;

// Drains the error queue; true when it held an error.
bool Failed() {
  bool failed = false;
  for (int i = 0; i < 8; ++i) {
    if (GL(GetError)() == GL_NO_ERROR) break;
    failed = true;
  }
  return failed;
}

constexpr GLenum kEq[] = {GL_FUNC_ADD, GL_FUNC_REVERSE_SUBTRACT, GL_MAX, GL_MIN};
constexpr GLenum kFactor[] = {GL_ZERO,      GL_ONE,       GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                              GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE_MINUS_DST_COLOR};

// 8-bit BGRA to 16-bit R4G4B4A4 (red in the top bits), rounded.
void To4444(const uint8_t* src, int32_t pitchPx, int32_t w, int32_t h, std::vector<uint16_t>* out) {
  out->resize(size_t(w) * size_t(h));
  auto q = [](uint8_t v) { return uint16_t((v * 15 + 127) / 255); };
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* s = src + size_t(y) * size_t(pitchPx) * 4;
    uint16_t* d = out->data() + size_t(y) * size_t(w);
    for (int32_t x = 0; x < w; ++x, s += 4)
      d[x] = uint16_t(q(s[2]) << 12 | q(s[1]) << 8 | q(s[0]) << 4 | q(s[3]));
  }
}

}  // namespace

int PlatGl_InitObjects(bool es, bool anisotropic) {
  g_Es = es;
  GL(GenSamplers)(3, g_Samplers);
  float maxAniso = 1.0f;
  if (anisotropic) GL(GetFloatv)(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAniso);
  for (int i = 0; i < 3; ++i) {
    GLuint s = g_Samplers[i];
    GL(SamplerParameteri)(s, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    GL(SamplerParameteri)(s, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint f = i == 0 ? GL_NEAREST : GL_LINEAR;
    GL(SamplerParameteri)(s, GL_TEXTURE_MAG_FILTER, f);
    GL(SamplerParameteri)(s, GL_TEXTURE_MIN_FILTER, f);
    if (i == 2 && anisotropic) GL(SamplerParameterf)(s, GL_TEXTURE_MAX_ANISOTROPY_EXT, maxAniso);
  }
  return Failed() ? -1 : 0;
}

void PlatGl_ForgetObjects() {
  for (GLuint& s : g_Samplers) s = 0;
  g_Vao = g_Vbo = 0;
  g_Stride = 0;
}

uint32_t PlatGl_CreateTexture(int32_t w, int32_t h, GlTexFormat format) {
  if (w <= 0 || h <= 0) return 0;
  Failed();
  GLuint tex = 0;
  GL(GenTextures)(1, &tex);
  GL(BindTexture)(GL_TEXTURE_2D, tex);
  // One level only: a mip filter on a texture without mips would sample black.
  GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  if (format == GlTexFormat::Rgba4) {
    GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA4, w, h, 0, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, nullptr);
  } else if (g_Es) {
    GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, GL_BLUE);
    GL(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_RED);
  } else {
    GL(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                   nullptr);
  }
  GL(BindTexture)(GL_TEXTURE_2D, 0);
  if (Failed()) {
    GL(DeleteTextures)(1, &tex);
    return 0;
  }
  return tex;
}

int PlatGl_UploadTexture(uint32_t tex, GlTexFormat format, const uint8_t* bgra, int32_t pitchPx,
                         int32_t w, int32_t h) {
  if (!tex || w <= 0 || h <= 0) return -1;
  GL(BindTexture)(GL_TEXTURE_2D, tex);
  if (format == GlTexFormat::Rgba4) {
    std::vector<uint16_t> packed;
    To4444(bgra, pitchPx, w, h, &packed);
    GL(PixelStorei)(GL_UNPACK_ALIGNMENT, 2);
    GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, 0);
    GL(TexSubImage2D)(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4,
                      packed.data());
  } else {
    GL(PixelStorei)(GL_UNPACK_ALIGNMENT, 4);
    GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, pitchPx);
    if (g_Es)
      GL(TexSubImage2D)(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bgra);
    else
      GL(TexSubImage2D)(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bgra);
    GL(PixelStorei)(GL_UNPACK_ROW_LENGTH, 0);
  }
  GL(BindTexture)(GL_TEXTURE_2D, 0);
  return Failed() ? -1 : 0;
}

void PlatGl_DeleteTexture(uint32_t tex) {
  if (tex) GL(DeleteTextures)(1, &tex);
}

int PlatGl_CreateTarget(GlTarget* t, int32_t w, int32_t h) {
  *t = GlTarget();
  uint32_t tex = PlatGl_CreateTexture(w, h, GlTexFormat::Rgba8);
  if (!tex) return -1;
  GLuint fbo = 0;
  GL(GenFramebuffers)(1, &fbo);
  GL(BindFramebuffer)(GL_FRAMEBUFFER, fbo);
  GL(FramebufferTexture2D)(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
  GLenum status = GL(CheckFramebufferStatus)(GL_FRAMEBUFFER);
  GL(BindFramebuffer)(GL_FRAMEBUFFER, 0);
  if (status != GL_FRAMEBUFFER_COMPLETE || Failed()) {
    GL(DeleteFramebuffers)(1, &fbo);
    PlatGl_DeleteTexture(tex);
    return -1;
  }
  *t = GlTarget{fbo, tex, w, h};
  return 0;
}

void PlatGl_DeleteTarget(GlTarget* t) {
  if (t->fbo) GL(DeleteFramebuffers)(1, &t->fbo);
  PlatGl_DeleteTexture(t->tex);
  *t = GlTarget();
}

void PlatGl_BindTarget(const GlTarget& t) {
  GL(BindFramebuffer)(GL_FRAMEBUFFER, t.fbo);
  GL(Viewport)(0, 0, t.w, t.h);
}

int PlatGl_Clear(float r, float g, float b, float a) {
  GL(ClearColor)(r, g, b, a);
  GL(Clear)(GL_COLOR_BUFFER_BIT);
  return Failed() ? -1 : 0;
}

int PlatGl_ReadPixels(const GlTarget& t, uint8_t* bgra, size_t pitch) {
  if (!t.fbo || pitch % 4 != 0) return -1;
  Failed();
  GL(BindFramebuffer)(GL_FRAMEBUFFER, t.fbo);
  GL(PixelStorei)(GL_PACK_ALIGNMENT, 4);
  GL(PixelStorei)(GL_PACK_ROW_LENGTH, GLint(pitch / 4));
  if (g_Es)
    GL(ReadPixels)(0, 0, t.w, t.h, GL_RGBA, GL_UNSIGNED_BYTE, bgra);
  else
    GL(ReadPixels)(0, 0, t.w, t.h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bgra);
  GL(PixelStorei)(GL_PACK_ROW_LENGTH, 0);
  if (Failed()) return -1;
  if (g_Es) {
    for (int32_t y = 0; y < t.h; ++y) {
      uint8_t* p = bgra + size_t(y) * pitch;
      for (int32_t x = 0; x < t.w; ++x, p += 4) std::swap(p[0], p[2]);
    }
  }
  return 0;
}

// ---- Programs ----------------------------------------------------------------

namespace {

GLuint Compile(GLenum kind, const char* body, std::string* log) {
  const char* header = g_Es ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                            : "#version 330 core\n";
  const char* parts[2] = {header, body};
  GLuint s = GL(CreateShader)(kind);
  GL(ShaderSource)(s, 2, parts, nullptr);
  GL(CompileShader)(s);
  GLint ok = GL_FALSE;
  GL(GetShaderiv)(s, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return s;
  char text[1024] = {};
  GL(GetShaderInfoLog)(s, sizeof text - 1, nullptr, text);
  if (log) *log = text[0] ? text : "compile failed";
  GL(DeleteShader)(s);
  return 0;
}

}  // namespace

uint32_t PlatGl_BuildProgram(const char* vertex, const char* fragment, std::string* log) {
  GLuint vs = Compile(GL_VERTEX_SHADER, vertex, log);
  if (!vs) return 0;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment, log);
  if (!fs) {
    GL(DeleteShader)(vs);
    return 0;
  }
  GLuint p = GL(CreateProgram)();
  GL(AttachShader)(p, vs);
  GL(AttachShader)(p, fs);
  GL(LinkProgram)(p);
  GL(DeleteShader)(vs);
  GL(DeleteShader)(fs);
  GLint ok = GL_FALSE;
  GL(GetProgramiv)(p, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    char text[1024] = {};
    GL(GetProgramInfoLog)(p, sizeof text - 1, nullptr, text);
    if (log) *log = text[0] ? text : "link failed";
    GL(DeleteProgram)(p);
    return 0;
  }
  return p;
}

void PlatGl_DeleteProgram(uint32_t prog) {
  if (prog) GL(DeleteProgram)(prog);
}
void PlatGl_UseProgram(uint32_t prog) { GL(UseProgram)(prog); }
int32_t PlatGl_UniformLocation(uint32_t prog, const char* name) {
  return GL(GetUniformLocation)(prog, name);
}
void PlatGl_Uniform1i(int32_t loc, int32_t v) {
  if (loc >= 0) GL(Uniform1i)(loc, v);
}
void PlatGl_Uniform1f(int32_t loc, float v) {
  if (loc >= 0) GL(Uniform1f)(loc, v);
}
void PlatGl_Uniform2f(int32_t loc, float x, float y) {
  if (loc >= 0) GL(Uniform2f)(loc, x, y);
}

// ---- Vertices, states, samplers ------------------------------------------------

int PlatGl_CreateVertexStream(int32_t stride) {
  PlatGl_DeleteVertexStream();
  GL(GenVertexArrays)(1, &g_Vao);
  GL(GenBuffers)(1, &g_Vbo);
  GL(BindVertexArray)(g_Vao);
  GL(BindBuffer)(GL_ARRAY_BUFFER, g_Vbo);
  GL(EnableVertexAttribArray)(0);
  GL(VertexAttribPointer)(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
  GL(EnableVertexAttribArray)(1);
  GL(VertexAttribPointer)(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(16));
  GL(EnableVertexAttribArray)(2);
  GL(VertexAttribPointer)(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(20));
  g_Stride = stride;
  return Failed() ? -1 : 0;
}

void PlatGl_DeleteVertexStream() {
  if (g_Vbo) GL(DeleteBuffers)(1, &g_Vbo);
  if (g_Vao) GL(DeleteVertexArrays)(1, &g_Vao);
  g_Vao = g_Vbo = 0;
}

int PlatGl_UploadVertices(const void* vertices, int32_t count) {
  if (!g_Vbo || count <= 0) return -1;
  GL(BindBuffer)(GL_ARRAY_BUFFER, g_Vbo);
  GL(BufferData)(GL_ARRAY_BUFFER, GLsizeiptr(count) * g_Stride, vertices, GL_STREAM_DRAW);
  return 0;
}

int PlatGl_DrawStrip(int32_t first, int32_t count) {
  GL(BindVertexArray)(g_Vao);
  GL(DrawArrays)(GL_TRIANGLE_STRIP, first, count);
  return Failed() ? -1 : 0;
}

void PlatGl_SetBlend(GlBlendEq eq, GlBlendFactor src, GlBlendFactor dst) {
  GL(BlendEquation)(kEq[size_t(eq)]);
  GL(BlendFunc)(kFactor[size_t(src)], kFactor[size_t(dst)]);
}

int PlatGl_SetDefaultStates() {
  GL(Disable)(GL_CULL_FACE);
  GL(Disable)(GL_DEPTH_TEST);
  GL(DepthMask)(GL_FALSE);
  GL(Enable)(GL_BLEND);
  // Dithering is on by default in GL and would move the low bits.
  GL(Disable)(GL_DITHER);
  return Failed() ? -1 : 0;
}

int PlatGl_BindTexture(int32_t unit, uint32_t tex, GlFilter filter) {
  GL(ActiveTexture)(GL_TEXTURE0 + GLenum(unit));
  GL(BindTexture)(GL_TEXTURE_2D, tex);
  GL(BindSampler)(GLuint(unit), tex ? g_Samplers[size_t(filter)] : 0);
  return Failed() ? -1 : 0;
}
