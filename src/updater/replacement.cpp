#include "updater/replacement.h"

#include "updater/release_info.h"

namespace tf {

Replacement::Replacement(FileSystem& files, std::string mainPath)
    : files_(files), mainPath_(std::move(mainPath)), oldPath_(mainPath_ + kOldProgramSuffix) {}

bool Replacement::MoveAside() {
    if (aside_) return true;
    if (!files_.FileExists(mainPath_)) return true;
    FileError error;
    if (!files_.Replace(mainPath_, oldPath_, error)) return false;
    aside_ = true;
    return true;
}

void Replacement::Restore() {
    if (!aside_) return;
    FileError error;
    // A new program already under the main name stays; the old copy is then only a spare.
    if (!files_.FileExists(mainPath_)) files_.Rename(oldPath_, mainPath_, error);
    aside_ = false;
}

void Replacement::Commit() {
    if (aside_) files_.DeleteFile(oldPath_);
    aside_ = false;
}

}  // namespace tf
