#include "crash/crash_tombstone.h"

#include <dbghelp.h>

#include <cstdio>
#include <utility>

#include "core/text_convert.h"

namespace VemoSDK {

namespace {

constexpr std::pair<std::uint32_t, const char*> kExceptionNames[] = {
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},      {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"}, {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"}, {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},  {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"}, {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},          {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},       {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
};

std::string hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}

std::string module_path_of(HMODULE module) {
  wchar_t path[4096];
  DWORD length = GetModuleFileNameW(module, path, static_cast<DWORD>(sizeof path / sizeof path[0]));
  return length ? wstring_to_utf8(std::wstring(path, length)) : std::string();
}

CrashFrame frame_at(unsigned index, std::uint64_t pc) {
  CrashFrame frame;
  frame.index = index;
  frame.pc_offset = static_cast<std::uint32_t>(pc);
  HMODULE module = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(pc)), &module) &&
      module) {
    frame.pc_offset = static_cast<std::uint32_t>(pc - reinterpret_cast<uintptr_t>(module));
    frame.module_path = module_path_of(module);
  }
  return frame;
}

void walk_stack(const CONTEXT& context, std::vector<CrashFrame>& frames) {
  CONTEXT copy = context;  // StackWalk64 changes the context it walks
  STACKFRAME64 frame = {};
  frame.AddrPC.Offset = copy.Eip;
  frame.AddrPC.Mode = AddrModeFlat;
  frame.AddrFrame.Offset = copy.Ebp;
  frame.AddrFrame.Mode = AddrModeFlat;
  frame.AddrStack.Offset = copy.Esp;
  frame.AddrStack.Mode = AddrModeFlat;
  HANDLE process = GetCurrentProcess();
  HANDLE thread = GetCurrentThread();
  std::uint64_t previous_frame = 0;
  while (StackWalk64(IMAGE_FILE_MACHINE_I386, process, thread, &frame, &copy, nullptr, SymFunctionTableAccess64,
                     SymGetModuleBase64, nullptr)) {
    frames.push_back(frame_at(static_cast<unsigned>(frames.size()), frame.AddrPC.Offset));
    if (!crash_walk_continues(previous_frame, frame.AddrFrame.Offset, frame.AddrReturn.Offset, frames.size())) break;
    previous_frame = frame.AddrFrame.Offset;
  }
}

}  // namespace

const char* crash_exception_name(std::uint32_t code) {
  for (const auto& entry : kExceptionNames) {
    if (entry.first == code) return entry.second;
  }
  return "unkown";
}

bool crash_walk_continues(std::uint64_t previous_frame, std::uint64_t frame, std::uint64_t return_address,
                          size_t frames_taken) {
  if (return_address == 0 || frames_taken >= kCrashStackFrameLimit) return false;
  return frames_taken == 1 || frame > previous_frame;
}

CrashTombstone write_crash_tombstone(const EXCEPTION_POINTERS* pointers, bool walk, DWORD thread_id) {
  CrashTombstone tombstone;
  wchar_t path[2048];
  DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(sizeof path / sizeof path[0]));
  tombstone.process_path = wstring_to_utf8(std::wstring(path, length));
  tombstone.tid = thread_id ? thread_id : GetCurrentThreadId();
  tombstone.pid = GetCurrentProcessId();
  if (!pointers) return tombstone;
  if (const EXCEPTION_RECORD* record = pointers->ExceptionRecord) {
    tombstone.code = record->ExceptionCode;
    tombstone.fault_address = static_cast<std::uint32_t>(reinterpret_cast<uintptr_t>(record->ExceptionAddress));
  }
  tombstone.exception_name = crash_exception_name(tombstone.code);
  if (const CONTEXT* context = pointers->ContextRecord) {
    tombstone.eax = context->Eax;
    tombstone.ebx = context->Ebx;
    tombstone.ecx = context->Ecx;
    tombstone.edx = context->Edx;
    tombstone.eip = context->Eip;
    tombstone.esp = context->Esp;
    tombstone.ebp = context->Ebp;
    tombstone.edi = context->Edi;
    tombstone.esi = context->Esi;
    if (walk) walk_stack(*context, tombstone.frames);
  }
  return tombstone;
}

std::ostream& operator<<(std::ostream& out, const CrashTombstone& t) {
  out << "Process Name: '" << t.process_path << "'\n";
  out << "Thread Name: '" << t.tid << "'\n";
  out << "pid: " << t.pid << ", tid: " << t.tid << " >>> " << t.process_path << " <<<\n";
  out << "signal 0 (unkown), code " << hex8(t.code) << " (" << t.exception_name << "), fault addr "
      << hex8(t.fault_address) << "\n";
  out << "  Eax " << hex8(t.eax) << " " << "  Ebx " << hex8(t.ebx) << " " << "  Ecx " << hex8(t.ecx) << " "
      << "  Edx " << hex8(t.edx) << "\n";
  out << "  Eip " << hex8(t.eip) << " " << "  Esp " << hex8(t.esp) << " " << "  Ebp " << hex8(t.ebp) << "\n";
  out << "  Edi " << hex8(t.edi) << " " << "  Esi " << hex8(t.esi) << "\n";
  for (const CrashFrame& frame : t.frames) {
    char head[32];
    std::snprintf(head, sizeof head, "    #%02u pc ", frame.index);
    out << head << hex8(frame.pc_offset) << " " << frame.module_path << "\n";
  }
  return out;
}

}  // namespace VemoSDK
