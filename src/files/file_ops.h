#pragma once
// Synchronous file operations on UTF-8 paths (wide where the name ends in
// _w) with their 7016xxx results: copy, remove, rename, ranged reads and file
// digests. Folders, sizes and whole files are the base floor's
// (core/folders.h, core/file_utils.h); this header brings them along.
// They run on the caller's thread; every Windows call takes the long-path
// form of its path. Sizes and offsets are 64-bit.
#include <cstddef>
#include <cstdint>

#include "core/file_replace.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/op_result.h"
#include "files/file_op_error.h"
#include "files/file_path_join.h"

// Copies a file or a whole folder tree. A file goes to a temporary name beside
// the target first and replaces the target only when complete. With
// override_existing false an existing target fails with ERROR_FILE_EXISTS.
OpResult vemo_copy_file_or_directory_utf8(const char* source, const char* target, bool override_existing);
OpResult vemo_copy_file_or_directory(const wchar_t* source, const wchar_t* target, bool override_existing);
// Copies the entries of a folder (folder links are not followed); stops at the
// first failure and returns it.
OpResult vemo_copy_dir_tree_w(const wchar_t* source, const wchar_t* target, bool override_existing);

// Deletes a file or a folder tree; a missing path is a success. Links inside
// the tree (junctions, symbolic links) are removed themselves, never entered.
OpResult vemo_remove_file_or_directory_utf8(const char* path);
OpResult vemo_remove_file_or_directory(const wchar_t* path);
// Empties and removes a folder (remove_directory_tree: links are removed,
// never entered; read-only files go too); stops at the first failure and
// returns it. A missing folder is kFileOpPathNotExists.
OpResult vemo_remove_dir_tree_w(const wchar_t* folder);

// Creates the target's parent folders, then moves; fails when the target exists.
OpResult vemo_rename_path(const char* source, const char* target);
OpResult vemo_rename_path_w(const wchar_t* source, const wchar_t* target);

// Up to length bytes from offset (fewer at the end of the file) in a malloc'd
// buffer with a NUL after them, and their count; null and 0 when the file
// cannot be opened or read, or the buffer cannot be had. The caller frees.
char* vemo_read_file_offset_length(const char* path, int64_t offset, int64_t length, size_t* out_count);

// The 32 lowercase hex digits of the file's MD5 and a terminator in out
// (at least 33 bytes); on failure out holds "" and the result says why.
OpResult vemo_file_md5(const wchar_t* path, char* out);
OpResult vemo_file_md5_utf8(const char* path, char* out);
