// The state file: the whole model (fiscal memory, counters, tables, the day's
// totals and the document in progress) as JSON. It is replaced atomically, so
// a crash at any moment leaves either the old or the new state.
#pragma once

#include <stdexcept>
#include <string>

#include "ecfsim/model.h"

namespace ecfsim {

class StateFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string modelToJson(const Model& m);
// Throws StateFileError with a readable reason when the text is not a state.
Model modelFromJson(const std::string& text);

// Reads a state file; throws StateFileError when it cannot be read or parsed.
Model loadState(const std::string& path);
// Writes path.tmp, flushes it to disk, renames it over path and flushes the
// directory. Throws StateFileError on failure (the old file is then intact).
void saveState(const std::string& path, const Model& m);
// Whether a file exists at path.
bool stateExists(const std::string& path);

}  // namespace ecfsim
