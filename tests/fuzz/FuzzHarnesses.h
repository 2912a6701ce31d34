// Entry points of the fuzz harnesses as the test program knows them; each
// returns 0 or aborts with a finding.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int FuzzDatabaseFileOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzSettingsFileOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzImportOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzDetailsFileOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzOpenLibraryOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzFinnaOneInput(const uint8_t* data, size_t size);
extern "C" int FuzzSruOneInput(const uint8_t* data, size_t size);
