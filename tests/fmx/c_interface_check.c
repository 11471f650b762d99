/* The host interface compiles as C, its layout checks included. */
#include "platform/fmx/fmx_abi.h"

int zyloCallStructSize(void) { return (int)sizeof(FMX_ExternCallStruct); }
