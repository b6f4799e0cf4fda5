#include "data/field_value.hpp"

#include "platform/util/decimal_text.hpp"
#include "platform/util/text_encoding.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using keltrov::DateTime;
using keltrov::db::NullTimestamp;
using keltrov::db::Timestamp;
namespace sqltype = keltrov::db::sqltype;

namespace {

std::string Printf(const char* format, auto value) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

std::string WholeNumberText(long value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// ASCII is UTF-8 as it stands: such a text needs no closer look at its encoding.
bool IsAscii(const std::string& text) {
    // Eight bytes at a time: a result's texts are many and each is looked at once per reading.
    constexpr uint64_t kHighBits = 0x8080808080808080ULL;
    uint64_t any = 0;
    size_t at = 0;
    for (; at + sizeof any <= text.size(); at += sizeof any) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        any |= word;
    }
    for (; at < text.size(); ++at) any |= static_cast<unsigned char>(text[at]);
    return (any & kHighBits) == 0;
}

DateTime TimestampDate(const Timestamp& ts) {
    return DateTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);
}

// Written digit by digit: every date of a large read passes here, and strftime costs more than its read.
std::string TimestampText(const Timestamp& ts) {
    if (ts.month < 1 || ts.month > 12 || ts.day < 1 || ts.day > 31 || ts.year < 1900) return {};
    if (!TimestampDate(ts).IsValid()) return {};
    std::string text;
    text.reserve(16);
    keltrov::AppendZeroPadded(text, ts.year, 4);
    text += '-';
    keltrov::AppendZeroPadded(text, ts.month, 2);
    text += '-';
    keltrov::AppendZeroPadded(text, ts.day, 2);
    if (ts.hour == 0 && ts.minute == 0) return text;
    text += ' ';
    keltrov::AppendZeroPadded(text, ts.hour, 2);
    text += ':';
    keltrov::AppendZeroPadded(text, ts.minute, 2);
    return text;
}

Timestamp DateOnly(const DateTime& date) {
    if (date.GetMonth() < 1 || date.GetMonth() > 12 || date.GetDay() < 1 || date.GetDay() > 31 || !date.IsValid())
        return NullTimestamp();
    Timestamp ts;
    ts.year = static_cast<int16_t>(date.GetYear());
    ts.month = static_cast<uint16_t>(date.GetMonth());
    ts.day = static_cast<uint16_t>(date.GetDay());
    return ts;
}

}  // namespace

double LeadingDecimal(const std::string& text) {
    return keltrov::LeadingDecimalNumber(text).value_or(0.0);
}

void CopyBytesToText(std::string& text, const std::vector<unsigned char>& bytes) {
    text.assign(bytes.begin(), bytes.end());
}

CFieldValue::~CFieldValue() {
    Clear();
}

void CFieldValue::Clear() {
    if (m_dwType == DBVT_STRING) delete m_pstring;
    if (m_dwType == DBVT_DATE) delete m_pdate;
    delete m_pByteArray;
    m_pByteArray = nullptr;
    m_dwType = DBVT_NULL;
    ClearValue();
}

void CFieldValue::PrepareFor(short sqlType) {
    Clear();
    switch (sqlType) {
        case sqltype::Bit: m_dwType = DBVT_BOOL; break;
        case sqltype::TinyInt: m_dwType = DBVT_UCHAR; break;
        case sqltype::SmallInt: m_dwType = DBVT_SHORT; break;
        case sqltype::Integer: m_dwType = DBVT_LONG; break;
        case sqltype::Real: m_dwType = DBVT_SINGLE; break;
        case sqltype::Float:
        case sqltype::Double: m_dwType = DBVT_DOUBLE; break;
        case sqltype::Date:
        case sqltype::Time:
        case sqltype::Timestamp:
        case sqltype::TypeDate:
        case sqltype::TypeTime:
        case sqltype::TypeTimestamp:
            m_dwType = DBVT_DATE;
            m_pdate = new Timestamp(NullTimestamp());
            break;
        case sqltype::Char:
        case sqltype::VarChar:
        case sqltype::LongVarChar:
        case sqltype::Numeric:
        case sqltype::Decimal:
        case sqltype::BigInt:
        case sqltype::WChar:
        case sqltype::WVarChar:
            m_dwType = DBVT_STRING;
            m_pstring = new std::string;
            break;
        case sqltype::Binary:
        case sqltype::VarBinary:
        case sqltype::LongVarBinary:
            m_dwType = DBVT_BINARY;
            m_pByteArray = new std::vector<unsigned char>(1);
            break;
        default: break;
    }
}

std::string CFieldValue::AsText() const {
    if (m_bNull) return {};
    // Most columns are texts: they are answered before the choice among the other kinds.
    // A text an older installation stored in its own code page is shown, not dropped.
    if (m_dwType == DBVT_STRING) return IsAscii(*m_pstring) ? *m_pstring : keltrov::TextAsUtf8(*m_pstring);
    switch (m_dwType) {
        case DBVT_BOOL: return m_boolVal != 0 ? "T" : "F";
        case DBVT_UCHAR: return std::string(1, static_cast<char>(m_chVal));
        case DBVT_SHORT: return WholeNumberText(m_iVal);
        case DBVT_LONG: return WholeNumberText(m_lVal);
        case DBVT_SINGLE: return Printf("%.2f", static_cast<double>(m_fltVal));
        case DBVT_DOUBLE: return Printf("%.2f", m_dblVal);
        case DBVT_DATE: return TimestampText(*m_pdate);
        case DBVT_BINARY: {
            std::string text;
            CopyBytesToText(text, *m_pByteArray);
            return text;
        }
        default: return {};
    }
}

int32_t CFieldValue::AsLong() const {
    // Text reads its leading integer; every other kind is its number cut towards zero.
    if (!m_bNull && m_dwType == DBVT_STRING) return keltrov::LeadingInteger(*m_pstring);
    return static_cast<int32_t>(std::trunc(AsDouble()));
}

double CFieldValue::AsDouble() const {
    if (m_bNull) return 0.0;
    switch (m_dwType) {
        case DBVT_BOOL: return m_boolVal != 0 ? 1.0 : 0.0;
        case DBVT_UCHAR: return m_chVal;
        case DBVT_SHORT: return m_iVal;
        case DBVT_LONG: return m_lVal;
        case DBVT_SINGLE: return m_fltVal;
        case DBVT_DOUBLE: return m_dblVal;
        case DBVT_STRING: return LeadingDecimal(*m_pstring);
        default: return 0.0;
    }
}

DateTime CFieldValue::AsDate() const {
    if (m_bNull || m_dwType == DBVT_NULL) return DateTime();
    switch (m_dwType) {
        case DBVT_SHORT: return DateTime::FromUnixTime(m_iVal);
        case DBVT_LONG: return DateTime::FromUnixTime(m_lVal);
        case DBVT_SINGLE: return DateTime::FromUnixTime(static_cast<long long>(std::trunc(m_fltVal)));
        case DBVT_DOUBLE: return DateTime::FromUnixTime(static_cast<long long>(std::trunc(m_dblVal)));
        case DBVT_DATE: return TimestampDate(*m_pdate);
        case DBVT_STRING: return DateTime::Parse(*m_pstring);
        default: return DateTime::Invalid();
    }
}

std::vector<unsigned char>* CFieldValue::GetBinary() const {
    return m_dwType == DBVT_NULL ? nullptr : m_pByteArray;
}

CFieldValue& CFieldValue::SetLong(int32_t n) {
    switch (m_dwType) {
        case DBVT_NULL:
        case DBVT_BOOL: m_boolVal = n != 0 ? 1 : 0; break;
        case DBVT_UCHAR: m_chVal = static_cast<unsigned char>(n & 0xFF); break;
        case DBVT_SHORT: m_iVal = static_cast<int16_t>(n & 0xFFFF); break;
        case DBVT_LONG: m_lVal = n; break;
        case DBVT_SINGLE: m_fltVal = static_cast<float>(n); break;
        case DBVT_DOUBLE: m_dblVal = n; break;
        case DBVT_STRING: *m_pstring = WholeNumberText(n); break;
        default: break;
    }
    return *this;
}

CFieldValue& CFieldValue::SetText(const std::string& text) {
    switch (m_dwType) {
        case DBVT_NULL:
        case DBVT_BOOL: m_boolVal = keltrov::LeadingInteger(text) != 0 ? 1 : 0; break;
        case DBVT_UCHAR: m_chVal = text.empty() ? 0 : static_cast<unsigned char>(text[0]); break;
        case DBVT_SHORT: m_iVal = static_cast<int16_t>(keltrov::LeadingInteger(text)); break;
        case DBVT_LONG: m_lVal = keltrov::LeadingInteger(text); break;
        case DBVT_SINGLE: m_fltVal = static_cast<float>(LeadingDecimal(text)); break;
        case DBVT_DOUBLE: m_dblVal = LeadingDecimal(text); break;
        case DBVT_DATE: *m_pdate = DateOnly(DateTime::Parse(text)); break;
        case DBVT_STRING: *m_pstring = text; break;
        default: break;
    }
    return *this;
}
