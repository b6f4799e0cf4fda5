#pragma once
// Loads the plug-in by file name and resolves its two exports.
#include "entry/plugin_context.hpp"

#include <string>

namespace keltrov::host {

class PluginLibrary {
public:
    // Throws std::runtime_error with the loader's reason.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    InitFunction init = nullptr;
    IndlgFunction indlg = nullptr;

private:
    void* m_handle = nullptr;
};

// libkeltrov.so in the directory of the running program.
std::string DefaultPluginPath();

}  // namespace keltrov::host
