// The sound device and the sound thread: its passes under g_SoundLock, its
// error box, and the release of every sound when it ends.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "base/base.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "sound/sound.h"

PlatSoundDevice* g_DirectSound = nullptr;
uint8_t g_SoundFocusPaused = 0;
SndFocusFn g_SndFocusHook = nullptr;

namespace {

std::thread g_SoundThread;

std::string Sjis(const char* utf8) { return Text_Utf8ToSjis(utf8); }

void ReleaseList(ObjNode* first) {
  for (ObjNode* n = first; n; n = n->next) {
    if (SoundRec* rec = Snd_Record(n)) {
      Snd_ReleaseBuffer(rec);
      rec->state = kSndStopped;
    }
    if (n->first) ReleaseList(n->first);
  }
}

void ThreadMain() {
  Snd_ThreadLoop();
  Snd_ReleaseAll();
}

}  // namespace

int Snd_InitWith(PlatAudioBackend backend) {
  int32_t result = kAudioOk;
  g_DirectSound = PlatAudio_Open(backend, &result);
  if (g_DirectSound) return 1;
  const char* text = nullptr;
  switch (result) {
    case kAudioErrAllocated:
      text = "サウンドリソースが使用中でした。他の音楽プレーヤー等、起動、常駐しているソフトがあれば終了させてください。";
      break;
    case kAudioErrNoDriver:
      text = "利用可能なサウンドドライバが存在しませんでした。起動にはサウンド機能が正常に動作している必要があります。";
      break;
    case kAudioErrOutOfMemory: text = "メモリ不足です。"; break;
    case kAudioErrInvalidArg: text = "無効なパラメータです。"; break;
    default: break;
  }
  if (text) {
    static const std::string kCaption = Sjis("サウンド初期化エラー");
    Sys_MessageBoxF(kCaption.c_str(), "%s", Sjis(text).c_str());
  }
  return 0;
}

int Snd_Init() { return Snd_InitWith(PlatAudio_DefaultBackend()); }

void Snd_CreateRootTree() {
  ObjNode* root = g_TreeRoots[kTreeSound].root;
  if (!root) return;
  ObjNode* node = Obj_NewNode("ROOT", 4, kObjKindLeaf, nullptr);
  if (!node) return;
  SoundRec* rec = Snd_NewRecord(node);
  if (!rec) {
    Obj_FreeNode(node);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(g_SoundLock);
    rec->kind = kSndKindWav;
    rec->fileName[0] = ' ';
    Obj_LinkChild(root, node, kSndKeepAliveKey);
  }
  Snd_Post(node, kSndReqSetVolume, 2);
  Snd_Post(node, kSndReqLoad, 0, " ");
  Snd_Post(node, kSndReqStart, 0);
}

int Snd_StartWithoutThread() {
  if (Snd_InitCommandRing() != 0) return -1;
  if (g_SoundMode == 0) return 0;
  Snd_CreateRootTree();
  return 0;
}

int Snd_Start() {
  if (Snd_InitCommandRing() != 0) return -1;
  {
    // Running from here: a shut-down that comes before the thread's first
    // pass still waits for it.
    std::lock_guard<std::mutex> lock(g_SoundLock);
    g_SoundThreadState = kThreadRunning;
  }
  try {
    g_SoundThread = std::thread(ThreadMain);
  } catch (const std::system_error&) {
    g_SoundThreadState = kThreadNeverStarted;
    Err_Show(100010, 1);
    return -1;
  }
  if (g_SoundMode == 0) return 0;
  Snd_CreateRootTree();
  return 0;
}

int32_t Snd_RunPass() {
  std::unique_lock<std::mutex> lock(g_SoundLock);
  ObjNode* root = g_TreeRoots[kTreeSound].root;
  if (!root) return 0;
  // The halves this pass fills are decoded with the lock left, after every
  // request of the pass has been taken.
  Snd_BeginRefillBatch();
  int32_t r = Snd_FollowFocus();
  if (r >= 0) r = Snd_PopCommands();
  if (r >= 0) {
    Snd_UpdateFades();
    r = Snd_UpdateTree(root->first);
  }
  if (r >= 0) r = Snd_RefillTree(root->first);
  if (r < 0) {
    Snd_CancelRefillBatch();
    return r;
  }
  if ((r = Snd_RunRefillBatch(lock)) < 0) return r;
  return g_QuitRequested ? 1 : 0;
}

void Snd_ThreadLoop() {
  for (;;) {
    bool waiting = g_SoundRing.read != g_SoundRing.write;
    std::this_thread::sleep_for(std::chrono::milliseconds(waiting ? 3 : 20));
    int32_t r = Snd_RunPass();
    if (r < 0) {
      Snd_ShowThreadError(r);
      return;
    }
    if (r > 0 || g_ShutdownRequested) return;
  }
}

std::string Snd_ErrorText(int32_t err) {
  if (err == -1045) return Sjis("複数曲連結OGGには対応していません。");
  const char* text;
  switch (err) {
    case -1: case -310: case -330: case -410: case -430: case -1010:
      text = "サウンドバッファがありませんでした。"; break;
    case -110: case -120: case -440: text = "サウンド再生エラーです。"; break;
    case -320: case -340: case -420: text = "サウンド再生位置取得エラーです。"; break;
    case -1020: text = "ファイルが開けませんでした。"; break;
    case -1030: text = "oggファイルとして正しく認識できませんでした。"; break;
    case -1040: text = "シークできないoggファイルでした。"; break;
    case -1050: text = "oggファイルの詳細を取得できませんでした。"; break;
    case -1060: case -1080: text = "DirectSoundバッファエラーです。"; break;
    case -1070: case -1090: text = "DirectSoundバッファが確保できませんでした。"; break;
    case -1120: text = "DirectSoundバッファ作成エラーです。"; break;
    case -2020: case -3020: text = "oggファイルをシークできませんでした。"; break;
    case -2010: case -3010: text = "oggファイルを正しく開けませんでした。"; break;
    case -3030: text = "サウンドバッファに書き込みできませんでした。"; break;
    case -90001: case -90002: text = "oggデコードエラーです。"; break;
    default:
      text = "サウンド関係で内部エラーが発生しました。処理を停止します。\n\n"
             "このエラーが発生した場合、宜しければエラー番号と一緒に\n"
             "システム制作者までご報告いただけますと非常に助かります。";
      break;
  }
  char head[64];
  std::snprintf(head, sizeof head, "%d\n\n", -err);
  std::string out = Sjis("エラー番号：") + head + Sjis(text);
  if (out.size() > 1023) out.resize(1023);
  return out;
}

void Snd_ShowThreadError(int32_t err) {
  std::string text = Snd_ErrorText(err);
  Sys_MessageBoxF("DEBUG Message", "%s", text.c_str());
  // The failure stays: a later report with quit flag 0 must not let the
  // engine run on without its sound thread.
  g_ShutdownRequested = 1;
  g_QuitRequested = 1;
}

void Snd_ReleaseAll() {
  std::lock_guard<std::mutex> lock(g_SoundLock);
  if (ObjNode* root = g_TreeRoots[kTreeSound].root) ReleaseList(root->first);
  // From here every post is refused, so nothing refers to a released sound.
  g_SoundThreadState = kThreadEnded;
}

void Snd_ReleaseDevice(bool threadEnded) {
  if (g_SoundThread.joinable()) {
    if (threadEnded) g_SoundThread.join();
    else g_SoundThread.detach();
  }
  if (!threadEnded) return;  // the thread may still use the device
  if (g_DirectSound) PlatAudio_Close(g_DirectSound);
  g_DirectSound = nullptr;
}
