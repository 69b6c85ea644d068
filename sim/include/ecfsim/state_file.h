// The state file: the whole model (fiscal memory, counters, tables, the day's
// totals and the document in progress) as JSON. It is replaced atomically, so
// a crash at any moment leaves either the old or the new state, and one
// simulator at a time keeps it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "ecfsim/model.h"

namespace ecfsim {

class StateFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string modelToJson(const Model& m);
// Throws StateFileError with a readable reason when the text is not a state:
// not this format, a part missing or unknown, a value the model cannot hold
// (a negative counter), or values that contradict each other (reductions
// that disagree with CRZ, a negative total).
Model modelFromJson(const std::string& text);

// Reads a state file; throws StateFileError when it cannot be read or parsed.
Model loadState(const std::string& path);
// The state at path, or nothing when no file is there ("no state yet").
// Anything else that keeps it from being read (a link to nothing, a loop of
// links, no permission) throws StateFileError; the file is left as it is.
std::optional<Model> loadStateIfAny(const std::string& path);
// Writes a new file beside path under a name of its own, flushes it to disk,
// renames it over path and flushes the directory. Throws StateFileError on
// failure: the old file is then intact and the new one removed.
void saveState(const std::string& path, const Model& m);
// The file a path names, symbolic links followed, so that saving replaces
// the file and keeps the links. A loop of links throws StateFileError, and
// so does a link to nothing unless `toNothingAllowed` (its target is then
// where the state goes).
std::string resolveLinks(const std::string& path, bool toNothingAllowed);

// An exclusive lock on a state file for the life of the object, on
// "FILE.lock" beside it (which holds the holder's process id and is removed
// with the lock). Throws StateFileError naming the file and the holder when
// another simulator keeps it. Removes what interrupted saves left beside it.
class StateLock {
public:
    explicit StateLock(const std::string& statePath);
    ~StateLock();
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace ecfsim
