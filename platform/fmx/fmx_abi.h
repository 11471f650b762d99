// The host SDK's C interface as the host's library `libFMWrapper.so`
// exports it: the functions a plug-in calls on the host's values, the
// external function a plug-in registers, and the structure the host passes
// to the plug-in's entry point.
//
// Every value is an opaque handle owned by whoever constructed it (freed with
// the matching *_Delete); a handle the host hands in (parameters, a result,
// a value's locale) stays the host's. The last parameter of every function is
// an error block the caller sets to {kFMX_ErrorBlockVersion, kFMX_NoError}
// before the call; the library writes its code on failure only. Nothing is
// thrown across this interface; the C++ wrappers in fmx.h turn a reported
// failure into an exception.
//
// Not provided: styles, binary data, colours, row vectors, script steps, SQL
// and every other function the plug-in does not call.
#ifndef ZYLO_PLATFORM_FMX_FMX_ABI_H_
#define ZYLO_PLATFORM_FMX_FMX_ABI_H_

#include <assert.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FMX_API __attribute__((visibility("default")))

// The 16-bit error code the host's functions and external functions answer
// (0: no error).
typedef int16_t FMX_Err;

// Where a host function reports a failure.
typedef struct FMX_ErrorBlock {
  int32_t version;  // set by the caller
  int32_t code;     // kFMX_NoError, kFMX_BadAlloc or kFMX_Failure
} FMX_ErrorBlock;
enum { kFMX_ErrorBlockVersion = 1 };
enum { kFMX_NoError = 0, kFMX_BadAlloc = 1, kFMX_Failure = 2 };

static_assert(sizeof(FMX_ErrorBlock) == 8, "the host's error block is 8 bytes");
static_assert(offsetof(FMX_ErrorBlock, code) == 4, "the host reads the code at offset 4");

#ifdef __cplusplus
typedef char16_t FMX_Unichar;
#else
typedef uint16_t FMX_Unichar;
#endif

typedef struct FM_QuadChar FM_QuadChar;
typedef struct FM_Text FM_Text;
typedef struct FM_FixPt FM_FixPt;
typedef struct FM_DateTime FM_DateTime;
typedef struct FM_Locale FM_Locale;
typedef struct FM_Data FM_Data;
typedef struct FM_DataVect FM_DataVect;
typedef struct FM_ExprEnv FM_ExprEnv;

// Native types of a data value.
enum {
  kFMX_TypeInvalid = 0,
  kFMX_TypeText = 1,
  kFMX_TypeNumber = 2,
  kFMX_TypeDate = 3,
  kFMX_TypeTime = 4,
  kFMX_TypeTimeStamp = 5
};

// Encodings of 8-bit text given to FM_Text_Assign. What the platform default
// means on Linux is the host's, so UTF-8 is named outright; 4 is Mac Roman,
// whose lower half is ASCII.
enum { kFMX_EncodingNative = 0, kFMX_EncodingUTF8 = 1, kFMX_EncodingASCII = 4 };

// FM_Text_Find's answer when the text is not there.
#define kFMX_NotFound UINT32_MAX

// An external function: its registered id first, then the environment, the
// parameter vector and the result to fill. Answers the host error code.
typedef FMX_Err (*FMX_ExternCallPtr)(int16_t functionId, const FM_ExprEnv* env,
                                     const FM_DataVect* parms, FM_Data* result);

// Asks the host to run a script of an open file. The control value says what
// becomes of a script already running: halt, exit, resume it after the new
// one, or leave it paused. Answers the host's result code.
typedef FMX_Err (*FMX_StartScriptCall)(const FM_Text* fileName, const FM_Text* scriptName,
                                       uint8_t control, const FM_Data* parameter);
enum { kFMX_ScriptHalt = 0, kFMX_ScriptExit = 1, kFMX_ScriptResume = 2, kFMX_ScriptPause = 3 };

// Messages to the entry point.
enum {
  kFMXT_Init = 0,
  kFMXT_Idle = 1,
  kFMXT_Shutdown = 4,
  kFMXT_DoAppPreferences = 5,
  kFMXT_GetString = 7,
  kFMXT_SessionShutdown = 8,
  kFMXT_FileShutdown = 9
};

// Idle levels (parm1 of Idle): what the host is doing meanwhile. While it is
// unsafe the plug-in must not call back into the host.
enum {
  kFMXT_UserIdle = 0,
  kFMXT_UserNotIdle = 1,
  kFMXT_ScriptPaused = 2,
  kFMXT_ScriptRunning = 3,
  kFMXT_Unsafe = 4
};

typedef struct FMX_ExternCallStruct FMX_ExternCallStruct;
typedef void (*FMX_ExternCallProcPtr)(FMX_ExternCallStruct* call);

// One call into the plug-in's entry point, laid out byte for byte as the host
// lays it out (packed). The host owns it; it is valid during the call.
#pragma pack(push, 1)
struct FMX_ExternCallStruct {
  int16_t extnVersion;                 // the host's extension version
  int32_t unusedID;
  FMX_ExternCallProcPtr entryPoint;
  uint8_t unusedFlag;
  uint8_t whichCall;                   // the message
  uint8_t unsafeCalls;                 // set off the host's main thread
  uint8_t parm1;                       // Init: application kind; GetString: string kind;
                                       // Idle: idle level
  uint64_t parm2;                      // Init: host version text (UTF-16); GetString: language
  uint64_t parm3;                      // GetString: room in the buffer, in UTF-16 units
  uintptr_t instanceID;                // not relied on
  intptr_t result;                     // the answer; GetString: the buffer's address
  uintptr_t unused;
  FMX_StartScriptCall cStartScript;
  uintptr_t cCurrentEnv;               // not used
};
#pragma pack(pop)

static_assert(sizeof(FMX_ExternCallStruct) == 74, "the host's call structure is 74 bytes");
static_assert(__alignof__(FMX_ExternCallStruct) == 1, "the host's call structure is packed");
static_assert(offsetof(FMX_ExternCallStruct, extnVersion) == 0, "extnVersion");
static_assert(offsetof(FMX_ExternCallStruct, unusedID) == 2, "unusedID");
static_assert(offsetof(FMX_ExternCallStruct, entryPoint) == 6, "entryPoint");
static_assert(offsetof(FMX_ExternCallStruct, unusedFlag) == 14, "unusedFlag");
static_assert(offsetof(FMX_ExternCallStruct, whichCall) == 15, "whichCall");
static_assert(offsetof(FMX_ExternCallStruct, unsafeCalls) == 16, "unsafeCalls");
static_assert(offsetof(FMX_ExternCallStruct, parm1) == 17, "parm1");
static_assert(offsetof(FMX_ExternCallStruct, parm2) == 18, "parm2");
static_assert(offsetof(FMX_ExternCallStruct, parm3) == 26, "parm3");
static_assert(offsetof(FMX_ExternCallStruct, instanceID) == 34, "instanceID");
static_assert(offsetof(FMX_ExternCallStruct, result) == 42, "result");
static_assert(offsetof(FMX_ExternCallStruct, unused) == 50, "unused");
static_assert(offsetof(FMX_ExternCallStruct, cStartScript) == 58, "cStartScript");
static_assert(offsetof(FMX_ExternCallStruct, cCurrentEnv) == 66, "cCurrentEnv");

// --- QuadChar: a plug-in identifier -----------------------------------------
FMX_API FM_QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3,
                                              FMX_ErrorBlock* err);
FMX_API void FM_QuadChar_Delete(FM_QuadChar* self, FMX_ErrorBlock* err);

// --- Text: UTF-16 ------------------------------------------------------------
FMX_API FM_Text* FM_Text_Constructor1(FMX_ErrorBlock* err);
FMX_API void FM_Text_Delete(FM_Text* self, FMX_ErrorBlock* err);
// Size in UTF-16 units.
FMX_API uint32_t FM_Text_GetSize(const FM_Text* self, FMX_ErrorBlock* err);
// Copies `size` units from `position` into `buffer`, with no terminator.
FMX_API void FM_Text_GetUnicode(const FM_Text* self, FMX_Unichar* buffer, uint32_t position,
                                uint32_t size, FMX_ErrorBlock* err);
// Zero-terminated 8-bit text in the given encoding.
FMX_API void FM_Text_Assign(FM_Text* self, const char* s, int32_t encoding, FMX_ErrorBlock* err);
FMX_API void FM_Text_AssignUnicode(FM_Text* self, const FMX_Unichar* s, FMX_ErrorBlock* err);
FMX_API void FM_Text_AssignUnicodeWithLength(FM_Text* self, const FMX_Unichar* s,
                                             uint32_t length, FMX_ErrorBlock* err);
// Zero-terminated wide text (4-byte wchar_t, UTF-32, on Linux).
FMX_API void FM_Text_AssignWide(FM_Text* self, const wchar_t* s, FMX_ErrorBlock* err);
// Replaces self with `size` units of `source` from `position` (clamped).
FMX_API void FM_Text_SetText(FM_Text* self, const FM_Text* source, uint32_t position,
                             uint32_t size, FMX_ErrorBlock* err);
FMX_API void FM_Text_Uppercase(FM_Text* self, FMX_ErrorBlock* err);
FMX_API bool FM_Text_operatorEQ(const FM_Text* self, const FM_Text* other, FMX_ErrorBlock* err);
// First position at or after `position` where `other` starts, or kFMX_NotFound.
FMX_API uint32_t FM_Text_Find(const FM_Text* self, const FM_Text* other, uint32_t position,
                              FMX_ErrorBlock* err);
// Deletes `size` units from `position` (clamped to the text).
FMX_API void FM_Text_DeleteText(FM_Text* self, uint32_t position, uint32_t size,
                                FMX_ErrorBlock* err);

// --- FixPt: fixed-point numbers ----------------------------------------------
FMX_API FM_FixPt* FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_ErrorBlock* err);
FMX_API void FM_FixPt_Delete(FM_FixPt* self, FMX_ErrorBlock* err);
FMX_API void FM_FixPt_AssignInt(FM_FixPt* self, int32_t value, FMX_ErrorBlock* err);
// The whole part, truncated toward zero and clamped to the 32-bit range.
FMX_API int32_t FM_FixPt_AsLong(const FM_FixPt* self, FMX_ErrorBlock* err);

// --- DateTime ----------------------------------------------------------------
FMX_API FM_DateTime* FM_DateTime_Constructor1(FMX_ErrorBlock* err);
FMX_API void FM_DateTime_Delete(FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int16_t FM_DateTime_GetYear(const FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int16_t FM_DateTime_GetMonth(const FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int16_t FM_DateTime_GetDay(const FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int32_t FM_DateTime_GetHour(const FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int16_t FM_DateTime_GetMinute(const FM_DateTime* self, FMX_ErrorBlock* err);
FMX_API int16_t FM_DateTime_GetSec(const FM_DateTime* self, FMX_ErrorBlock* err);
// Out-of-range fields carry over (month 13 is January of the next year).
FMX_API FMX_Err FM_DateTime_SetNormalizedDate1(FM_DateTime* self, int16_t month, int16_t day,
                                               int16_t year, FMX_ErrorBlock* err);
FMX_API FMX_Err FM_DateTime_SetNormalizedTime1(FM_DateTime* self, int64_t hour, int16_t minute,
                                               int16_t sec, int32_t usec, FMX_ErrorBlock* err);

// --- Locale ------------------------------------------------------------------
FMX_API FM_Locale* FM_Locale_Constructor1(int32_t type, FMX_ErrorBlock* err);
FMX_API void FM_Locale_Delete(FM_Locale* self, FMX_ErrorBlock* err);
// Assignment; answers self.
FMX_API FM_Locale* FM_Locale_operatorAS(FM_Locale* self, const FM_Locale* other,
                                        FMX_ErrorBlock* err);

// --- Data: one value of any native type ----------------------------------------
FMX_API FM_Data* FM_Data_Constructor1(FMX_ErrorBlock* err);
FMX_API void FM_Data_Delete(FM_Data* self, FMX_ErrorBlock* err);
FMX_API const FM_Locale* FM_Data_GetLocale(const FM_Data* self, FMX_ErrorBlock* err);
FMX_API FMX_Err FM_Data_SetAsText(FM_Data* self, const FM_Text* text, const FM_Locale* locale,
                                  int32_t nativeType, FMX_ErrorBlock* err);
FMX_API void FM_Data_SetAsNumber(FM_Data* self, const FM_FixPt* number, int32_t nativeType,
                                 FMX_ErrorBlock* err);
FMX_API void FM_Data_SetAsDate(FM_Data* self, const FM_DateTime* date, int32_t nativeType,
                               FMX_ErrorBlock* err);
FMX_API void FM_Data_SetAsTimeStamp(FM_Data* self, const FM_DateTime* timeStamp,
                                    int32_t nativeType, FMX_ErrorBlock* err);

// --- DataVect: the parameters of a call --------------------------------------
FMX_API uint32_t FM_DataVect_Size(const FM_DataVect* self, FMX_ErrorBlock* err);
// Parameter i (from 0) seen as text, number or timestamp, converted the way
// the host converts values; an index past the end is a failure.
FMX_API const FM_Text* FM_DataVect_AtAsText(const FM_DataVect* self, uint32_t i,
                                            FMX_ErrorBlock* err);
FMX_API const FM_FixPt* FM_DataVect_AtAsNumber(const FM_DataVect* self, uint32_t i,
                                               FMX_ErrorBlock* err);
FMX_API const FM_DateTime* FM_DataVect_AtAsTimeStamp(const FM_DataVect* self, uint32_t i,
                                                     FMX_ErrorBlock* err);
FMX_API const FM_Data* FM_DataVect_At(const FM_DataVect* self, uint32_t i, FMX_ErrorBlock* err);

// --- ExprEnv: function registration --------------------------------------------
// A maximum of -1 parameters means any number.
FMX_API FMX_Err FM_ExprEnv_RegisterExternalFunction(const FM_QuadChar* pluginId,
                                                    int16_t functionId, const FM_Text* name,
                                                    const FM_Text* prototype, int16_t minArgs,
                                                    int16_t maxArgs, uint32_t flags,
                                                    FMX_ExternCallPtr function,
                                                    FMX_ErrorBlock* err);
FMX_API FMX_Err FM_ExprEnv_UnRegisterExternalFunction(const FM_QuadChar* pluginId,
                                                      int16_t functionId, FMX_ErrorBlock* err);

// --- ExprEnv: the calling session --------------------------------------------------
// The session a call belongs to: one client, schedule or web session of a
// server, the same for every call that session makes, whatever thread it
// comes on. Pointer-sized.
FMX_API uintptr_t FM_ExprEnv_SessionID(const FM_ExprEnv* self, FMX_ErrorBlock* err);

#ifdef __cplusplus
}
#endif

#endif  // ZYLO_PLATFORM_FMX_FMX_ABI_H_
