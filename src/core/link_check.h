#pragma once
// Telling a path that reaches its file through a junction or symbolic link.
// Windows marks links with FILE_ATTRIBUTE_REPARSE_POINT; Wine marks only
// folder links so and shows a link to a file as the file itself, so a path
// is also taken for a link when the file system resolves it to another name.
#include <string>

// The name the file system resolves an existing path to (absolute, without
// the "\\?\" prefix); empty when it cannot be opened.
std::wstring resolved_path_of(const std::wstring& path);

// Whether the existing entry name, listed in the folder whose resolved path
// is resolved_folder, is itself a link.
bool is_link_entry(const std::wstring& resolved_folder, const std::wstring& folder, const std::wstring& name);

// Whether anything on the way from below base down to path (both absolute;
// path included) is a junction or symbolic link: what is read, written or
// removed there would land outside base, however plain the name looks. The
// part of path that does not exist yet counts as plain.
bool passes_through_link(const std::wstring& base, const std::wstring& path);
