#include "platform/db/recordset.hpp"

#include "platform/db/database_impl.hpp"
#include "platform/db/sql_tokens.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <set>
#include <utility>

namespace keltrov::db {

Timestamp NullTimestamp() {
    return Timestamp{99, 99, 99, 99, 99, 99, 0};
}

namespace {

// Reads the decimal digits at `at` (at most `maxDigits`) and moves past them; -1 when there are none.
long ReadNumber(std::string_view text, size_t& at, size_t maxDigits) {
    long number = 0;
    size_t digits = 0;
    for (; at < text.size() && digits < maxDigits && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++digits)
        number = number * 10 + (text[at] - '0');
    return digits == 0 ? -1 : number;
}

bool Skip(std::string_view text, size_t& at, std::string_view separators) {
    if (at >= text.size() || separators.find(text[at]) == std::string_view::npos) return false;
    ++at;
    return true;
}

// "HH:MM[:SS[.fraction]]" at `at`, up to the end of the text.
bool ParseTimeOfDay(std::string_view text, size_t at, Timestamp& value) {
    const long hour = ReadNumber(text, at, 2);
    if (hour < 0 || hour > 23 || !Skip(text, at, ":")) return false;
    const long minute = ReadNumber(text, at, 2);
    if (minute < 0 || minute > 59) return false;
    long second = 0, fraction = 0;
    if (Skip(text, at, ":")) {
        second = ReadNumber(text, at, 2);
        if (second < 0 || second > 61) return false;
        if (Skip(text, at, ".")) {
            const size_t first = at;
            fraction = std::max(ReadNumber(text, at, 9), 0L);
            for (size_t digits = at - first; digits < 9; ++digits) fraction *= 10;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
        }
    }
    if (at != text.size()) return false;
    value.hour = static_cast<uint16_t>(hour);
    value.minute = static_cast<uint16_t>(minute);
    value.second = static_cast<uint16_t>(second);
    value.fraction = static_cast<uint32_t>(fraction);
    return true;
}

bool ParseDate(std::string_view text, size_t& at, Timestamp& value) {
    const long year = ReadNumber(text, at, 4);
    if (year < 0 || !Skip(text, at, "-/")) return false;
    const long month = ReadNumber(text, at, 2);
    if (month < 1 || month > 12 || !Skip(text, at, "-/")) return false;
    const long day = ReadNumber(text, at, 2);
    if (day < 1 || day > 31) return false;
    value.year = static_cast<int16_t>(year);
    value.month = static_cast<uint16_t>(month);
    value.day = static_cast<uint16_t>(day);
    return true;
}

// A time of day alone takes today's date, as ODBC converts a time to a timestamp.
Timestamp Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    Timestamp today;
    today.year = static_cast<int16_t>(local.tm_year + 1900);
    today.month = static_cast<uint16_t>(local.tm_mon + 1);
    today.day = static_cast<uint16_t>(local.tm_mday);
    return today;
}

}  // namespace

Timestamp ParseTimestamp(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    Timestamp value;
    size_t at = 0;
    if (text.find(':') == 2 || text.find(':') == 1) {
        value = Today();
        return ParseTimeOfDay(text, 0, value) ? value : Timestamp{};
    }
    if (!ParseDate(text, at, value)) return Timestamp{};
    if (at == text.size()) return value;
    if (!Skip(text, at, " T") || !ParseTimeOfDay(text, at, value)) return Timestamp{};
    return value;
}

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

namespace {

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

}  // namespace

struct CRecordset::Impl {
    std::unique_ptr<StatementHandle> statement;
    std::vector<CODBCFieldInfo> columns;
    std::vector<char> nullStatus;
    bool open = false;
    bool eof = true;
    bool bof = true;
    bool readOnly = false;
    EditMode mode = EditMode::None;
    std::vector<ColumnImage> original;
    std::vector<ColumnImage>* collecting = nullptr;

    SQLHSTMT Handle() const { return statement->get(); }
};

CFieldExchange::CFieldExchange(CRecordset& recordset, Operation operation)
    : m_nOperation(operation), m_recordset(recordset) {}

namespace {

constexpr size_t kPieceSize = 8192;

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

bool ReadFixed(SQLHSTMT statement, SQLUSMALLINT column, const CFieldExchange::Column& storage, const std::string& sql) {
    SQLLEN indicator = 0;
    Check(SQLGetData(statement, column, storage.cType, storage.fixed, storage.fixedSize, &indicator), SQL_HANDLE_STMT,
          statement, sql);
    if (indicator != SQL_NULL_DATA) return true;
    std::memset(storage.fixed, 0, static_cast<size_t>(storage.fixedSize));
    return false;
}

// Fetches one column of the current row into its storage; columns are read in order, none bound,
// which every driver supports.
void FetchColumn(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column, const std::string& sql) {
    const auto number = static_cast<SQLUSMALLINT>(index + 1);
    bool present = false;
    if (column.text != nullptr)
        present = ReadWhole(impl.Handle(), number, SQL_C_CHAR, *column.text, sql);
    else if (column.bytes != nullptr)
        present = ReadWhole(impl.Handle(), number, SQL_C_BINARY, *column.bytes, sql);
    else if (column.cType == SQL_C_TYPE_TIMESTAMP)
        present = ReadTimestamp(impl.Handle(), number, *static_cast<Timestamp*>(column.fixed), sql);
    else
        present = ReadFixed(impl.Handle(), number, column, sql);
    impl.nullStatus[index] = present ? 0 : 1;
}

// An unbound column is not fetched, but its null status still follows the row.
void FetchSkippedColumnStatus(CRecordset::Impl& impl, size_t index) {
    char probe[1];
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(impl.Handle(), static_cast<SQLUSMALLINT>(index + 1), SQL_C_BINARY, probe, 0, &indicator);
    Check(rc, SQL_HANDLE_STMT, impl.Handle(), {});
    impl.nullStatus[index] = indicator == SQL_NULL_DATA;
}

void SetColumnNull(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column) {
    impl.nullStatus[index] = 1;
    if (column.text != nullptr)
        column.text->clear();
    else if (column.bytes != nullptr)
        column.bytes->clear();
    else if (column.cType == SQL_C_TYPE_TIMESTAMP)
        *static_cast<Timestamp*>(column.fixed) = NullTimestamp();
    else if (column.fixed != nullptr)
        std::memset(column.fixed, 0, static_cast<size_t>(column.fixedSize));
}

ColumnImage ImageOf(const CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column) {
    ColumnImage image;
    image.present = !column.skipped;
    if (column.skipped) return image;
    image.cType = column.cType;
    image.parameterType = column.parameterType;
    image.isNull = impl.nullStatus[index] != 0;
    // Date-times are kept in several text forms by some drivers, so they cannot identify a row either.
    image.comparable = column.bytes == nullptr && column.cType != SQL_C_TYPE_TIMESTAMP;
    if (column.text != nullptr)
        image.bytes = *column.text;
    else if (column.bytes != nullptr)
        image.bytes.assign(column.bytes->begin(), column.bytes->end());
    else
        image.bytes.assign(static_cast<const char*>(column.fixed), static_cast<size_t>(column.fixedSize));
    return image;
}

}  // namespace

void CFieldExchange::Exchange(const Column& column) {
    CRecordset::Impl& impl = m_recordset.GetImpl();
    const auto index = static_cast<size_t>(m_nextColumn++);
    if (index >= impl.columns.size())
        throw MakeLayerError("more fields exchanged than the result has", m_recordset.m_strSQL);
    switch (m_nOperation) {
        case Fetch:
            if (column.skipped)
                FetchSkippedColumnStatus(impl, index);
            else
                FetchColumn(impl, index, column, m_recordset.m_strSQL);
            break;
        case SetFieldNull: SetColumnNull(impl, index, column); break;
        case CollectValues: impl.collecting->push_back(ImageOf(impl, index, column)); break;
    }
}

namespace {

template <typename T>
CFieldExchange::Column FixedColumn(T& value, SQLSMALLINT cType, SQLSMALLINT parameterType) {
    CFieldExchange::Column column;
    column.cType = cType;
    column.parameterType = parameterType;
    column.fixed = &value;
    column.fixedSize = sizeof(T);
    return column;
}

}  // namespace

void RFX_Bool(CFieldExchange* pFX, const std::string& /*name*/, int32_t& value) {
    pFX->Exchange(FixedColumn(value, SQL_C_SLONG, SQL_INTEGER));
}

void RFX_Byte(CFieldExchange* pFX, const std::string& /*name*/, unsigned char& value) {
    pFX->Exchange(FixedColumn(value, SQL_C_UTINYINT, SQL_TINYINT));
}

void RFX_Long(CFieldExchange* pFX, const std::string& /*name*/, int32_t& value) {
    pFX->Exchange(FixedColumn(value, SQL_C_SLONG, SQL_INTEGER));
}

void RFX_Single(CFieldExchange* pFX, const std::string& /*name*/, float& value) {
    pFX->Exchange(FixedColumn(value, SQL_C_FLOAT, SQL_REAL));
}

void RFX_Double(CFieldExchange* pFX, const std::string& /*name*/, double& value) {
    pFX->Exchange(FixedColumn(value, SQL_C_DOUBLE, SQL_DOUBLE));
}

void RFX_Date(CFieldExchange* pFX, const std::string& /*name*/, Timestamp& value) {
    static_assert(sizeof(Timestamp) == sizeof(SQL_TIMESTAMP_STRUCT));
    pFX->Exchange(FixedColumn(value, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP));
}

void RFX_Text(CFieldExchange* pFX, const std::string& /*name*/, std::string& value) {
    CFieldExchange::Column column;
    column.text = &value;
    pFX->Exchange(column);
}

void RFX_Binary(CFieldExchange* pFX, const std::string& /*name*/, std::vector<unsigned char>& value) {
    CFieldExchange::Column column;
    column.cType = SQL_C_BINARY;
    column.parameterType = SQL_LONGVARBINARY;
    column.bytes = &value;
    pFX->Exchange(column);
}

void RFX_Skip(CFieldExchange* pFX) {
    CFieldExchange::Column column;
    column.skipped = true;
    pFX->Exchange(column);
}

CRecordset::CRecordset(CDatabase* database) : m_pDatabase(database), m_impl(std::make_unique<Impl>()) {}

CRecordset::~CRecordset() = default;

bool CRecordset::Open(unsigned /*openType*/, const std::string& sql, uint32_t options) {
    Close();
    if (m_pDatabase == nullptr || !m_pDatabase->IsOpen()) throw MakeLayerError("the database is not open", sql);
    Impl& impl = *m_impl;
    m_strSQL = sql;
    impl.readOnly = (options & readOnly) != 0;
    const std::string translated = m_pDatabase->Translate(sql);
    impl.statement = std::make_unique<StatementHandle>(m_pDatabase->GetImpl().connection);
    // A static cursor is the snapshot: rows changed while reading are not seen again.
    Check(SQLSetStmtAttr(impl.Handle(), SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0),
          SQL_HANDLE_STMT, impl.Handle(), sql);
    const SQLRETURN rc =
        SQLExecDirect(impl.Handle(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(translated.c_str())), SQL_NTS);
    if (!Succeeded(rc) && rc != SQL_NO_DATA) ThrowDBException(rc, sql);

    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(impl.Handle(), &count), SQL_HANDLE_STMT, impl.Handle(), sql);
    impl.columns.assign(static_cast<size_t>(count), {});
    for (SQLSMALLINT i = 0; i < count; ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeCol(impl.Handle(), static_cast<SQLUSMALLINT>(i + 1), name, sizeof name, &nameLength, &type,
                             &size, &scale, &nullable),
              SQL_HANDLE_STMT, impl.Handle(), sql);
        CODBCFieldInfo& info = impl.columns[static_cast<size_t>(i)];
        info.m_strName = reinterpret_cast<const char*>(name);
        info.m_nSQLType = type;
        info.m_nPrecision = static_cast<unsigned long>(size);
        info.m_nScale = scale;
        info.m_nNullability = nullable;
    }
    impl.nullStatus.assign(impl.columns.size(), 1);
    impl.open = true;
    impl.eof = false;
    if (count == 0) {
        impl.eof = impl.bof = true;
        return true;
    }
    Move(1, SQL_FETCH_NEXT);
    impl.bof = impl.eof;
    return true;
}

void CRecordset::Close() {
    Impl& impl = *m_impl;
    impl.statement.reset();
    impl.open = false;
    impl.eof = impl.bof = true;
    impl.mode = EditMode::None;
}

bool CRecordset::IsOpen() const {
    return m_impl->open;
}

bool CRecordset::IsEOF() const {
    return m_impl->eof;
}

bool CRecordset::IsBOF() const {
    return m_impl->bof;
}

void CRecordset::MoveNext() {
    Move(1, SQL_FETCH_NEXT);
}

void CRecordset::Move(long rows, unsigned short fetchType) {
    Impl& impl = *m_impl;
    if (rows != 1 || fetchType != SQL_FETCH_NEXT)
        throw MakeLayerError("only single-row forward fetching is supported", m_strSQL);
    if (!impl.open || impl.eof) throw MakeLayerError("attempt to move past the end of the result", m_strSQL);
    impl.mode = EditMode::None;
    const SQLRETURN rc = SQLFetch(impl.Handle());
    if (rc == SQL_NO_DATA) {
        impl.eof = true;
        return;
    }
    if (!Succeeded(rc)) ThrowDBException(rc, m_strSQL);
    CFieldExchange fetch(*this, CFieldExchange::Fetch);
    DoFieldExchange(&fetch);
}

short CRecordset::GetODBCFieldCount() const {
    return static_cast<short>(m_impl->columns.size());
}

void CRecordset::GetODBCFieldInfo(short index, CODBCFieldInfo& info) const {
    info = m_impl->columns.at(static_cast<size_t>(index));
}

bool CRecordset::IsFieldStatusNull(int index) const {
    const auto& status = m_impl->nullStatus;
    return index < 0 || static_cast<size_t>(index) >= status.size() || status[static_cast<size_t>(index)] != 0;
}

void CRecordset::ThrowDBException(short returnCode, const std::string& sql) {
    const std::string& statement = sql.empty() ? m_strSQL : sql;
    if (m_impl->statement) throw MakeOdbcError(returnCode, SQL_HANDLE_STMT, m_impl->Handle(), statement);
    throw MakeLayerError("recordset error", statement);
}

namespace {

std::vector<ColumnImage> Collect(CRecordset& recordset) {
    std::vector<ColumnImage> images;
    recordset.GetImpl().collecting = &images;
    CFieldExchange collect(recordset, CFieldExchange::CollectValues);
    recordset.DoFieldExchange(&collect);
    recordset.GetImpl().collecting = nullptr;
    images.resize(recordset.GetImpl().columns.size());
    return images;
}

// The table the recordset reads, when its rows can be written back at all.
std::string UpdatableTable(const CRecordset& recordset) {
    const CRecordset::Impl& impl = recordset.GetImpl();
    if (!impl.open) throw MakeLayerError("the recordset is not open", recordset.m_strSQL);
    if (impl.readOnly) throw MakeLayerError("the recordset is read-only", recordset.m_strSQL);
    std::string table = SingleSourceTable(recordset.m_strSQL);
    if (table.empty())
        throw MakeLayerError("the query does not read a single table; its rows cannot be updated", recordset.m_strSQL);
    std::set<std::string> names;
    for (const auto& column : impl.columns) {
        if (column.m_strName.empty() || !names.insert(column.m_strName).second)
            throw MakeLayerError("the query's columns do not name the table's columns; its rows cannot be updated",
                                 recordset.m_strSQL);
    }
    return table;
}

// Parameters of one generated statement, kept alive until it has run.
class BoundStatement {
public:
    BoundStatement(SQLHDBC connection, std::string sql) : m_statement(connection), m_sql(std::move(sql)) {}

    void Add(const ColumnImage& image) { m_values.push_back(&image); }

    void Run() {
        m_indicators.resize(m_values.size());
        for (size_t i = 0; i < m_values.size(); ++i) {
            const ColumnImage& value = *m_values[i];
            m_indicators[i] = value.isNull ? SQL_NULL_DATA : static_cast<SQLLEN>(value.bytes.size());
            const SQLULEN size = std::max<SQLULEN>(value.bytes.size(), 1);
            Check(SQLBindParameter(m_statement.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, value.cType,
                                   value.parameterType, size, 0, const_cast<char*>(value.bytes.data()),
                                   static_cast<SQLLEN>(value.bytes.size()), &m_indicators[i]),
                  SQL_HANDLE_STMT, m_statement.get(), m_sql);
        }
        const SQLRETURN rc =
            SQLExecDirect(m_statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(m_sql.c_str())), SQL_NTS);
        if (rc != SQL_NO_DATA) Check(rc, SQL_HANDLE_STMT, m_statement.get(), m_sql);
    }

    SQLLEN RowCount() {
        SQLLEN rows = 0;
        Check(SQLRowCount(m_statement.get(), &rows), SQL_HANDLE_STMT, m_statement.get(), m_sql);
        return rows;
    }

    long long FirstNumber() {
        long long value = 0;
        SQLLEN indicator = 0;
        Check(SQLFetch(m_statement.get()), SQL_HANDLE_STMT, m_statement.get(), m_sql);
        Check(SQLGetData(m_statement.get(), 1, SQL_C_SBIGINT, &value, sizeof value, &indicator), SQL_HANDLE_STMT,
              m_statement.get(), m_sql);
        return value;
    }

private:
    StatementHandle m_statement;
    std::string m_sql;
    std::vector<const ColumnImage*> m_values;
    std::vector<SQLLEN> m_indicators;
};

struct RowCondition {
    std::string sql;
    std::vector<const ColumnImage*> values;
};

// Identifies the edited row by every comparable value it had when it was fetched.
RowCondition ConditionFor(const std::vector<CODBCFieldInfo>& columns, const std::vector<ColumnImage>& original) {
    RowCondition condition;
    for (size_t i = 0; i < columns.size(); ++i) {
        const ColumnImage& value = original[i];
        if (!value.present || !value.comparable) continue;
        condition.sql += condition.sql.empty() ? " where " : " and ";
        if (value.isNull) {
            condition.sql += columns[i].m_strName + " is null";
        } else {
            condition.sql += columns[i].m_strName + "=?";
            condition.values.push_back(&value);
        }
    }
    return condition;
}

}  // namespace

void CRecordset::Edit() {
    UpdatableTable(*this);
    if (m_impl->eof) throw MakeLayerError("there is no current row to edit", m_strSQL);
    m_impl->original = Collect(*this);
    m_impl->mode = EditMode::Edit;
}

void CRecordset::AddNew() {
    UpdatableTable(*this);
    CFieldExchange setNull(*this, CFieldExchange::SetFieldNull);
    DoFieldExchange(&setNull);
    m_impl->original = Collect(*this);
    m_impl->mode = EditMode::Add;
}

void CRecordset::CancelUpdate() {
    m_impl->mode = EditMode::None;
}

bool CRecordset::Update() {
    Impl& impl = *m_impl;
    if (impl.mode == EditMode::None) throw MakeLayerError("Update without Edit or AddNew", m_strSQL);
    const std::string table = UpdatableTable(*this);
    std::vector<ColumnImage> current = Collect(*this);
    std::vector<size_t> changed;
    for (size_t i = 0; i < current.size(); ++i) {
        if (!current[i].present || current[i].SameValue(impl.original[i])) continue;
        current[i].isNull = false;  // a value that was given is no longer null
        changed.push_back(i);
    }
    const EditMode mode = std::exchange(impl.mode, EditMode::None);
    if (changed.empty()) return false;
    SQLHDBC connection = m_pDatabase->GetImpl().connection;

    if (mode == EditMode::Add) {
        std::string names, marks;
        for (size_t i : changed) {
            names += (names.empty() ? "" : ",") + impl.columns[i].m_strName;
            marks += marks.empty() ? "?" : ",?";
        }
        BoundStatement insert(connection, "insert into " + table + " (" + names + ") values (" + marks + ")");
        for (size_t i : changed) insert.Add(current[i]);
        insert.Run();
        return true;
    }

    const RowCondition condition = ConditionFor(impl.columns, impl.original);
    BoundStatement count(connection, "select count(*) from " + table + condition.sql);
    for (const ColumnImage* value : condition.values) count.Add(*value);
    count.Run();
    const long long matching = count.FirstNumber();
    if (matching != 1)
        throw MakeLayerError(
            "the row to update cannot be identified: " + std::to_string(matching) + " rows hold its values", m_strSQL);
    std::string assignments;
    for (size_t i : changed) assignments += (assignments.empty() ? "" : ",") + impl.columns[i].m_strName + "=?";
    BoundStatement update(connection, "update " + table + " set " + assignments + condition.sql);
    for (size_t i : changed) update.Add(current[i]);
    for (const ColumnImage* value : condition.values) update.Add(*value);
    update.Run();
    if (update.RowCount() != 1) throw MakeLayerError("the update did not change exactly one row", m_strSQL);
    for (size_t i : changed) impl.nullStatus[i] = 0;
    return true;
}

}  // namespace keltrov::db
