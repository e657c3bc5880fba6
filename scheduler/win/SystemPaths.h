// What the core asks of the system to find the player's playlist file: the
// user's environment, the numbered shell folders and the files on disk.
#pragma once

#include <string>

#include "scheduler/core/PlaylistLocation.h"

namespace cuelark {

PlaylistLookups SystemPlaylistLookups();
// Whether the file can be opened for reading now (not only whether it exists).
bool CanReadFile(const std::wstring& file);

}  // namespace cuelark
