#pragma once
// Private to the database layer: what an open recordset holds, and how it reads a row's columns.
#include "platform/db/database_impl.hpp"
#include "platform/db/recordset.hpp"

namespace keltrov::db {

// How one column's storage is exchanged: its C type, and where the value lives.
struct CFieldExchange::Column {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT parameterType = SQL_VARCHAR;
    void* fixed = nullptr;  // storage of a fixed-size value
    SQLLEN fixedSize = 0;
    std::string* text = nullptr;
    std::vector<unsigned char>* bytes = nullptr;
    bool skipped = false;
};

// A column's value as a byte image, to compare before and after an edit and to bind as a parameter.
struct ColumnImage {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT parameterType = SQL_VARCHAR;
    std::string bytes;
    bool isNull = true;
    bool comparable = false;  // binary and unbound columns cannot identify a row
    bool present = false;

    // A setter may change the value of a null column without clearing its null status: that counts too.
    bool SameValue(const ColumnImage& other) const { return isNull == other.isNull && bytes == other.bytes; }
};

enum class EditMode { None, Edit, Add };

// How a column of the fetched row reaches its storage, chosen once when the columns are bound, so
// that a fetch does no choosing per value.
enum class FetchPath : unsigned char {
    NotExchanged,      // the derived class exchanges fewer columns: this one is left alone
    NullStatus,        // skipped by the derived class: only its null status follows the row
    InStorage,         // bound to the storage itself: SQLFetch leaves the value there
    BufferedText,      // bound to a text buffer, then moved to its storage
    BufferedNumber,    // a double bound as text, converted here
    BufferedDateTime,  // a date-time bound as text, parsed here
    Text,              // read whole with SQLGetData
    Bytes,
    Number,
    DateTime,
    Fixed,
};

// One result column: the storage it is exchanged with, how it is fetched, and the buffer SQLFetch
// fills when it is bound to one.
struct ColumnFetch {
    FetchPath path = FetchPath::NotExchanged;
    CFieldExchange::Column storage;
    std::vector<char> room;
    SQLLEN indicator = 0;
};

struct CRecordset::Impl {
    std::unique_ptr<StatementHandle> statement;
    // The result's columns: the ones the query lists, then the key columns added to identify rows.
    std::vector<CODBCFieldInfo> columns;
    size_t listed = 0;
    std::vector<std::string> keyNames;      // the table's key, as the update names it
    std::vector<size_t> keyColumns;         // where the result holds it; none when it does not
    std::vector<std::string> addedKeyText;  // the current row's values of the added key columns
    std::vector<char> nullStatus;
    std::vector<ColumnFetch> fetches;
    bool bindsColumns = false;     // the driver lets bound columns be read again when they are cut
    bool readsTimestamps = false;  // the driver converts timestamp columns to their structure itself
    bool bound = false;            // the buffers are bound to this result's columns
    bool open = false;
    bool eof = true;
    bool bof = true;
    bool readOnly = false;
    EditMode mode = EditMode::None;
    std::vector<ColumnImage> original;
    std::vector<ColumnImage> originalKey;
    std::vector<ColumnImage>* collecting = nullptr;

    SQLHSTMT Handle() const { return statement->get(); }
};

// What a null leaves in a column's storage: an empty text or byte string, the null date-time, zeros.
void ClearStorage(const CFieldExchange::Column& column);
// Chooses how a column is fetched into its storage and binds it where the driver allows it.
void BindColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql);
// Moves every column of the fetched row into its storage, reading with SQLGetData where needed.
void FetchColumns(CRecordset::Impl& impl, const std::string& sql);

}  // namespace keltrov::db
