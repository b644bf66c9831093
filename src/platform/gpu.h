// The GPU context and the drawing calls the renderer makes, on OpenGL 3.3
// core (OpenGL ES 3.0 where that is all there is) through EGL without a
// window: nothing is ever presented from the context, every frame is drawn
// into an off-screen target and read back.
//
// Every GL call goes through one table of function pointers (also the
// loader), so that tests can make chosen calls fail. All calls run on the
// thread that created the context.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum class GlApiKind : uint8_t { None, Core33, Es30 };

struct GlContextInfo {
  GlApiKind api = GlApiKind::None;
  int32_t maxTextureSize = 0;
  bool resetNotification = false;  // the context reports GPU resets
  bool anisotropic = false;        // anisotropic filtering is offered
  std::string renderer;            // GL_RENDERER, for the trace
};

// Creates the context and makes it current: OpenGL 3.3 core, then ES 3.0.
// 0, or -1 with nothing left behind. A second call replaces the context.
int PlatGl_CreateContext(GlContextInfo* info);
// Deletes the context and everything made in it.
void PlatGl_DestroyContext();
bool PlatGl_HasContext();
// Makes the context current on the calling thread (a no-op where it is
// already); false without a context or when another thread holds it.
bool PlatGl_MakeCurrent();
// Lets go of the context on the calling thread, so another may take it.
void PlatGl_ReleaseCurrent();
// True when the context reports that the GPU was reset (the context and
// all its objects are gone and must be made again).
bool PlatGl_ResetReported();

// ---- Textures --------------------------------------------------------------
enum class GlTexFormat : uint8_t { Rgba8, Rgba4 };
// A w x h texture of one level; 0 when the GL refuses it (out of memory).
uint32_t PlatGl_CreateTexture(int32_t w, int32_t h, GlTexFormat format);
// Copies w x h BGRA pixels (rows `pitchPx` pixels apart, top row first)
// into the texture's top-left corner. 16-bit textures are converted on the
// processor. 0, or -1 on a GL error.
int PlatGl_UploadTexture(uint32_t tex, GlTexFormat format, const uint8_t* bgra,
                         int32_t pitchPx, int32_t w, int32_t h);
void PlatGl_DeleteTexture(uint32_t tex);

// ---- Off-screen targets ------------------------------------------------------
struct GlTarget {
  uint32_t fbo = 0, tex = 0;
  int32_t w = 0, h = 0;
};
// A 32-bit colour target of w x h; 0, or -1 with nothing left behind.
int PlatGl_CreateTarget(GlTarget* t, int32_t w, int32_t h);
void PlatGl_DeleteTarget(GlTarget* t);
// Draws go to the target from now on; its row 0 is y = 0 of the frame.
void PlatGl_BindTarget(const GlTarget& t);
// Clears the bound target to the colour (0..1 per channel).
int PlatGl_Clear(float r, float g, float b, float a);
// Copies the target, top row first, into BGRA rows `pitch` bytes apart.
// 0, or -1 on a GL error.
int PlatGl_ReadPixels(const GlTarget& t, uint8_t* bgra, size_t pitch);

// ---- Programs ----------------------------------------------------------------
// Compiles and links a program from the two shader bodies; the version line
// for the context's API is put in front. 0 on failure, with the GL's log.
uint32_t PlatGl_BuildProgram(const char* vertex, const char* fragment, std::string* log);
void PlatGl_DeleteProgram(uint32_t prog);
void PlatGl_UseProgram(uint32_t prog);
// -1 when the program has no such uniform.
int32_t PlatGl_UniformLocation(uint32_t prog, const char* name);
void PlatGl_Uniform1i(int32_t loc, int32_t v);
void PlatGl_Uniform1f(int32_t loc, float v);
void PlatGl_Uniform2f(int32_t loc, float x, float y);

// ---- Vertices and drawing -------------------------------------------------------
// The vertex stream: `stride`-byte vertices with the position (4 floats) at
// 0, the diffuse colour (32-bit ARGB) at 16 and the first texture
// coordinate pair at 20. Attribute locations 0, 1, 2. 0, or -1.
int PlatGl_CreateVertexStream(int32_t stride);
void PlatGl_DeleteVertexStream();
// Replaces the stream's contents with `count` vertices.
int PlatGl_UploadVertices(const void* vertices, int32_t count);
// Draws vertices [first, first + count) as a triangle strip; 0, or -1.
int PlatGl_DrawStrip(int32_t first, int32_t count);

enum class GlBlendEq : uint8_t { Add, ReverseSubtract, Max, Min };
enum class GlBlendFactor : uint8_t {
  Zero, One, SrcColor, OneMinusSrcColor, SrcAlpha, OneMinusSrcAlpha, OneMinusDstColor,
};
// Colour and alpha take the same factors.
void PlatGl_SetBlend(GlBlendEq eq, GlBlendFactor src, GlBlendFactor dst);
// Culling, depth test and writes, and dithering off; blending on.
int PlatGl_SetDefaultStates();

enum class GlFilter : uint8_t { Nearest, Linear, Anisotropic };
// Binds the texture (0: none) to the unit with a clamping sampler of the
// filter. 0, or -1 on a GL error.
int PlatGl_BindTexture(int32_t unit, uint32_t tex, GlFilter filter);

// ---- Faults for tests ---------------------------------------------------------
enum class GlFault : uint8_t {
  ResetOnce,      // the next reset-status query reports a reset
  CreateContext,  // context creation fails
  TexImage,       // texture storage fails with GL_OUT_OF_MEMORY
  Shader,         // a shader does not compile
  ReadPixels,     // the read-back fails
  Target,         // the framebuffer of a target is incomplete
  DesktopGl,      // no desktop context: ES 3.0 is taken
  Count,
};
// Makes the fault happen once, after `skip` calls of its kind succeeded.
void PlatGl_InjectFault(GlFault fault, int32_t skip = 0);
void PlatGl_ClearFaults();
// GL calls made through the table since the process started.
uint64_t PlatGl_CallCount();
