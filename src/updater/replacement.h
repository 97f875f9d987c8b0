// Puts a new main program in place of the old one without ever leaving the folder without one:
// the old file is moved aside before the download, and comes back unless the new one arrived,
// proved genuine, under the main program's name.
#pragma once

#include <string>

#include "base/file_system.h"

namespace tf {

class Replacement {
public:
    // `mainPath`: the main program's file; the old one waits at mainPath + ".old".
    Replacement(FileSystem& files, std::string mainPath);

    // Moves the main program aside (a copy left from an earlier attempt is replaced). True when the
    // name is free now, also when there was no main program.
    bool MoveAside();
    // Puts the old program back when the main name is empty, and forgets it either way.
    void Restore();
    // The new program is in place: the old copy goes.
    void Commit();
    bool Aside() const { return aside_; }
    const std::string& OldPath() const { return oldPath_; }

private:
    FileSystem& files_;
    std::string mainPath_;
    std::string oldPath_;
    bool aside_ = false;
};

}  // namespace tf
