#pragma once

// Marks a function that leaves the plug-in library: the library is built with hidden
// visibility, so only functions declared with this are seen by dlsym.
#define ORV_EXPORT extern "C" __attribute__((visibility("default")))
