#pragma once
// A file written under a temporary name beside its target, that takes the target's place only once
// it is complete, so that a failed write neither leaves a half file nor spoils the one there before.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace keltrov {

// Why a file could not be written, in the user's words ("磁盘已满"), for the errno of the failure.
std::string FileWriteFailureReason(int error);

// A step of the replacement failed; what() is FileWriteFailureReason of its errno.
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(int error);
};

class FileReplacement {
public:
    // Creates the empty temporary file, with the mode any new file gets; throws FileWriteError.
    explicit FileReplacement(std::filesystem::path target);
    // Removes the temporary file unless it has taken the target's place.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    const std::filesystem::path& TemporaryPath() const { return temporary_; }
    // Renames the complete temporary file over the target; throws FileWriteError.
    void Complete();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool completed_ = false;
};

}  // namespace keltrov
