#include "platform/db/recordset_impl.hpp"

#include "platform/util/decimal_text.hpp"

#include <cstdlib>
#include <cstring>

namespace keltrov::db {

namespace {

constexpr size_t kPieceSize = 8192;
// Texts declared longer than this are read piece by piece rather than given a buffer of their size.
constexpr SQLULEN kLongestBoundText = 1000;
// A declared size counts characters: each may take four bytes, and a number its sign and point.
constexpr SQLULEN kBytesPerCharacter = 4;
constexpr SQLULEN kRoomBesideCharacters = 8;
// Date-times are read as text; a longer one is read again whole.
constexpr SQLLEN kDateTimeTextRoom = 64;
// Doubles are read as text too (a longer one is read again whole): both drivers hold a number as
// text, and their conversion to a double costs more than the text's reading here.
constexpr SQLLEN kNumberTextRoom = 64;

// Reads a character or binary column whole, piece by piece, so no fixed length cuts a value (or a
// character in two). False when the column is null.
template <typename Buffer>
bool ReadWhole(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, Buffer& value, const std::string& sql) {
    value.clear();
    const size_t room = kPieceSize - (cType == SQL_C_CHAR ? 1 : 0);
    char piece[kPieceSize];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, cType, piece, sizeof piece, &indicator);
        if (rc == SQL_NO_DATA) return true;
        Check(rc, SQL_HANDLE_STMT, statement, sql);
        if (indicator == SQL_NULL_DATA) return false;
        const bool more = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(room);
        value.insert(value.end(), piece, piece + (more ? room : static_cast<size_t>(indicator)));
        if (!more) return true;
    }
}

// Reads a date-time column as text and parses it here: some drivers' own conversion reads past
// the value when it lacks the seconds (the form the system writes, "%Y-%m-%d %H:%M").
bool ReadTimestamp(SQLHSTMT statement, SQLUSMALLINT column, Timestamp& value, const std::string& sql) {
    std::string text;
    if (!ReadWhole(statement, column, SQL_C_CHAR, text, sql)) {
        value = NullTimestamp();
        return false;
    }
    value = ParseTimestamp(text);
    return true;
}

// The spellings the decimal reader leaves (infinity, nan) read as the C library reads them, as the
// drivers' own conversion does.
std::optional<double> NumberOfText(std::string_view text) {
    if (std::optional<double> number = LeadingDecimalNumber(text)) return number;
    const std::string terminated(text);
    char* end = nullptr;
    const double value = std::strtod(terminated.c_str(), &end);
    return end != terminated.c_str() ? std::optional(value) : std::nullopt;
}

// A text that starts with no number reads as null, as the drivers' own conversion gives it.
bool StoreNumber(std::string_view text, const CFieldExchange::Column& column) {
    const std::optional<double> number = NumberOfText(text);
    *static_cast<double*>(column.fixed) = number.value_or(0.0);
    return number.has_value();
}

bool ReadNumber(SQLHSTMT statement, SQLUSMALLINT column, const CFieldExchange::Column& storage,
                const std::string& sql) {
    std::string text;  // stays empty for a null
    ReadWhole(statement, column, SQL_C_CHAR, text, sql);
    return StoreNumber(text, storage);
}

bool ReadFixed(SQLHSTMT statement, SQLUSMALLINT column, const CFieldExchange::Column& storage, const std::string& sql) {
    SQLLEN indicator = 0;
    Check(SQLGetData(statement, column, storage.cType, storage.fixed, storage.fixedSize, &indicator), SQL_HANDLE_STMT,
          statement, sql);
    if (indicator != SQL_NULL_DATA) return true;
    ClearStorage(storage);
    return false;
}

// A column the derived class skips is not read, but whether it is null is.
bool HasValue(SQLHSTMT statement, SQLUSMALLINT column) {
    char probe[1];
    SQLLEN indicator = 0;
    Check(SQLGetData(statement, column, SQL_C_BINARY, probe, 0, &indicator), SQL_HANDLE_STMT, statement, {});
    return indicator != SQL_NULL_DATA;
}

bool IsLongType(SQLSMALLINT sqlType) {
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
}

// The buffer a bound text takes; 0 for a long or unsized text, which is read piece by piece.
SQLLEN TextRoom(const CODBCFieldInfo& info) {
    if (IsLongType(info.m_nSQLType) || info.m_nPrecision == 0 || info.m_nPrecision > kLongestBoundText) return 0;
    return static_cast<SQLLEN>(info.m_nPrecision * kBytesPerCharacter + kRoomBesideCharacters);
}

// Texts, date-times and doubles are read as text; other fixed values as themselves.
FetchPath UnboundPath(const CFieldExchange::Column& column) {
    if (column.skipped) return FetchPath::NullStatus;
    if (column.text != nullptr) return FetchPath::Text;
    if (column.bytes != nullptr) return FetchPath::Bytes;
    if (column.cType == SQL_C_TYPE_TIMESTAMP) return FetchPath::DateTime;
    if (column.cType == SQL_C_DOUBLE) return FetchPath::Number;
    return FetchPath::Fixed;
}

bool IsTimestampType(SQLSMALLINT sqlType) {
    return sqlType == SQL_TYPE_TIMESTAMP || sqlType == SQL_TIMESTAMP;
}

// Where the driver lets a bound column be read again, fixed values are bound to their storage and
// sized texts, date-times and doubles to a text buffer; the rest stays unbound. A timestamp the
// driver converts well is bound to its storage too.
FetchPath BoundPath(const CFieldExchange::Column& column, const CODBCFieldInfo& info, bool driverReadsTimestamps) {
    switch (UnboundPath(column)) {
        case FetchPath::Text: return TextRoom(info) > 0 ? FetchPath::BufferedText : FetchPath::Text;
        case FetchPath::DateTime:
            return driverReadsTimestamps && IsTimestampType(info.m_nSQLType) ? FetchPath::InStorage
                                                                             : FetchPath::BufferedDateTime;
        case FetchPath::Number: return FetchPath::BufferedNumber;
        case FetchPath::Fixed: return FetchPath::InStorage;
        default: return UnboundPath(column);
    }
}

SQLLEN BufferSize(FetchPath path, const CODBCFieldInfo& info) {
    switch (path) {
        case FetchPath::BufferedText: return TextRoom(info);
        case FetchPath::BufferedNumber: return kNumberTextRoom;
        case FetchPath::BufferedDateTime: return kDateTimeTextRoom;
        default: return 0;
    }
}

// Reads a column with SQLGetData by one of the unbound paths. False when the column is null.
bool ReadUnbound(SQLHSTMT statement, SQLUSMALLINT number, FetchPath path, const CFieldExchange::Column& column,
                 const std::string& sql) {
    switch (path) {
        case FetchPath::NullStatus: return HasValue(statement, number);
        case FetchPath::Text: return ReadWhole(statement, number, SQL_C_CHAR, *column.text, sql);
        case FetchPath::Bytes: return ReadWhole(statement, number, SQL_C_BINARY, *column.bytes, sql);
        case FetchPath::DateTime: return ReadTimestamp(statement, number, *static_cast<Timestamp*>(column.fixed), sql);
        case FetchPath::Number: return ReadNumber(statement, number, column, sql);
        default: return ReadFixed(statement, number, column, sql);
    }
}

// A text longer than its buffer (a database may store more than the declared size) is read again whole.
bool IsCut(const ColumnFetch& fetch) {
    return fetch.indicator == SQL_NO_TOTAL || fetch.indicator >= static_cast<SQLLEN>(fetch.room.size());
}

std::string_view BufferedText(const ColumnFetch& fetch) {
    return {fetch.room.data(), static_cast<size_t>(fetch.indicator)};
}

// Takes a column's value from where SQLFetch left it. False when the column is null.
bool TakeBound(SQLHSTMT statement, SQLUSMALLINT number, const ColumnFetch& fetch, const std::string& sql) {
    const CFieldExchange::Column& column = fetch.storage;
    if (fetch.indicator == SQL_NULL_DATA) {
        ClearStorage(column);
        return false;
    }
    if (fetch.path == FetchPath::InStorage) return true;
    if (IsCut(fetch)) return ReadUnbound(statement, number, UnboundPath(column), column, sql);
    switch (fetch.path) {
        case FetchPath::BufferedNumber: return StoreNumber(BufferedText(fetch), column);
        case FetchPath::BufferedDateTime:
            *static_cast<Timestamp*>(column.fixed) = ParseTimestamp(BufferedText(fetch));
            return true;
        default: column.text->assign(BufferedText(fetch)); return true;
    }
}

bool IsBound(FetchPath path) {
    return path == FetchPath::InStorage || path == FetchPath::BufferedText || path == FetchPath::BufferedNumber ||
           path == FetchPath::BufferedDateTime;
}

}  // namespace

void ClearStorage(const CFieldExchange::Column& column) {
    if (column.text != nullptr)
        column.text->clear();
    else if (column.bytes != nullptr)
        column.bytes->clear();
    else if (column.cType == SQL_C_TYPE_TIMESTAMP)
        *static_cast<Timestamp*>(column.fixed) = NullTimestamp();
    else if (column.fixed != nullptr)
        std::memset(column.fixed, 0, static_cast<size_t>(column.fixedSize));
}

void BindColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql) {
    ColumnFetch& fetch = impl.fetches[index];
    fetch.storage = column;
    fetch.path = impl.bindsColumns ? BoundPath(column, impl.columns[index], impl.readsTimestamps) : UnboundPath(column);
    if (!IsBound(fetch.path)) return;
    SQLPOINTER target = column.fixed;
    SQLLEN size = column.fixedSize;
    SQLSMALLINT cType = column.cType;
    if (fetch.path != FetchPath::InStorage) {
        size = BufferSize(fetch.path, impl.columns[index]);
        fetch.room.assign(static_cast<size_t>(size), 0);
        target = fetch.room.data();
        cType = SQL_C_CHAR;
    }
    Check(SQLBindCol(impl.Handle(), static_cast<SQLUSMALLINT>(index + 1), cType, target, size, &fetch.indicator),
          SQL_HANDLE_STMT, impl.Handle(), sql);
}

void FetchColumns(CRecordset::Impl& impl, const std::string& sql) {
    for (size_t index = 0; index < impl.fetches.size(); ++index) {
        const ColumnFetch& fetch = impl.fetches[index];
        if (fetch.path == FetchPath::NotExchanged) continue;
        const auto number = static_cast<SQLUSMALLINT>(index + 1);
        const bool present = IsBound(fetch.path) ? TakeBound(impl.Handle(), number, fetch, sql)
                                                 : ReadUnbound(impl.Handle(), number, fetch.path, fetch.storage, sql);
        impl.nullStatus[index] = present ? 0 : 1;
    }
}

}  // namespace keltrov::db
