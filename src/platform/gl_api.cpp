// The GL function table: loading, fault shims and the call count.
#include "platform/gl_api.h"

#include <array>

GlApi g_Gl = {};
uint64_t g_GlCalls = 0;

namespace {

struct FaultState {
  bool armed = false;
  int32_t skip = 0;
};
std::array<FaultState, size_t(GlFault::Count)> g_Faults;

// The real entries behind the shims.
GLenum (*g_RealResetStatus)() = nullptr;
void (*g_RealTexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                         const void*) = nullptr;
void (*g_RealCompileShader)(GLuint) = nullptr;
void (*g_RealGetShaderiv)(GLuint, GLenum, GLint*) = nullptr;
void (*g_RealReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) = nullptr;
GLenum (*g_RealCheckFramebuffer)(GLenum) = nullptr;
GLenum (*g_RealGetError)() = nullptr;
// An error a shim made up, returned by the next GetError.
GLenum g_PendingError = GL_NO_ERROR;
// Shaders whose compile was made to fail.
GLuint g_FailedShader = 0;

GLenum ShimGetError() {
  if (g_PendingError != GL_NO_ERROR) {
    GLenum e = g_PendingError;
    g_PendingError = GL_NO_ERROR;
    g_RealGetError();  // the real queue is drained too
    return e;
  }
  return g_RealGetError();
}

GLenum ShimResetStatus() {
  if (GlApi_FaultFires(GlFault::ResetOnce)) return GL_UNKNOWN_CONTEXT_RESET;
  return g_RealResetStatus ? g_RealResetStatus() : GL_NO_ERROR;
}

void ShimTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h,
                    GLint border, GLenum format, GLenum type, const void* data) {
  if (GlApi_FaultFires(GlFault::TexImage)) {
    g_PendingError = GL_OUT_OF_MEMORY;
    return;
  }
  g_RealTexImage2D(target, level, internal, w, h, border, format, type, data);
}

void ShimCompileShader(GLuint shader) {
  if (GlApi_FaultFires(GlFault::Shader)) {
    g_FailedShader = shader;
    return;
  }
  g_RealCompileShader(shader);
}

void ShimGetShaderiv(GLuint shader, GLenum what, GLint* v) {
  if (shader == g_FailedShader && what == GL_COMPILE_STATUS) {
    *v = GL_FALSE;
    g_FailedShader = 0;
    return;
  }
  g_RealGetShaderiv(shader, what, v);
}

void ShimReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
                    void* data) {
  if (GlApi_FaultFires(GlFault::ReadPixels)) {
    g_PendingError = GL_INVALID_OPERATION;
    return;
  }
  g_RealReadPixels(x, y, w, h, format, type, data);
}

GLenum ShimCheckFramebuffer(GLenum target) {
  if (GlApi_FaultFires(GlFault::Target)) return GL_FRAMEBUFFER_UNSUPPORTED;
  return g_RealCheckFramebuffer(target);
}

}  // namespace

bool GlApi_FaultFires(GlFault fault) {
  FaultState& f = g_Faults[size_t(fault)];
  if (!f.armed) return false;
  if (f.skip > 0) {
    --f.skip;
    return false;
  }
  f.armed = false;
  return true;
}

void PlatGl_InjectFault(GlFault fault, int32_t skip) {
  if (fault >= GlFault::Count) return;
  g_Faults[size_t(fault)] = {true, skip < 0 ? 0 : skip};
}

void PlatGl_ClearFaults() {
  for (FaultState& f : g_Faults) f = {};
  g_PendingError = GL_NO_ERROR;
  g_FailedShader = 0;
}

uint64_t PlatGl_CallCount() { return g_GlCalls; }

void GlApi_Load(bool es) {
  GlApi& t = g_Gl;
  t.GetIntegerv = epoxy_glGetIntegerv;
  t.GetFloatv = epoxy_glGetFloatv;
  t.GetString = epoxy_glGetString;
  t.GenTextures = epoxy_glGenTextures;
  t.DeleteTextures = epoxy_glDeleteTextures;
  t.BindTexture = epoxy_glBindTexture;
  t.ActiveTexture = epoxy_glActiveTexture;
  t.TexSubImage2D = epoxy_glTexSubImage2D;
  t.TexParameteri = epoxy_glTexParameteri;
  t.PixelStorei = epoxy_glPixelStorei;
  t.GenFramebuffers = epoxy_glGenFramebuffers;
  t.DeleteFramebuffers = epoxy_glDeleteFramebuffers;
  t.BindFramebuffer = epoxy_glBindFramebuffer;
  t.FramebufferTexture2D = epoxy_glFramebufferTexture2D;
  t.Viewport = epoxy_glViewport;
  t.ClearColor = epoxy_glClearColor;
  t.Clear = epoxy_glClear;
  t.CreateShader = epoxy_glCreateShader;
  t.ShaderSource = epoxy_glShaderSource;
  t.GetShaderInfoLog = epoxy_glGetShaderInfoLog;
  t.DeleteShader = epoxy_glDeleteShader;
  t.CreateProgram = epoxy_glCreateProgram;
  t.AttachShader = epoxy_glAttachShader;
  t.LinkProgram = epoxy_glLinkProgram;
  t.GetProgramiv = epoxy_glGetProgramiv;
  t.GetProgramInfoLog = epoxy_glGetProgramInfoLog;
  t.DeleteProgram = epoxy_glDeleteProgram;
  t.UseProgram = epoxy_glUseProgram;
  t.GetUniformLocation = epoxy_glGetUniformLocation;
  t.Uniform1i = epoxy_glUniform1i;
  t.Uniform1f = epoxy_glUniform1f;
  t.Uniform2f = epoxy_glUniform2f;
  t.GenVertexArrays = epoxy_glGenVertexArrays;
  t.DeleteVertexArrays = epoxy_glDeleteVertexArrays;
  t.BindVertexArray = epoxy_glBindVertexArray;
  t.GenBuffers = epoxy_glGenBuffers;
  t.DeleteBuffers = epoxy_glDeleteBuffers;
  t.BindBuffer = epoxy_glBindBuffer;
  t.BufferData = epoxy_glBufferData;
  t.EnableVertexAttribArray = epoxy_glEnableVertexAttribArray;
  t.VertexAttribPointer = epoxy_glVertexAttribPointer;
  t.DrawArrays = epoxy_glDrawArrays;
  t.Enable = epoxy_glEnable;
  t.Disable = epoxy_glDisable;
  t.DepthMask = epoxy_glDepthMask;
  t.BlendFunc = epoxy_glBlendFunc;
  t.BlendEquation = epoxy_glBlendEquation;
  t.GenSamplers = epoxy_glGenSamplers;
  t.DeleteSamplers = epoxy_glDeleteSamplers;
  t.BindSampler = epoxy_glBindSampler;
  t.SamplerParameteri = epoxy_glSamplerParameteri;
  t.SamplerParameterf = epoxy_glSamplerParameterf;

  // The reset query is core from desktop 4.5 and ES 3.2, else an extension.
  int version = epoxy_gl_version();
  g_RealResetStatus = nullptr;
  if ((!es && version >= 45) || (es && version >= 32))
    g_RealResetStatus = epoxy_glGetGraphicsResetStatus;
  else if (epoxy_has_gl_extension("GL_KHR_robustness"))
    g_RealResetStatus = epoxy_glGetGraphicsResetStatusKHR;
  else if (!es && epoxy_has_gl_extension("GL_ARB_robustness"))
    g_RealResetStatus = epoxy_glGetGraphicsResetStatusARB;
  else if (es && epoxy_has_gl_extension("GL_EXT_robustness"))
    g_RealResetStatus = epoxy_glGetGraphicsResetStatusEXT;

  g_RealGetError = epoxy_glGetError;
  g_RealTexImage2D = epoxy_glTexImage2D;
  g_RealCompileShader = epoxy_glCompileShader;
  g_RealGetShaderiv = epoxy_glGetShaderiv;
  g_RealReadPixels = epoxy_glReadPixels;
  g_RealCheckFramebuffer = epoxy_glCheckFramebufferStatus;
  t.GetError = ShimGetError;
  t.GetGraphicsResetStatus = ShimResetStatus;
  t.TexImage2D = ShimTexImage2D;
  t.CompileShader = ShimCompileShader;
  t.GetShaderiv = ShimGetShaderiv;
  t.ReadPixels = ShimReadPixels;
  t.CheckFramebufferStatus = ShimCheckFramebuffer;
  g_PendingError = GL_NO_ERROR;
  g_FailedShader = 0;
}

bool GlApi_HasResetQuery() { return g_RealResetStatus != nullptr; }

void GlApi_Unload() {
  g_Gl = {};
  g_RealResetStatus = nullptr;
  g_PendingError = GL_NO_ERROR;
  g_FailedShader = 0;
}
