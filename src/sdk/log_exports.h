#pragma once
// The SDK's exported logging interface (C linkage, UTF-8 texts; nothing
// given is kept or freed). Any thread may call each; no C++ exception
// leaves one (see core/export_guard.h).
#include "core/debug_log.h"
#include "core/vemosdk_export.h"

// A log entry with the tag "vemosdk", module "n" and nothing more; its
// debug line always, its record when the file log is on. The record's
// hand-over result (1 queued) when the file log is on, else the debug log's;
// 0 on failure.
VEMOSDK_EXPORT int vemosdk_log_d(const char* message);
VEMOSDK_EXPORT int vemosdk_log_i(const char* message);
VEMOSDK_EXPORT int vemosdk_log_w(const char* message);
VEMOSDK_EXPORT int vemosdk_log_e(const char* message);
// The same with every member: tags and args are JSON texts (left out when
// they do not parse), extra is kept as text.
VEMOSDK_EXPORT int vemosdk_log_commit_d(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra);
VEMOSDK_EXPORT int vemosdk_log_commit_i(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra);
VEMOSDK_EXPORT int vemosdk_log_commit_w(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra);
VEMOSDK_EXPORT int vemosdk_log_commit_e(const char* tag, const char* message, const char* module, const char* tags,
                                        const char* args, const char* extra);
// An event record, written whether the file log is on or not; a null name does nothing.
VEMOSDK_EXPORT void vemosdk_log_commit_event(const char* name, const char* labels, const char* message,
                                             const char* stats);
// Console switch (also the debug log's), file switch, level name ("debug",
// "info", "warn", "error", "none"; another name keeps the level).
VEMOSDK_EXPORT void vemosdk_open_log_with_config(int console, int file, const char* level);

// The host's sink for debug log lines (null removes it); returns it
// (null on failure).
VEMOSDK_EXPORT VemoDebugCallback Vemo_registerDebugCallback(VemoDebugCallback callback);
VEMOSDK_EXPORT VemoDebugCallback vemosdk_register_log_callback(VemoDebugCallback callback);
