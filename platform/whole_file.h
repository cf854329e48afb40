// Writing a file so that it ends up whole or as it was: a save cut short (a
// full disk, a lost share) must not leave half a file, nor destroy the one it
// was to replace.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

enum class WholeFile { Written, CannotCreate, CannotWrite, CannotReplace };

// Writes what `write` puts on the stream to `path`. Over a file with
// something in it, the text goes to "PATH.part" first, which takes the name
// (and the file's permissions) only once it is whole and closed; through a
// symbolic link, the file it names is replaced. Anything else (no file yet, an
// empty one, a pipe, a device) is written to directly. On failure nothing of
// the attempt is left, and CannotReplace sets `reason`.
WholeFile WriteWholeFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                         std::string& reason);
