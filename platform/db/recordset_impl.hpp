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

// Where SQLFetch leaves a bound column's value; no room for a column read with SQLGetData.
struct ColumnBuffer {
    SQLSMALLINT cType = SQL_C_CHAR;
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
    std::vector<ColumnBuffer> buffers;
    bool bindsColumns = false;  // the driver lets bound columns be read again when they are cut
    bool bound = false;         // the buffers are bound to this result's columns
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

// Gives a column a buffer that SQLFetch fills, where it has a size to fit; the others stay unbound.
void BindColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql);
// Moves one column of the fetched row into its storage, reading it with SQLGetData where needed.
void FetchColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql);
// An unbound column is not fetched, but its null status still follows the row.
void FetchSkippedColumnStatus(CRecordset::Impl& impl, size_t index);

}  // namespace keltrov::db
