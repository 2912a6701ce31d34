// The fuzz harnesses in the ordinary test build: the very sources libFuzzer runs,
// compiled with the regular compiler, each entry point renamed so the harnesses
// fit in one test program.
#include "tests/fuzz/FuzzHarnesses.h"

#define LLVMFuzzerTestOneInput FuzzDatabaseFileOneInput
#include "fuzzing/DatabaseFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzSettingsFileOneInput
#include "fuzzing/SettingsFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzImportOneInput
#include "fuzzing/ImportFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzDetailsFileOneInput
#include "fuzzing/DetailsFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzOpenLibraryOneInput
#include "fuzzing/OpenLibraryFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzFinnaOneInput
#include "fuzzing/FinnaFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#define LLVMFuzzerTestOneInput FuzzSruOneInput
#include "fuzzing/SruFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzzing/FuzzSupport.cpp"
#include "fuzzing/ReferenceReaders.cpp"
