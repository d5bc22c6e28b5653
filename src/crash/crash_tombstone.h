#pragma once
// The exception of a crash as a short text record: process and thread, the
// exception code and its name, the fault address, the nine general registers
// and the stack frames, each as an offset into its module.
#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace VemoSDK {

constexpr unsigned kCrashStackFrameLimit = 128;

struct CrashFrame {
  unsigned index = 0;
  std::uint32_t pc_offset = 0;  // pc minus its module's base; pc itself outside every module
  std::string module_path;      // empty outside every module
};

struct CrashTombstone {
  std::string process_path;
  std::uint32_t tid = 0;
  std::uint32_t pid = 0;
  std::uint32_t code = 0;
  std::uint32_t fault_address = 0;
  std::string exception_name;
  std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, eip = 0, esp = 0, ebp = 0, edi = 0, esi = 0;
  std::vector<CrashFrame> frames;
};

// "EXCEPTION_ACCESS_VIOLATION", ...; "unkown" for a code outside the table.
const char* crash_exception_name(std::uint32_t code);

// Builds the record of the exception of thread_id (0: this thread); the
// stack is walked from its context when walk_stack is set.
CrashTombstone write_crash_tombstone(const EXCEPTION_POINTERS* pointers, bool walk_stack = true,
                                     DWORD thread_id = 0);

// Whether a stack walk goes on after a frame: not past the frame limit, and
// only while the frame address grows (a loop or a broken chain would not end).
bool crash_walk_continues(std::uint64_t previous_frame, std::uint64_t frame, std::uint64_t return_address,
                          size_t frames_taken);

std::ostream& operator<<(std::ostream& out, const CrashTombstone& tombstone);

}  // namespace VemoSDK
