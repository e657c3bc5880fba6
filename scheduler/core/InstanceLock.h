// The name of the lock that keeps one scheduler per program folder: two on
// one folder would fire every entry twice and overwrite each other's store.
#pragma once

#include <string>
#include <string_view>

namespace cuelark {

// A session-local object name derived from a hash of the folder's full path.
// The folder itself cannot be the name: Windows refuses object names longer
// than MAX_PATH, and folders can be deeper than that. Letter case does not
// count (ASCII letters only, as paths differing in the case of other letters
// are rare enough not to matter here).
std::wstring InstanceLockName(std::wstring_view programFolder);

}  // namespace cuelark
