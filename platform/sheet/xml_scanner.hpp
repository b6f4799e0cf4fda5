#pragma once

// A streaming reader of the XML that workbook parts are written in: UTF-8, no document type, the
// five predefined entities and character references. It checks that the text is well-formed and
// hands elements by their local names to a handler, decoding in place so that a cell's start tag
// costs no allocation.

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace keltrov::sheet {

// What an XML part's reader is told: elements by their local names (namespaces dropped), and
// character data, possibly in several pieces. Attributes come as name, value, name, value, ...,
// null; names keep their prefix. The texts live only for the call.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
};

// Text that is not well-formed XML: why, in the user's language, and on which line.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills up to `capacity` bytes at `into` with the next bytes of the part; 0 at its end.
using XmlRead = std::function<size_t(char* into, size_t capacity)>;

// Streams the part to the handler. Throws XmlError at the first fault of form; what the handler or
// the read throws passes through. Memory stays within a buffer of about twice the longest tag or
// text run; one longer than kMaxXmlToken bytes is refused.
void ScanXml(const XmlRead& read, XmlHandler& handler);

inline constexpr size_t kMaxXmlToken = size_t{16} << 20;

}  // namespace keltrov::sheet
