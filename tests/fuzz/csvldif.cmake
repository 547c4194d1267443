# libFuzzer targets of the CSV and LDIF readers; included from tests/fuzz/CMakeLists.txt
# (configure the tree with clang and -DVENNARO_FUZZ=ON).
vennaro_fuzz_target(fuzz_csvparser SOURCES csvparser_fuzz.cpp INSTRUMENT formats/csv formats/common LIBRARIES shell)
vennaro_fuzz_target(fuzz_csvimport SOURCES csvimport_fuzz.cpp FuzzScratch.cpp INSTRUMENT formats/csv formats/common LIBRARIES shell)
vennaro_fuzz_target(fuzz_ldiflineparser SOURCES ldiflineparser_fuzz.cpp INSTRUMENT formats/ldif formats/common LIBRARIES shell)
vennaro_fuzz_target(fuzz_ldifreader SOURCES ldifreader_fuzz.cpp FuzzScratch.cpp INSTRUMENT formats/ldif formats/common LIBRARIES shell)
