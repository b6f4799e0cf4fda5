// Reads the input as an XML part with the sheet's scanner and with expat, handed over in pieces
// whose size the first byte picks, and fails when the two disagree: on a part one reads and the
// other refuses, or on what a part they both read holds. Where the scanner knowingly differs
// (names beyond ASCII taken unchecked, UTF-8 only, no document type, the declaration's other
// fields unchecked) only the direction it differs in is let through.
#include <expat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sheet/xml_scanner.hpp"

namespace {

struct Trace {
    std::string out;

    void Start(std::string_view name, const char** attributes) {
        out += "<" + std::string(name);
        for (size_t i = 0; attributes[i]; i += 2) {
            out += std::string(" ") + attributes[i] + "=" + attributes[i + 1];
        }
        out += ">";
    }
    void End(std::string_view name) { out += "</" + std::string(name) + ">"; }
    void Text(std::string_view text) {
        if (out.ends_with('\x01')) {
            out.pop_back();
        } else {
            out += '\x02';
        }
        out += std::string(text) + '\x01';
    }
};

struct ScannerTrace : keltrov::sheet::XmlHandler {
    Trace trace;
    void Start(std::string_view name, const char** attributes) override { trace.Start(name, attributes); }
    void End(std::string_view name) override { trace.End(name); }
    void Text(std::string_view text) override { trace.Text(text); }
};

std::string_view Local(const char* name) {
    std::string_view view(name);
    size_t colon = view.rfind(':');
    return colon == std::string_view::npos ? view : view.substr(colon + 1);
}

std::optional<std::string> ScanWithScanner(std::string_view xml, size_t piece) {
    size_t at = 0;
    keltrov::sheet::XmlRead read = [&](char* into, size_t capacity) {
        size_t n = std::min({piece, capacity, xml.size() - at});
        std::memcpy(into, xml.data() + at, n);
        at += n;
        return n;
    };
    ScannerTrace handler;
    try {
        keltrov::sheet::ScanXml(read, handler);
    } catch (const keltrov::sheet::XmlError&) {
        return std::nullopt;
    }
    return handler.trace.out;
}

std::optional<std::string> ScanWithExpat(std::string_view xml, XML_Error& error) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    Trace trace;
    XML_SetUserData(parser, &trace);
    XML_SetElementHandler(
        parser, [](void* t, const char* name, const char** a) { static_cast<Trace*>(t)->Start(Local(name), a); },
        [](void* t, const char* name) { static_cast<Trace*>(t)->End(Local(name)); });
    XML_SetCharacterDataHandler(parser, [](void* t, const char* text, int length) {
        static_cast<Trace*>(t)->Text(std::string_view(text, static_cast<size_t>(length)));
    });
    bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    error = XML_GetErrorCode(parser);
    XML_ParserFree(parser);
    return ok ? std::optional(trace.out) : std::nullopt;
}

bool HasNonAscii(std::string_view xml) {
    return std::any_of(xml.begin(), xml.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Parts the scanner refuses on purpose though expat reads them.
bool RefusedOnPurpose(std::string_view xml) {
    return xml.find("<!DOCTYPE") != std::string_view::npos || xml.find("encoding") != std::string_view::npos ||
           xml.find('\0') != std::string_view::npos || xml.starts_with("\xFE\xFF") || xml.starts_with("\xFF\xFE");
}

// Parts the scanner reads on purpose though expat refuses them.
bool ReadOnPurpose(std::string_view xml, XML_Error error) {
    return error == XML_ERROR_XML_DECL || (error == XML_ERROR_INVALID_TOKEN && HasNonAscii(xml)) ||
           (error == XML_ERROR_UNKNOWN_ENCODING || error == XML_ERROR_INCORRECT_ENCODING);
}

[[noreturn]] void Disagree(const char* what, const std::optional<std::string>& ours,
                           const std::optional<std::string>& expat) {
    std::cerr << what << "\nscanner: " << (ours ? *ours : "(refused)")
              << "\nexpat:   " << (expat ? *expat : "(refused)") << "\n";
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t piece = 1 + data[0] % 16;
    std::string_view xml(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::optional<std::string> ours = ScanWithScanner(xml, piece);
    if (ours != ScanWithScanner(xml, xml.size() + 1)) Disagree("the pieces changed the result", ours, std::nullopt);
    XML_Error error = XML_ERROR_NONE;
    std::optional<std::string> expat = ScanWithExpat(xml, error);
    if (ours && expat && *ours != *expat) Disagree("both read the part, differently", ours, expat);
    if (!ours && expat && !RefusedOnPurpose(xml)) Disagree("the scanner refused a part expat reads", ours, expat);
    if (ours && !expat && !ReadOnPurpose(xml, error)) {
        Disagree(XML_ErrorString(error), ours, expat);
    }
    return 0;
}
