// The calls on files that making a CSV takes, defined once for each
// platform (file_calls_posix.cpp, file_calls_windows.cpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace pluckrow::file_calls {

// Creates `path` for writing, never over an existing file, with what the
// user's umask leaves of rw-rw-rw-, closed on exec; sets `exists` when a
// file of that name stands there. Windows opens it shared for deletion, so
// that an interruption can remove it while it is open.
std::FILE* create_new(const char* path, bool& exists);

#ifdef _WIN32
// Opens the existing file `path` for writing, emptied, shared for deletion.
// (POSIX opens a CSV in place through its folder: csv_target.h.)
std::FILE* open_existing_emptied(const char* path);
#endif

// Empties the file open as `file`: what a CSV written in place keeps of rows
// that could not all be written.
bool empty(std::FILE* file);

// Where the last part of `path`, a file's own name, begins: past the last
// separator ("/"; on Windows "\\", "/" or a drive's ":"), or 0.
std::size_t name_start(const std::string& path);

// Puts the file `from` in the place of `to` in one step.
bool replace(const char* from, const char* to);

bool remove(const char* path);

// Sets the modification time of `path` to now: as a write would, so that a
// user who may write the file but does not own it may set it too.
bool mark_written_now(const char* path);

std::uint64_t process_id();

}  // namespace pluckrow::file_calls
