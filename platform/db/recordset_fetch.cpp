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
    std::memset(storage.fixed, 0, static_cast<size_t>(storage.fixedSize));
    return false;
}

bool IsDateTime(const CFieldExchange::Column& column) {
    return column.cType == SQL_C_TYPE_TIMESTAMP;
}

bool IsFixed(const CFieldExchange::Column& column) {
    return column.text == nullptr && column.bytes == nullptr && !column.skipped && !IsDateTime(column);
}

bool IsDouble(const CFieldExchange::Column& column) {
    return column.cType == SQL_C_DOUBLE && IsFixed(column);
}

// Fixed values other than doubles are bound as themselves.
bool IsBoundAsItself(const CFieldExchange::Column& column) {
    return IsFixed(column) && !IsDouble(column);
}

// The C type a column is bound as: texts, date-times and doubles as text, other fixed values as themselves.
SQLSMALLINT BoundType(const CFieldExchange::Column& column) {
    return IsBoundAsItself(column) ? column.cType : SQL_C_CHAR;
}

bool IsLongType(SQLSMALLINT sqlType) {
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
}

// The bytes a column's value takes when SQLFetch leaves it in a buffer; 0 when it is read piece by piece.
SQLLEN BufferSize(const CFieldExchange::Column& column, const CODBCFieldInfo& info) {
    if (IsDouble(column)) return kNumberTextRoom;
    if (IsFixed(column)) return column.fixedSize;
    if (IsDateTime(column)) return kDateTimeTextRoom;
    if (column.text == nullptr || IsLongType(info.m_nSQLType) || info.m_nPrecision == 0 ||
        info.m_nPrecision > kLongestBoundText)
        return 0;
    return static_cast<SQLLEN>(info.m_nPrecision * kBytesPerCharacter + kRoomBesideCharacters);
}

// A text longer than its buffer (a database may store more than the declared size) is read again whole.
bool IsCut(const ColumnBuffer& buffer) {
    return buffer.indicator == SQL_NO_TOTAL || buffer.indicator >= static_cast<SQLLEN>(buffer.room.size());
}

std::string_view BufferedText(const ColumnBuffer& buffer) {
    return {buffer.room.data(), static_cast<size_t>(buffer.indicator)};
}

void ClearStorage(const CFieldExchange::Column& column) {
    if (column.text != nullptr)
        column.text->clear();
    else if (IsDateTime(column))
        *static_cast<Timestamp*>(column.fixed) = NullTimestamp();
    else
        std::memset(column.fixed, 0, static_cast<size_t>(column.fixedSize));
}

// Takes a bound column's value from its buffer. False when the column is null.
bool TakeBuffered(SQLHSTMT statement, SQLUSMALLINT number, const ColumnBuffer& buffer,
                  const CFieldExchange::Column& column, const std::string& sql) {
    if (buffer.indicator == SQL_NULL_DATA) {
        ClearStorage(column);
        return false;
    }
    if (IsBoundAsItself(column)) {
        std::memcpy(column.fixed, buffer.room.data(), static_cast<size_t>(column.fixedSize));
    } else if (IsCut(buffer)) {
        if (IsDouble(column)) return ReadNumber(statement, number, column, sql);
        return IsDateTime(column) ? ReadTimestamp(statement, number, *static_cast<Timestamp*>(column.fixed), sql)
                                  : ReadWhole(statement, number, SQL_C_CHAR, *column.text, sql);
    } else if (IsDouble(column)) {
        return StoreNumber(BufferedText(buffer), column);
    } else if (IsDateTime(column)) {
        *static_cast<Timestamp*>(column.fixed) = ParseTimestamp(BufferedText(buffer));
    } else {
        column.text->assign(BufferedText(buffer));
    }
    return true;
}

// Whether the column's buffer was made for storage of this kind and size.
bool Fits(const ColumnBuffer& buffer, const CFieldExchange::Column& column) {
    return !buffer.room.empty() && buffer.cType == BoundType(column) &&
           (!IsBoundAsItself(column) || static_cast<SQLLEN>(buffer.room.size()) == column.fixedSize);
}

}  // namespace

void BindColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql) {
    const SQLLEN size = impl.bindsColumns ? BufferSize(column, impl.columns[index]) : 0;
    if (size == 0) return;
    ColumnBuffer& buffer = impl.buffers[index];
    buffer.cType = BoundType(column);
    buffer.room.assign(static_cast<size_t>(size), 0);
    Check(SQLBindCol(impl.Handle(), static_cast<SQLUSMALLINT>(index + 1), buffer.cType, buffer.room.data(), size,
                     &buffer.indicator),
          SQL_HANDLE_STMT, impl.Handle(), sql);
}

void FetchColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql) {
    const auto number = static_cast<SQLUSMALLINT>(index + 1);
    const ColumnBuffer& buffer = impl.buffers[index];
    bool present = false;
    if (Fits(buffer, column))
        present = TakeBuffered(impl.Handle(), number, buffer, column, sql);
    else if (column.text != nullptr)
        present = ReadWhole(impl.Handle(), number, SQL_C_CHAR, *column.text, sql);
    else if (column.bytes != nullptr)
        present = ReadWhole(impl.Handle(), number, SQL_C_BINARY, *column.bytes, sql);
    else if (IsDateTime(column))
        present = ReadTimestamp(impl.Handle(), number, *static_cast<Timestamp*>(column.fixed), sql);
    else if (IsDouble(column))
        present = ReadNumber(impl.Handle(), number, column, sql);
    else
        present = ReadFixed(impl.Handle(), number, column, sql);
    impl.nullStatus[index] = present ? 0 : 1;
}

void FetchSkippedColumnStatus(CRecordset::Impl& impl, size_t index) {
    char probe[1];
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(impl.Handle(), static_cast<SQLUSMALLINT>(index + 1), SQL_C_BINARY, probe, 0, &indicator);
    Check(rc, SQL_HANDLE_STMT, impl.Handle(), {});
    impl.nullStatus[index] = indicator == SQL_NULL_DATA;
}

}  // namespace keltrov::db
