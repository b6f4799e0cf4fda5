#include "platform/util/file_replacement.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace keltrov {

namespace {

// A file of a fresh name beside the target, so that renaming it over the target stays on one disk.
std::filesystem::path CreateTemporaryBeside(const std::filesystem::path& target) {
    std::string name = (target.parent_path() / ("." + target.filename().string() + "-XXXXXX")).string();
    const int fd = mkstemp(name.data());
    if (fd < 0) throw FileWriteError(errno);
    // mkstemp makes a file only its owner reads; the written file gets the mode any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return name;
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
