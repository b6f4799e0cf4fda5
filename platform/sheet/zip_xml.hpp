#pragma once

// Reading the parts of a zipped office document: entries of a zip archive in memory (libzip) and
// their XML streamed through the scanner, so a part of any size costs no more than its parse state.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/sheet/xml_scanner.hpp"

namespace keltrov::sheet {

// The value of the attribute of that local name, or null.
const char* Attribute(const char** attributes, std::string_view localName);
std::string_view AttributeOr(const char** attributes, std::string_view localName, std::string_view fallback);

class ZipPackage {
public:
    // Throws LoadError when the bytes are no zip archive.
    explicit ZipPackage(std::span<const uint8_t> bytes);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool Has(std::string_view name) const;
    // A small part whole (at most 1 MB), or nothing when the package has no such part.
    std::optional<std::string> ReadSmall(std::string_view name) const;
    // Streams the part through the handler; throws LoadError naming the part when it is
    // missing, damaged or not well-formed XML.
    void ParseXml(std::string_view name, XmlHandler& handler) const;

private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
};

}  // namespace keltrov::sheet
