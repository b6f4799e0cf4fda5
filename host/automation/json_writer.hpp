#pragma once
// A small JSON writer: compact output, strings escaped, text kept as UTF-8.
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::automation {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of the current object.
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view text);
    JsonWriter& Number(double value);  // a non-finite value is written as null
    JsonWriter& Integer(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);

    std::string out_;
    std::vector<bool> hasMembers_;  // one entry per open object or array
    bool afterKey_ = false;
};

// The text as a JSON string literal; bytes that are not UTF-8 become U+FFFD.
std::string JsonQuote(std::string_view text);

}  // namespace keltrov::automation
