#ifndef PELLARIN_PLATFORM_RENAME_OVER_H_
#define PELLARIN_PLATFORM_RENAME_OVER_H_

#include <string>

namespace pellarin::platform {

// Renames the file `from` to `to`, replacing a file already called `to` in
// one step, so a reader sees either the old file or the new one in full.
// Both must be in the same folder.  Returns 0, or the errno value that says
// why it failed.
int RenameOver(const std::string& from, const std::string& to);

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_RENAME_OVER_H_
