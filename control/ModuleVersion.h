#pragma once
// The version resource of a module file, read once for every user in the control (the About page,
// the serialization header): the file version's parts and two texts of its first translation.
#include <windows.h>

// The major version of the file at `path` (the control's own module for a null or empty path),
// 0 when the file has no version resource. Every out pointer may be null; a text is written only
// with a buffer and a size above 0, cut to the buffer and always terminated (empty when the
// resource has no translation table or no such text).
int ReadModuleVersionInfo(const char* path, int* minor, int* build, int* revision, char* privateBuild,
                          int privateBuildSize, char* copyright, int copyrightSize);
