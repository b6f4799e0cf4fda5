#include "host/automation/virtual_display.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/gui_app.hpp"

namespace keltrov::automation {

namespace {

// Set in the command run under xvfb-run, so that a display that still fails is not retried.
constexpr const char* kRerunMark = "KELTROV_UNDER_XVFB";

}  // namespace

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    // A display that is named but does not answer is no display either.
    return display != nullptr && *display != '\0' && EnsureGuiApp();
}

void RerunUnderVirtualDisplay(char** argv) {
    if (std::getenv(kRerunMark) != nullptr) throw std::runtime_error("no display, even under xvfb-run");
    setenv(kRerunMark, "1", 1);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> words{"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", self};
    for (char** arg = argv + 1; *arg != nullptr; ++arg) words.emplace_back(*arg);
    std::vector<char*> command;
    command.reserve(words.size() + 1);
    for (std::string& word : words) command.push_back(word.data());
    command.push_back(nullptr);
    execvp(command[0], command.data());
    throw std::runtime_error(std::string("cannot run xvfb-run: ") + std::strerror(errno));
}

}  // namespace keltrov::automation
