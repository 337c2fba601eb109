#pragma once
// Resources carried inside a module library. A module places a resource in an ELF section
// named ".orv_res.<type>.<id>" (ORV_MODULE_RESOURCE); the host copies it out of the library
// file with GfxExtractResourceToFile.

#include <string>

#define ORV_MODULE_RESOURCE(type, id) __attribute__((section(".orv_res." #type "." #id), used))

// Writes resource (type, id) of the loaded library handle to filePath (replacing it).
// False when the library has no such resource or the file cannot be written.
bool GfxExtractResourceToFile(void* handle, int resourceId, const char* resourceType,
                              const std::string& filePath, int flags = 0);
