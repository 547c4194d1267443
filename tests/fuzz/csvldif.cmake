# libFuzzer targets of the CSV parser and the LDIF line parser; included from
# tests/fuzz/CMakeLists.txt (configure the tree with clang and -DVENNARO_FUZZ=ON).
vennaro_fuzz_target(fuzz_csvparser SOURCES csvparser_fuzz.cpp LIBRARIES formats_csv)
vennaro_fuzz_target(fuzz_ldiflineparser SOURCES ldiflineparser_fuzz.cpp LIBRARIES formats_ldif)
