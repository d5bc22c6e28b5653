#pragma once
// Marks the SDK's C interface. The programs export it; plug-in DLLs built
// against the programs' import libraries see it as imported.
#if defined(VEMOSDK_BUILDING_HOST)
#define VEMOSDK_API __declspec(dllexport)
#else
#define VEMOSDK_API __declspec(dllimport)
#endif

#ifdef __cplusplus
#define VEMOSDK_EXTERN_C extern "C"
#else
#define VEMOSDK_EXTERN_C
#endif

#define VEMOSDK_EXPORT VEMOSDK_EXTERN_C VEMOSDK_API
