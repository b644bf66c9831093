// libjpeg error manager shared by the JPEG reader and writer: error_exit
// jumps back into the caller, messages are dropped.
#pragma once
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorMgr {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer is ours
  std::jmp_buf jump;
};
void Jpeg_ErrorExit(j_common_ptr cinfo);
void Jpeg_SilentMessage(j_common_ptr cinfo);
