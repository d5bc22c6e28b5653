# Static qrcodegen (C version) library.
cmake_minimum_required(VERSION 3.16)
project(qrcodegen C)
add_library(qrcodegen STATIC ${QR_SRC}/c/qrcodegen.c)
target_compile_options(qrcodegen PRIVATE -O2 -std=c99)
install(TARGETS qrcodegen ARCHIVE DESTINATION lib)
install(FILES ${QR_SRC}/c/qrcodegen.h DESTINATION include)
