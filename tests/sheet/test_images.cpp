#include "tests/sheet/test_images.hpp"

#include <array>

#include "host/template_tool.hpp"

namespace keltrov::sheet::testing {
namespace {

uint32_t Crc32(const std::string& data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char ch : data) {
        crc = table[(crc ^ ch) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The fields local and central headers share: version, flags, method, time, date, crc, sizes, name length.
void PutCommon(std::vector<uint8_t>& out, const std::string& name, const std::string& data) {
    Put16(out, 20);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0x21);
    Put32(out, Crc32(data));
    Put32(out, static_cast<uint32_t>(data.size()));
    Put32(out, static_cast<uint32_t>(data.size()));
    Put16(out, static_cast<uint32_t>(name.size()));
    Put16(out, 0);
}

}  // namespace

std::vector<uint8_t> StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> central;
    for (const auto& [name, data] : entries) {
        uint32_t offset = static_cast<uint32_t>(out.size());
        Put32(out, 0x04034b50);
        PutCommon(out, name, data);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), data.begin(), data.end());

        Put32(central, 0x02014b50);
        Put16(central, 20);
        PutCommon(central, name, data);
        Put16(central, 0);  // comment length
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, 0);  // external attributes
        Put32(central, offset);
        central.insert(central.end(), name.begin(), name.end());
    }
    uint32_t centralOffset = static_cast<uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, centralOffset);
    Put16(out, 0);
    return out;
}

std::vector<uint8_t> OdsImage(const std::string& tables) {
    const std::string manifest =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">
 <manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
 <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>)";
    const std::string content =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2">
<office:body><office:spreadsheet>)" +
        tables + "</office:spreadsheet></office:body></office:document-content>";
    return StoredZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                      {"META-INF/manifest.xml", manifest},
                      {"content.xml", content}});
}

std::vector<uint8_t> XlsxImage(const std::function<void(lxw_workbook*, lxw_worksheet*)>& fill) {
    return WriteXlsxImage(
        [&fill](lxw_workbook* workbook) { fill(workbook, workbook_add_worksheet(workbook, nullptr)); });
}

}  // namespace keltrov::sheet::testing
