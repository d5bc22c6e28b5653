# Static libbz2: the library sources of the bzip2 package, without its
# programs. The sample patch plug-in reads the bzip2 streams of its patches
# with it.
cmake_minimum_required(VERSION 3.16)
project(bzip2 C)
add_library(bz2 STATIC
  ${BZ2_SRC}/blocksort.c ${BZ2_SRC}/huffman.c ${BZ2_SRC}/crctable.c ${BZ2_SRC}/randtable.c
  ${BZ2_SRC}/compress.c ${BZ2_SRC}/decompress.c ${BZ2_SRC}/bzlib.c)
target_compile_options(bz2 PRIVATE -O2)
install(TARGETS bz2 ARCHIVE DESTINATION lib)
install(FILES ${BZ2_SRC}/bzlib.h DESTINATION include)
