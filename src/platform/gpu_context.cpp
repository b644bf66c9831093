// The GL context on EGL without a surface: Mesa's surfaceless platform
// where it exists (headless machines and tests), else the default display.
// Nothing is presented from it, so no window is needed.
#include <epoxy/egl.h>

#include <cstring>
#include <memory>

#include "platform/gl_api.h"
#include "platform/gpu.h"

namespace {

// The display is opened once and kept for the run: terminating it would
// unload the driver, which a reset would only load again.
struct EglContext {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GlApiKind api = GlApiKind::None;
  ~EglContext() {
    if (context == EGL_NO_CONTEXT) return;
    if (eglGetCurrentContext() == context)
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
  }
};
std::unique_ptr<EglContext> g_Context;

bool HasClientExtension(const char* name) {
  const char* list = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!list) return false;
  size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)); p += n)
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

EGLDisplay OpenDisplay() {
  static EGLDisplay opened = EGL_NO_DISPLAY;
  if (opened != EGL_NO_DISPLAY) return opened;
  EGLDisplay d = EGL_NO_DISPLAY;
  if (HasClientExtension("EGL_MESA_platform_surfaceless"))
    d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (d == EGL_NO_DISPLAY) d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (d == EGL_NO_DISPLAY) return d;
  EGLint major = 0, minor = 0;
  if (!eglInitialize(d, &major, &minor)) return EGL_NO_DISPLAY;
  opened = d;
  return d;
}

// A config for the API, or EGL_NO_CONFIG_KHR where contexts need none.
bool PickConfig(EGLDisplay d, EGLint renderable, EGLConfig* out) {
  if (epoxy_has_egl_extension(d, "EGL_KHR_no_config_context")) {
    *out = EGL_NO_CONFIG_KHR;
    return true;
  }
  const EGLint attrs[] = {EGL_RENDERABLE_TYPE, renderable, EGL_NONE};
  EGLint n = 0;
  return eglChooseConfig(d, attrs, out, 1, &n) && n > 0;
}

// Robust (reset-notifying) first, then plain.
EGLContext TryContext(EGLDisplay d, bool es, bool* robust) {
  if (!eglBindAPI(es ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) return EGL_NO_CONTEXT;
  EGLConfig config;
  if (!PickConfig(d, es ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT, &config)) return EGL_NO_CONTEXT;
  for (int pass = 0; pass < 2; ++pass) {
    EGLint a[16];
    int n = 0;
    a[n++] = EGL_CONTEXT_MAJOR_VERSION, a[n++] = 3;
    a[n++] = EGL_CONTEXT_MINOR_VERSION, a[n++] = es ? 0 : 3;
    if (!es) a[n++] = EGL_CONTEXT_OPENGL_PROFILE_MASK, a[n++] = EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT;
    if (pass == 0) {
      a[n++] = EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY, a[n++] = EGL_LOSE_CONTEXT_ON_RESET;
      a[n++] = EGL_CONTEXT_OPENGL_ROBUST_ACCESS, a[n++] = EGL_TRUE;
    }
    a[n++] = EGL_NONE;
    EGLContext c = eglCreateContext(d, config, EGL_NO_CONTEXT, a);
    if (c == EGL_NO_CONTEXT) continue;
    if (!eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, c)) {
      eglDestroyContext(d, c);
      continue;
    }
    *robust = pass == 0;
    return c;
  }
  return EGL_NO_CONTEXT;
}

}  // namespace

int PlatGl_CreateContext(GlContextInfo* info) {
  PlatGl_DestroyContext();
  *info = GlContextInfo();
  if (GlApi_FaultFires(GlFault::CreateContext)) return -1;
  auto ctx = std::make_unique<EglContext>();
  ctx->display = OpenDisplay();
  if (ctx->display == EGL_NO_DISPLAY) return -1;
  bool robust = false;
  bool noDesktop = GlApi_FaultFires(GlFault::DesktopGl);
  for (bool es : {false, true}) {
    if (!es && noDesktop) continue;
    ctx->context = TryContext(ctx->display, es, &robust);
    if (ctx->context == EGL_NO_CONTEXT) continue;
    int version = epoxy_gl_version();
    if (version >= (es ? 30 : 33)) {
      ctx->api = es ? GlApiKind::Es30 : GlApiKind::Core33;
      break;
    }
    eglMakeCurrent(ctx->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(ctx->display, ctx->context);
    ctx->context = EGL_NO_CONTEXT;
  }
  if (ctx->api == GlApiKind::None) return -1;
  GlApi_Load(ctx->api == GlApiKind::Es30);
  info->api = ctx->api;
  GLint maxSize = 0;
  GL(GetIntegerv)(GL_MAX_TEXTURE_SIZE, &maxSize);
  info->maxTextureSize = maxSize;
  info->resetNotification = robust && GlApi_HasResetQuery();
  info->anisotropic = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                      epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
  if (const GLubyte* r = GL(GetString)(GL_RENDERER)) info->renderer = reinterpret_cast<const char*>(r);
  g_Context = std::move(ctx);
  if (PlatGl_InitObjects(info->api == GlApiKind::Es30, info->anisotropic) != 0) {
    PlatGl_DestroyContext();
    *info = GlContextInfo();
    return -1;
  }
  return 0;
}

void PlatGl_DestroyContext() {
  if (!g_Context) return;
  PlatGl_ForgetObjects();  // they go with the context
  GlApi_Unload();
  g_Context.reset();
}

bool PlatGl_HasContext() { return g_Context != nullptr; }

bool PlatGl_MakeCurrent() {
  if (!g_Context) return false;
  if (eglGetCurrentContext() == g_Context->context) return true;
  return eglMakeCurrent(g_Context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, g_Context->context);
}

void PlatGl_ReleaseCurrent() {
  if (g_Context && eglGetCurrentContext() == g_Context->context)
    eglMakeCurrent(g_Context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool PlatGl_ResetReported() {
  if (!g_Context) return false;
  return GL(GetGraphicsResetStatus)() != GL_NO_ERROR;
}
