#include "base/file_system.h"

namespace tf {

FileError MakeFileError(int code) {
    struct Known {
        int code;
        const char* description;
    };
    static constexpr Known kKnown[] = {
        {file_errors::kOutOfMemory, "Out of memory"},
        {file_errors::kFileNotFound, "File not found"},
        {file_errors::kDeviceIo, "Device I/O error"},
        {file_errors::kDiskFull, "Disk full"},
        {file_errors::kInputPastEnd, "Input past end of file"},
        {file_errors::kPermissionDenied, "Permission denied"},
        {file_errors::kPathFileAccess, "Path/File access error"},
        {file_errors::kPathNotFound, "Path not found"},
    };
    for (const Known& known : kKnown) {
        if (known.code == code) return FileError{code, known.description};
    }
    // Any other failure is reported as the runtime's catch-all file error.
    return MakeFileError(file_errors::kPathFileAccess);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!path.empty() && path.back() != '/' && path.back() != kSeparator) path.push_back(kSeparator);
    path.append(name);
    return path;
}

}  // namespace tf
