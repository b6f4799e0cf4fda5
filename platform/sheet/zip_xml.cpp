#include "platform/sheet/zip_xml.hpp"

#include <zip.h>

#include <cstring>

#include "platform/sheet/errors.hpp"

namespace keltrov::sheet {
namespace {

constexpr size_t kMaxSmallPart = 1 << 20;
constexpr size_t kChunk = 1 << 16;

// Whether the name's part after its prefix is the local name (which holds no ':'); called for every
// attribute of every cell, so it compares in place and stops at the first differing byte.
bool HasLocalName(const char* name, std::string_view localName) {
    const char* colon = std::strrchr(name, ':');
    const char* local = colon ? colon + 1 : name;
    return std::strncmp(local, localName.data(), localName.size()) == 0 && local[localName.size()] == '\0';
}

[[noreturn]] void Damaged(std::string_view part, const std::string& why) {
    throw LoadError("模板无法读取: " + std::string(part) + " 损坏 (" + why + ")");
}

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

struct ZipPackage::Archive {
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip) {
            zip_discard(zip);
        }
    }
};

const char* Attribute(const char** attributes, std::string_view localName) {
    for (size_t i = 0; attributes[i]; i += 2) {
        if (HasLocalName(attributes[i], localName)) {
            return attributes[i + 1];
        }
    }
    return nullptr;
}

std::string_view AttributeOr(const char** attributes, std::string_view localName, std::string_view fallback) {
    const char* value = Attribute(attributes, localName);
    return value ? std::string_view(value) : fallback;
}

ZipPackage::ZipPackage(std::span<const uint8_t> bytes) : archive_(std::make_unique<Archive>()) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source) {
        archive_->zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!archive_->zip) {
            zip_source_free(source);
        }
    }
    zip_error_fini(&error);
    if (!archive_->zip) {
        throw LoadError("模板无法读取: 不是 xlsx 或 ods 工作簿 (" + std::to_string(bytes.size()) + " 字节)");
    }
}

ZipPackage::~ZipPackage() = default;

bool ZipPackage::Has(std::string_view name) const {
    return zip_name_locate(archive_->zip, std::string(name).c_str(), 0) >= 0;
}

std::optional<std::string> ZipPackage::ReadSmall(std::string_view name) const {
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(archive_->zip, std::string(name).c_str(), 0));
    if (!file) {
        return std::nullopt;
    }
    std::string text;
    char buffer[kChunk];
    zip_int64_t got;
    while ((got = zip_fread(file.get(), buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(got));
        if (text.size() > kMaxSmallPart) {
            Damaged(name, "过大");
        }
    }
    if (got < 0) {
        Damaged(name, zip_file_strerror(file.get()));
    }
    return text;
}

void ZipPackage::ParseXml(std::string_view name, XmlHandler& handler) const {
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(archive_->zip, std::string(name).c_str(), 0));
    if (!file) {
        Damaged(name, "缺少这一部分");
    }
    // The part is inflated straight into the scanner's own buffer, which spares copying it once more.
    XmlRead read = [&](char* into, size_t capacity) {
        zip_int64_t got = zip_fread(file.get(), into, capacity);
        if (got < 0) {
            Damaged(name, zip_file_strerror(file.get()));
        }
        return static_cast<size_t>(got);
    };
    try {
        ScanXml(read, handler);
    } catch (const XmlError& e) {
        Damaged(name, e.what());
    }
}

}  // namespace keltrov::sheet
