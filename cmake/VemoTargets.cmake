# Compiler settings shared by every target of the project.
add_library(vemo_build_flags INTERFACE)
target_compile_options(vemo_build_flags INTERFACE
  -Wall -Wextra $<$<COMPILE_LANGUAGE:CXX>:-Wno-missing-field-initializers>
  -gdwarf-4)
target_compile_definitions(vemo_build_flags INTERFACE
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# Everything static: the programs need nothing but system DLLs.
target_link_options(vemo_build_flags INTERFACE -static -static-libgcc -static-libstdc++)

# Windows system libraries the SDK calls.
set(VEMO_SYSTEM_LIBS
  ws2_32 iphlpapi crypt32 bcrypt secur32 advapi32 shell32 shlwapi ole32 oleaut32 uuid
  user32 gdi32 gdiplus comctl32 comdlg32 winmm psapi version dbghelp wbemuuid imm32)
