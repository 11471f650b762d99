// SessionProbe.fmx: a plug-in that shows zylo-host's tests what reaches a
// plug-in from a host of several sessions. Probe_Session answers the
// session of the call; Probe_IdleCount ( session ) how many Idle messages
// named that session so far. Each Idle, session shut-down and shut-down is
// written as a line to the file $PROBE_LOG: "idle LEVEL SESSION UNSAFE",
// "session-shutdown SESSION UNSAFE", "shutdown".
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "platform/fmx/fmx.h"

namespace {

std::mutex lock;
std::map<uintptr_t, int> idles;  // guarded by lock

void log(const std::string& line) {
  if (const char* path = std::getenv("PROBE_LOG")) std::ofstream(path, std::ios::app) << line << '\n';
}

FMX_Err session(int16_t, const FM_ExprEnv* environment, const FM_DataVect*, FM_Data* result) {
  fmx::DataRef(result).setAsNumber(fmx::FixPt(int32_t(fmx::sessionIdOf(environment))));
  return kFMX_NoError;
}

FMX_Err idleCount(int16_t, const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) {
  const auto asked = uintptr_t(fmx::DataVectRef(parms).atAsNumber(0).asLong());
  std::lock_guard guard(lock);
  fmx::DataRef(result).setAsNumber(fmx::FixPt(idles[asked]));
  return kFMX_NoError;
}

void add(int16_t id, const char* name, int16_t arguments, FMX_ExternCallPtr function) {
  fmx::Text text;
  text.assign(name);
  fmx::registerExternalFunction(fmx::QuadChar('P', 'r', 'o', 'b'), id, text, text, arguments, arguments, 0,
                                function);
}

void answerString(const FMX_ExternCallStruct& call) {
  const std::u16string options = call.parm1 == 131 ? u"Prob1nnYYYn" : u"Probe";
  auto* buffer = reinterpret_cast<char16_t*>(call.result);
  const uint64_t room = call.parm3;
  options.copy(buffer, std::min<uint64_t>(room - 1, options.size()));
  buffer[std::min<uint64_t>(room - 1, options.size())] = u'\0';
}

}  // namespace

extern "C" FMX_API void FMExternCallProc(FMX_ExternCallStruct* call) {
  const std::string unsafe = std::to_string(int(call->unsafeCalls));
  switch (call->whichCall) {
    case kFMXT_Init:
      add(1, "Probe_Session", 0, session);
      add(2, "Probe_IdleCount", 1, idleCount);
      call->result = 53;
      return;
    case kFMXT_GetString:
      answerString(*call);
      return;
    case kFMXT_Idle: {
      const uint64_t named = call->parm2;
      {
        std::lock_guard guard(lock);
        ++idles[named];
      }
      log("idle " + std::to_string(int(call->parm1)) + " " + std::to_string(named) + " " + unsafe);
      return;
    }
    case kFMXT_SessionShutdown: {
      const uint64_t named = call->parm2;
      log("session-shutdown " + std::to_string(named) + " " + unsafe);
      return;
    }
    case kFMXT_Shutdown:
      log("shutdown");
      return;
  }
}
