#pragma once
// The per-user folder of an installed shield starts from the data that came
// with the package, and follows newer packages without undoing updates.
#include <string>

#include "log/ShieldLog.h"

namespace vz::app {

// Copies each packaged data file into folder where it is missing there, and
// replaces one whose packaged copy has a later file date (a newer package),
// saying so in the log. A file at least as new as the packaged one (a
// downloaded update) is kept. The copies keep the packaged file date, so the
// age of the data is the packaged one. Nothing happens when packagedFolder is "".
void SeedFromPackagedData(const std::string& packagedFolder, const std::string& folder, log::ShieldLog& log);

}  // namespace vz::app
