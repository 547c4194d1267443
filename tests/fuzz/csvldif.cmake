# libFuzzer targets of the CSV parser and the LDIF line parser; included from
# tests/fuzz/CMakeLists.txt (configure the tree with clang and -DVENNARO_FUZZ=ON).
foreach(target csvparser_fuzz ldiflineparser_fuzz)
  add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target} PRIVATE vennaro_settings formats_csv formats_ldif)
endforeach()
