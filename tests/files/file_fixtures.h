#pragma once
// Fixture trees for the file-operation tests: files with given contents, and
// folder links (a junction on Windows; under Wine, which cannot make
// junctions, a symbolic link of the host, which Wine shows as a folder link).
#include <initializer_list>
#include <string>
#include <utility>

namespace vemo::test {

// Writes each (relative path, content) below root, creating folders.
void make_tree(const std::string& root, std::initializer_list<std::pair<std::string, std::string>> files);
// The content of a file, or "<missing>".
std::string content_of(const std::string& path);
bool exists(const std::string& path);
// Makes link a folder link to target; false when this system cannot.
bool make_folder_link(const std::string& link, const std::string& target);
// Makes link a symbolic link to the file target; false when this system cannot.
bool make_file_link(const std::string& link, const std::string& target);
// Removes a link of either kind (not its target), so that the test folder can go.
void remove_folder_link(const std::string& link);

}  // namespace vemo::test
