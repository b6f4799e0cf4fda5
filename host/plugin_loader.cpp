#include "host/plugin_loader.hpp"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

namespace keltrov::host {

namespace {

void* Resolve(void* handle, const char* name, const std::string& path) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) throw std::runtime_error(path + " does not export " + name);
    return symbol;
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) {
    if (!std::filesystem::exists(path)) throw std::runtime_error("plug-in not found: " + path);
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) throw std::runtime_error("cannot load plug-in " + path + ": " + dlerror());
    try {
        init = reinterpret_cast<InitFunction>(Resolve(m_handle, "init", path));
        indlg = reinterpret_cast<IndlgFunction>(Resolve(m_handle, "indlg", path));
    } catch (...) {
        dlclose(m_handle);
        throw;
    }
}

PluginLibrary::~PluginLibrary() {
    if (m_handle != nullptr) dlclose(m_handle);
}

std::string DefaultPluginPath() {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path() / "libkeltrov.so").string();
}

}  // namespace keltrov::host
