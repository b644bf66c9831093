// The one table through which every GL call of the platform layer goes.
// Filled from the loader when a context is made; the calls that tests can
// make fail are entered as shims that consult the injected faults first.
// Internal to src/platform.
#pragma once
#include <epoxy/gl.h>

#include <cstdint>

#include "platform/gpu.h"

struct GlApi {
  GLenum (*GetError)();
  void (*GetIntegerv)(GLenum, GLint*);
  void (*GetFloatv)(GLenum, GLfloat*);
  const GLubyte* (*GetString)(GLenum);
  GLenum (*GetGraphicsResetStatus)();  // may be null: no reset reports

  void (*GenTextures)(GLsizei, GLuint*);
  void (*DeleteTextures)(GLsizei, const GLuint*);
  void (*BindTexture)(GLenum, GLuint);
  void (*ActiveTexture)(GLenum);
  void (*TexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
  void (*TexSubImage2D)(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum,
                        const void*);
  void (*TexParameteri)(GLenum, GLenum, GLint);
  void (*PixelStorei)(GLenum, GLint);

  void (*GenFramebuffers)(GLsizei, GLuint*);
  void (*DeleteFramebuffers)(GLsizei, const GLuint*);
  void (*BindFramebuffer)(GLenum, GLuint);
  void (*FramebufferTexture2D)(GLenum, GLenum, GLenum, GLuint, GLint);
  GLenum (*CheckFramebufferStatus)(GLenum);
  void (*Viewport)(GLint, GLint, GLsizei, GLsizei);
  void (*ClearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
  void (*Clear)(GLbitfield);
  void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);

  GLuint (*CreateShader)(GLenum);
  void (*ShaderSource)(GLuint, GLsizei, const GLchar* const*, const GLint*);
  void (*CompileShader)(GLuint);
  void (*GetShaderiv)(GLuint, GLenum, GLint*);
  void (*GetShaderInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*);
  void (*DeleteShader)(GLuint);
  GLuint (*CreateProgram)();
  void (*AttachShader)(GLuint, GLuint);
  void (*LinkProgram)(GLuint);
  void (*GetProgramiv)(GLuint, GLenum, GLint*);
  void (*GetProgramInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*);
  void (*DeleteProgram)(GLuint);
  void (*UseProgram)(GLuint);
  GLint (*GetUniformLocation)(GLuint, const GLchar*);
  void (*Uniform1i)(GLint, GLint);
  void (*Uniform1f)(GLint, GLfloat);
  void (*Uniform2f)(GLint, GLfloat, GLfloat);

  void (*GenVertexArrays)(GLsizei, GLuint*);
  void (*DeleteVertexArrays)(GLsizei, const GLuint*);
  void (*BindVertexArray)(GLuint);
  void (*GenBuffers)(GLsizei, GLuint*);
  void (*DeleteBuffers)(GLsizei, const GLuint*);
  void (*BindBuffer)(GLenum, GLuint);
  void (*BufferData)(GLenum, GLsizeiptr, const void*, GLenum);
  void (*EnableVertexAttribArray)(GLuint);
  void (*VertexAttribPointer)(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
  void (*DrawArrays)(GLenum, GLint, GLsizei);

  void (*Enable)(GLenum);
  void (*Disable)(GLenum);
  void (*DepthMask)(GLboolean);
  void (*BlendFunc)(GLenum, GLenum);
  void (*BlendEquation)(GLenum);

  void (*GenSamplers)(GLsizei, GLuint*);
  void (*DeleteSamplers)(GLsizei, const GLuint*);
  void (*BindSampler)(GLuint, GLuint);
  void (*SamplerParameteri)(GLuint, GLenum, GLint);
  void (*SamplerParameterf)(GLuint, GLenum, GLfloat);
};

extern GlApi g_Gl;
extern uint64_t g_GlCalls;
// Every call: GL(TexImage2D)(...). Counted, so tests can see that nothing
// is called after the renderer gave up.
#define GL(fn) (++g_GlCalls, g_Gl.fn)

// Fills the table for the current context (desktop or ES) and enters the
// fault shims. Needs a current context.
void GlApi_Load(bool es);
// Clears the table (no context).
void GlApi_Unload();
// The samplers and the API's upload forms of a new context (gpu_calls.cpp);
// 0 or -1. Forget drops them without GL calls when the context goes.
int PlatGl_InitObjects(bool es, bool anisotropic);
void PlatGl_ForgetObjects();
// True when the context offers a reset-status query.
bool GlApi_HasResetQuery();
// True once when the fault is armed and its skip count has run out.
bool GlApi_FaultFires(GlFault fault);
