// The calls on files that making a CSV takes, defined once for each
// platform (file_calls_posix.cpp, file_calls_windows.cpp).
#pragma once

#include <cstdint>
#include <cstdio>

namespace pluckrow::file_calls {

// Creates `path` for writing, never over an existing file, with what the
// user's umask leaves of rw-rw-rw-, closed on exec; sets `exists` when a
// file of that name stands there. Windows opens it shared for deletion, so
// that an interruption can remove it while it is open.
std::FILE* create_new(const char* path, bool& exists);

// Opens `path` for writing from an empty start, made where it is missing,
// shared for deletion on Windows.
std::FILE* open_emptied(const char* path);

// Puts the file `from` in the place of `to` in one step.
bool replace(const char* from, const char* to);

bool remove(const char* path);

std::uint64_t process_id();

}  // namespace pluckrow::file_calls
