# Prefer static archives so that the programs need only system DLLs.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a .dll.a .lib)
