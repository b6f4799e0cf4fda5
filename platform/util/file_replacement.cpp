#include "platform/util/file_replacement.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace keltrov {

namespace {

// A file of a fresh name beside the target, so that renaming it over the target stays on one disk.
// It is created with the mode any new file gets, without touching the process's file mask.
std::filesystem::path CreateTemporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> serial{0};
    const std::string stem = "." + target.filename().string() + "-" + std::to_string(getpid()) + "-";
    for (int attempt = 0;; ++attempt) {
        std::filesystem::path name = target.parent_path() / (stem + std::to_string(serial++));
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return name;
        }
        constexpr int kAttempts = 100;  // names left by earlier runs of the same process number
        if (errno != EEXIST || attempt == kAttempts) throw FileWriteError(errno);
    }
}

}  // namespace

std::string FileWriteFailureReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS: return "无法写入该文件夹";
        case ENOSPC:
        case EDQUOT: return "磁盘已满";
        case ENOENT:
        case ENOTDIR: return "文件夹不存在";
        case EISDIR: return "同名的文件夹已存在";
        case ENAMETOOLONG: return "文件名太长";
        default: return "文件无法写入 (错误 " + std::to_string(error) + ")";
    }
}

FileWriteError::FileWriteError(int error) : std::runtime_error(FileWriteFailureReason(error)) {}

FileReplacement::FileReplacement(std::filesystem::path target)
    : target_(std::move(target)), temporary_(CreateTemporaryBeside(target_)) {}

FileReplacement::~FileReplacement() {
    if (completed_) return;
    std::error_code ignored;  // a file that cannot be removed is one the failure already reported
    std::filesystem::remove(temporary_, ignored);
}

void FileReplacement::Complete() {
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error) throw FileWriteError(error.value());
    completed_ = true;
}

}  // namespace keltrov
