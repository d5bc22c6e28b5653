#pragma once
// The one family of resource owners: whatever a function acquires is held by
// one of these, so that an early return or an exception cannot leak it.
#include "core/owners/com.h"      // ComPtr
#include "core/owners/curl.h"     // CurlEasy, CurlMulti, CurlSlist, CurlMime
#include "core/owners/gdi.h"      // UniqueGdiObject
#include "core/owners/handles.h"  // UniqueHandle, UniqueFindHandle, UniqueFile, MallocPtr
#include "core/owners/json.h"     // JsonPtr, JsonText
#include "core/owners/lua.h"      // LuaStatePtr
#include "core/owners/system.h"   // UniqueRegKey, UniqueModule, LocalPtr, CoTaskPtr
