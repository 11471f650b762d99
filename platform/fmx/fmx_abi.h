// The host SDK's C interface: the functions a plug-in calls on the host's
// values, and the structure the host passes to the plug-in's entry point.
//
// Every value is an opaque handle owned by whoever constructed it; a handle
// the host hands in (parameters, the result, the environment) stays the
// host's. Every function reports a host-side failure through its last
// parameter: it is set to kFMX_NoError on success and to kFMX_BadAlloc or
// kFMX_Failure otherwise (and is never null). The C++ wrappers in fmx.h turn
// a reported failure into an exception.
//
// Not provided: the host's real value formatting, styles, binary data,
// containers and every SDK family the plug-in does not use.
#ifndef ZYLO_PLATFORM_FMX_FMX_ABI_H_
#define ZYLO_PLATFORM_FMX_FMX_ABI_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FMX_API __attribute__((visibility("default")))

typedef int32_t FMX_Err;
enum { kFMX_NoError = 0, kFMX_BadAlloc = 1, kFMX_Failure = 2 };

typedef char16_t FMX_Unichar;

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

// Encodings of 8-bit text given to FM_Text_Assign.
enum { kFMX_EncodingNative = 0, kFMX_EncodingASCII = 4 };

// FM_Text_Find's answer when the text is not there.
#define kFMX_NotFound UINT32_MAX

// An external function: environment, parameter vector, result to fill.
// Answers the host error code (0: no host error).
typedef FMX_Err (*FMX_ExternCallPtr)(const FM_ExprEnv* env, const FM_DataVect* parms,
                                     FM_Data* result);

// Asks the host to run a script of an open file; the control value says how
// a running script is treated (3: resume it afterwards). Answers the host's
// result code (0: the script was queued).
typedef int16_t (*FMX_StartScriptCall)(const FM_Text* fileName, const FM_Text* scriptName,
                                       uint8_t control, const FM_Data* parameter);

// Messages to the entry point.
enum { kFMXT_Init = 0, kFMXT_Shutdown = 4, kFMXT_GetString = 7 };

// One call into the plug-in's entry point. The host owns it; the plug-in may
// keep the pointer, which stays valid until the host sends the next message.
typedef struct FMX_ExternCallStruct {
  uint8_t whichCall;        // message code
  uint16_t extnVersion;     // the host's extension version
  uint32_t parm1;           // string request: string number
  uint32_t parm2;           // string request: language identifier
  int32_t parm3;            // string request: buffer capacity in UTF-16 units
  intptr_t result;          // answer; for a string request the buffer's address
  const char* bundlePath;   // the plug-in bundle's folder
  FMX_StartScriptCall cStartScript;
} FMX_ExternCallStruct;

typedef void (*FMX_ExternCallProcPtr)(FMX_ExternCallStruct* call);

// --- QuadChar: a plug-in identifier -----------------------------------------
FMX_API FM_QuadChar* FM_QuadChar_Constructor(char c0, char c1, char c2, char c3, FMX_Err* err);
FMX_API void FM_QuadChar_Delete(FM_QuadChar* self, FMX_Err* err);

// --- Text: UTF-16 ------------------------------------------------------------
FMX_API FM_Text* FM_Text_Constructor(FMX_Err* err);
FMX_API void FM_Text_Delete(FM_Text* self, FMX_Err* err);
// Size in UTF-16 units.
FMX_API uint32_t FM_Text_GetSize(const FM_Text* self, FMX_Err* err);
// Copies `size` units from `position` into `buffer`, with no terminator.
FMX_API void FM_Text_GetUnicode(const FM_Text* self, FMX_Unichar* buffer, uint32_t position,
                                uint32_t size, FMX_Err* err);
// Zero-terminated 8-bit text in the given encoding (kFMX_EncodingNative is
// UTF-8; kFMX_EncodingASCII maps bytes above 127 to U+FFFD).
FMX_API void FM_Text_Assign(FM_Text* self, const char* s, int32_t encoding, FMX_Err* err);
FMX_API void FM_Text_AssignUnicode(FM_Text* self, const FMX_Unichar* s, FMX_Err* err);
FMX_API void FM_Text_AssignUnicodeWithLength(FM_Text* self, const FMX_Unichar* s,
                                             uint32_t length, FMX_Err* err);
// Zero-terminated 32-bit wide text (UTF-32 on this platform).
FMX_API void FM_Text_AssignWide(FM_Text* self, const wchar_t* s, FMX_Err* err);
// Replaces self with `size` units of `source` from `position` (clamped).
FMX_API void FM_Text_SetText(FM_Text* self, const FM_Text* source, uint32_t position,
                             uint32_t size, FMX_Err* err);
FMX_API void FM_Text_Uppercase(FM_Text* self, FMX_Err* err);
FMX_API bool FM_Text_operatorEQ(const FM_Text* self, const FM_Text* other, FMX_Err* err);
// First position at or after `position` where `other` starts, or kFMX_NotFound.
FMX_API uint32_t FM_Text_Find(const FM_Text* self, const FM_Text* other, uint32_t position,
                              FMX_Err* err);
// Deletes `size` units from `position` (clamped to the text).
FMX_API void FM_Text_DeleteText(FM_Text* self, uint32_t position, uint32_t size, FMX_Err* err);

// --- FixPt: fixed-point numbers ----------------------------------------------
FMX_API FM_FixPt* FM_FixPt_Constructor(int32_t value, int32_t precision, FMX_Err* err);
FMX_API void FM_FixPt_Delete(FM_FixPt* self, FMX_Err* err);
FMX_API void FM_FixPt_AssignInt(FM_FixPt* self, int32_t value, FMX_Err* err);
// The whole part, truncated toward zero and clamped to the 32-bit range.
FMX_API int32_t FM_FixPt_AsLong(const FM_FixPt* self, FMX_Err* err);

// --- DateTime ----------------------------------------------------------------
FMX_API FM_DateTime* FM_DateTime_Constructor(FMX_Err* err);
FMX_API void FM_DateTime_Delete(FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetYear(const FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetMonth(const FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetDay(const FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetHour(const FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetMinute(const FM_DateTime* self, FMX_Err* err);
FMX_API int16_t FM_DateTime_GetSec(const FM_DateTime* self, FMX_Err* err);
// Out-of-range fields carry over (month 13 is January of the next year).
FMX_API void FM_DateTime_SetNormalizedDate1(FM_DateTime* self, int16_t month, int16_t day,
                                            int16_t year, FMX_Err* err);
FMX_API void FM_DateTime_SetNormalizedTime1(FM_DateTime* self, int32_t hour, int16_t minute,
                                            int16_t sec, int32_t usec, FMX_Err* err);

// --- Locale ------------------------------------------------------------------
FMX_API FM_Locale* FM_Locale_Constructor(int32_t type, FMX_Err* err);
FMX_API void FM_Locale_Delete(FM_Locale* self, FMX_Err* err);
FMX_API void FM_Locale_Assign(FM_Locale* self, const FM_Locale* other, FMX_Err* err);

// --- Data: one value of any native type ----------------------------------------
FMX_API FM_Data* FM_Data_Constructor(FMX_Err* err);
FMX_API void FM_Data_Delete(FM_Data* self, FMX_Err* err);
FMX_API const FM_Locale* FM_Data_GetLocale(const FM_Data* self, FMX_Err* err);
FMX_API FMX_Err FM_Data_SetAsText(FM_Data* self, const FM_Text* text, const FM_Locale* locale,
                                  int32_t nativeType, FMX_Err* err);
FMX_API FMX_Err FM_Data_SetAsNumber(FM_Data* self, const FM_FixPt* number, int32_t nativeType,
                                    FMX_Err* err);
FMX_API FMX_Err FM_Data_SetAsDate(FM_Data* self, const FM_DateTime* date, int32_t nativeType,
                                  FMX_Err* err);
FMX_API FMX_Err FM_Data_SetAsTimeStamp(FM_Data* self, const FM_DateTime* timeStamp,
                                       int32_t nativeType, FMX_Err* err);

// --- DataVect: the parameters of a call --------------------------------------
FMX_API uint32_t FM_DataVect_Size(const FM_DataVect* self, FMX_Err* err);
// Parameter i (from 0) seen as text, number or timestamp, converted the way
// the host converts values; an index past the end is a failure.
FMX_API const FM_Text* FM_DataVect_AtAsText(const FM_DataVect* self, uint32_t i, FMX_Err* err);
FMX_API const FM_FixPt* FM_DataVect_AtAsNumber(const FM_DataVect* self, uint32_t i,
                                               FMX_Err* err);
FMX_API const FM_DateTime* FM_DataVect_AtAsTimeStamp(const FM_DataVect* self, uint32_t i,
                                                     FMX_Err* err);
FMX_API const FM_Data* FM_DataVect_At(const FM_DataVect* self, uint32_t i, FMX_Err* err);

// --- ExprEnv: function registration --------------------------------------------
FMX_API FMX_Err FM_ExprEnv_RegisterExternalFunction(const FM_QuadChar* pluginId,
                                                    int16_t functionId, const FM_Text* name,
                                                    const FM_Text* prototype, int16_t minArgs,
                                                    int16_t maxArgs, uint32_t flags,
                                                    FMX_ExternCallPtr function, FMX_Err* err);
FMX_API FMX_Err FM_ExprEnv_UnRegisterExternalFunction(const FM_QuadChar* pluginId,
                                                      int16_t functionId, FMX_Err* err);

#ifdef __cplusplus
}
#endif

#endif  // ZYLO_PLATFORM_FMX_FMX_ABI_H_
