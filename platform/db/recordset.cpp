#include "platform/db/recordset.hpp"

#include "platform/db/recordset_impl.hpp"
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

CFieldExchange::CFieldExchange(CRecordset& recordset, Operation operation)
    : m_nOperation(operation), m_recordset(recordset) {}

namespace {

void SetColumnNull(CRecordset::Impl& impl, size_t index, const CFieldExchange::Column& column) {
    impl.nullStatus[index] = 1;
    ClearStorage(column);
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
    if (index >= impl.listed) throw MakeLayerError("more fields exchanged than the result has", m_recordset.m_strSQL);
    switch (m_nOperation) {
        case BindFieldToColumn: BindColumn(impl, index, column, m_recordset.m_strSQL); break;
        case Fetch: break;  // the row's values reached their storage, as bound, before the exchange
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

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SameName(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

// The query as it runs, with the key of the table it reads: listed by the query, or added after its
// list; no key when the table has none or the query cannot carry one.
struct KeyedQuery {
    std::string sql;
    std::vector<std::string> key;
    std::vector<std::string> added;
};

bool Lists(const PlainSelect& select, const std::string& column, bool listedByStar) {
    return std::any_of(select.columns.begin(), select.columns.end(), [&](const std::string& listed) {
        return (listed == "*" && listedByStar) || SameName(listed, column);
    });
}

// The query with the columns added at the end of its select list.
std::string SelectAlso(const std::string& sql, const PlainSelect& select, const std::vector<std::string>& columns) {
    std::string added;
    for (const std::string& column : columns) added += ", " + column;
    return sql.substr(0, select.listEnd) + added + sql.substr(select.listEnd);
}

KeyedQuery WithRowKey(CDatabase::Impl& db, const std::string& sql) {
    const std::string table = SingleSourceTable(sql);
    const std::optional<PlainSelect> select = table.empty() ? std::nullopt : ReadPlainSelect(sql);
    if (!select) return {sql, {}, {}};
    const RowKey& key = db.RowKeyOf(Lower(table));
    KeyedQuery query{sql, key.columns, {}};
    for (const std::string& column : key.columns) {
        if (!Lists(*select, column, key.listedByStar)) query.added.push_back(column);
    }
    query.sql = SelectAlso(sql, *select, query.added);
    return query;
}

CODBCFieldInfo DescribeColumn(SQLHSTMT statement, SQLUSMALLINT number, const std::string& sql) {
    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
    SQLULEN size = 0;
    Check(SQLDescribeCol(statement, number, name, sizeof name, &nameLength, &type, &size, &scale, &nullable),
          SQL_HANDLE_STMT, statement, sql);
    CODBCFieldInfo info;
    info.m_strName = reinterpret_cast<const char*>(name);
    info.m_nSQLType = type;
    info.m_nPrecision = static_cast<unsigned long>(size);
    info.m_nScale = scale;
    info.m_nNullability = nullable;
    return info;
}

// Where the result holds each key column: a listed column of its name, or an added one; none when a
// listed one is not found by its name.
std::vector<size_t> KeyColumns(const CRecordset::Impl& impl, const KeyedQuery& query) {
    std::vector<size_t> positions;
    const auto listedEnd = impl.columns.begin() + static_cast<long>(impl.listed);
    for (const std::string& column : query.key) {
        const auto added = std::find(query.added.begin(), query.added.end(), column);
        if (added != query.added.end()) {
            positions.push_back(impl.listed + static_cast<size_t>(added - query.added.begin()));
            continue;
        }
        const auto listed = std::find_if(impl.columns.begin(), listedEnd,
                                         [&](const CODBCFieldInfo& info) { return SameName(info.m_strName, column); });
        if (listed == listedEnd) return {};
        positions.push_back(static_cast<size_t>(listed - impl.columns.begin()));
    }
    return positions;
}

}  // namespace

bool CRecordset::Open(unsigned /*openType*/, const std::string& sql, uint32_t options) {
    Close();
    if (m_pDatabase == nullptr || !m_pDatabase->IsOpen()) throw MakeLayerError("the database is not open", sql);
    Impl& impl = *m_impl;
    CDatabase::Impl& db = m_pDatabase->GetImpl();
    m_strSQL = sql;
    impl.readOnly = (options & readOnly) != 0;
    const KeyedQuery query = impl.readOnly ? KeyedQuery{sql, {}, {}} : WithRowKey(db, sql);
    const std::string translated = m_pDatabase->Translate(query.sql);
    impl.statement = std::make_unique<StatementHandle>(db.connection);
    // The recordset is a snapshot: rows changed while reading are not seen again. Where the database
    // does not give every query one, a static cursor does, at a cost in the driver.
    const SQLULEN cursor = db.dialect->QueriesReadOneSnapshot() ? SQL_CURSOR_FORWARD_ONLY : SQL_CURSOR_STATIC;
    Check(SQLSetStmtAttr(impl.Handle(), SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(cursor), 0), SQL_HANDLE_STMT,
          impl.Handle(), sql);
    const SQLRETURN rc = db.Execute(impl.Handle(), translated);
    if (!Succeeded(rc) && rc != SQL_NO_DATA) ThrowDBException(rc, sql);

    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(impl.Handle(), &count), SQL_HANDLE_STMT, impl.Handle(), sql);
    impl.columns.clear();
    for (SQLSMALLINT i = 0; i < count; ++i)
        impl.columns.push_back(DescribeColumn(impl.Handle(), static_cast<SQLUSMALLINT>(i + 1), sql));
    impl.listed = impl.columns.size() - std::min(query.added.size(), impl.columns.size());
    impl.keyNames = query.key;
    impl.keyColumns = KeyColumns(impl, query);
    impl.addedKeyText.assign(impl.columns.size() - impl.listed, {});
    impl.nullStatus.assign(impl.columns.size(), 1);
    impl.fetches.assign(impl.columns.size(), {});
    impl.bindsColumns = db.getsDataOfBoundColumns;
    impl.readsTimestamps = db.dialect->DriverReadsTimestamps();
    impl.bound = false;
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

namespace {

// The added key columns are read as texts and kept by the recordset itself.
CFieldExchange::Column AddedKeyColumn(CRecordset::Impl& impl, size_t index) {
    CFieldExchange::Column column;
    column.text = &impl.addedKeyText[index - impl.listed];
    return column;
}

void BindAllColumns(CRecordset& recordset) {
    CRecordset::Impl& impl = recordset.GetImpl();
    CFieldExchange bind(recordset, CFieldExchange::BindFieldToColumn);
    recordset.DoFieldExchange(&bind);
    for (size_t i = impl.listed; i < impl.columns.size(); ++i)
        BindColumn(impl, i, AddedKeyColumn(impl, i), recordset.m_strSQL);
}

}  // namespace

void CRecordset::Move(long rows, unsigned short fetchType) {
    Impl& impl = *m_impl;
    if (rows != 1 || fetchType != SQL_FETCH_NEXT)
        throw MakeLayerError("only single-row forward fetching is supported", m_strSQL);
    if (!impl.open || impl.eof) throw MakeLayerError("attempt to move past the end of the result", m_strSQL);
    impl.mode = EditMode::None;
    if (!impl.bound) {
        BindAllColumns(*this);
        impl.bound = true;
    }
    const SQLRETURN rc = SQLFetch(impl.Handle());
    if (rc == SQL_NO_DATA) {
        impl.eof = true;
        return;
    }
    if (!Succeeded(rc)) ThrowDBException(rc, m_strSQL);
    FetchColumns(impl, m_strSQL);
    CFieldExchange fetch(*this, CFieldExchange::Fetch);
    DoFieldExchange(&fetch);
}

short CRecordset::GetODBCFieldCount() const {
    return static_cast<short>(m_impl->listed);
}

void CRecordset::GetODBCFieldInfo(short index, CODBCFieldInfo& info) const {
    if (index < 0 || static_cast<size_t>(index) >= m_impl->listed)
        throw std::out_of_range("no column " + std::to_string(index) + " in the result");
    info = m_impl->columns[static_cast<size_t>(index)];
}

bool CRecordset::IsFieldStatusNull(int index) const {
    const auto& status = m_impl->nullStatus;
    return index < 0 || static_cast<size_t>(index) >= m_impl->listed || status[static_cast<size_t>(index)] != 0;
}

const std::vector<char>& CRecordset::GetFieldNullStatus() const {
    return m_impl->nullStatus;
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
    images.resize(recordset.GetImpl().listed);
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
    for (size_t i = 0; i < impl.listed; ++i) {
        const std::string& name = impl.columns[i].m_strName;
        if (name.empty() || !names.insert(name).second)
            throw MakeLayerError("the query's columns do not name the table's columns; its rows cannot be updated",
                                 recordset.m_strSQL);
    }
    return table;
}

// An added key column's value as a parameter of its own type, bound from its text.
ColumnImage AddedKeyImage(const CRecordset::Impl& impl, size_t index) {
    ColumnImage image;
    image.parameterType = impl.columns[index].m_nSQLType;
    image.bytes = impl.addedKeyText[index - impl.listed];
    image.isNull = impl.nullStatus[index] != 0;
    image.comparable = image.present = true;
    return image;
}

// The key of the current row as it was read; none when the table has none or the row has no usable value.
std::vector<ColumnImage> KeyImages(const CRecordset::Impl& impl) {
    std::vector<ColumnImage> key;
    for (size_t index : impl.keyColumns) {
        ColumnImage image = index < impl.listed ? impl.original[index] : AddedKeyImage(impl, index);
        if (!image.present || !image.comparable || image.isNull) return {};
        key.push_back(std::move(image));
    }
    return key;
}

// Parameters of one generated statement, kept alive until it has run.
class BoundStatement {
public:
    BoundStatement(CDatabase::Impl& db, std::string sql)
        : m_db(db), m_statement(db.connection), m_sql(std::move(sql)) {}

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
        const SQLRETURN rc = m_db.Execute(m_statement.get(), m_sql);
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
    CDatabase::Impl& m_db;
    StatementHandle m_statement;
    std::string m_sql;
    std::vector<const ColumnImage*> m_values;
    std::vector<SQLLEN> m_indicators;
};

// The where clause that finds the edited row, and the values its markers take.
struct RowCondition {
    std::string sql;
    std::vector<const ColumnImage*> values;

    void Add(const std::string& column, const ColumnImage& value) {
        sql += sql.empty() ? " where " : " and ";
        if (value.isNull) {
            sql += column + " is null";
        } else {
            sql += column + "=?";
            values.push_back(&value);
        }
    }
};

// Finds the edited row by its key, when it has one, and by every comparable value it had when it was
// fetched: a row another user changed meanwhile is not found.
RowCondition ConditionFor(const CRecordset::Impl& impl) {
    RowCondition condition;
    for (size_t k = 0; k < impl.originalKey.size(); ++k) condition.Add(impl.keyNames[k], impl.originalKey[k]);
    for (size_t i = 0; i < impl.listed; ++i) {
        const ColumnImage& value = impl.original[i];
        const bool inKey = !impl.originalKey.empty() &&
                           std::find(impl.keyColumns.begin(), impl.keyColumns.end(), i) != impl.keyColumns.end();
        if (value.present && value.comparable && !inKey) condition.Add(impl.columns[i].m_strName, value);
    }
    return condition;
}

std::string InsertStatement(const std::string& table, const std::string& columns, const std::string& markers) {
    return "insert into " + table + " (" + columns + ") values (" + markers + ")";
}

std::string CountStatement(const std::string& table, const RowCondition& condition) {
    return "select count(*) from " + table + condition.sql;
}

std::string UpdateStatement(const std::string& table, const std::string& assignments, const RowCondition& condition) {
    return "update " + table + " set " + assignments + condition.sql;
}

[[noreturn]] void ThrowUnidentified(long long matching, const std::string& sql) {
    throw MakeLayerError(
        "the row to update cannot be identified: " + std::to_string(matching) + " rows hold its values", sql);
}

void Insert(CDatabase::Impl& db, const CRecordset::Impl& impl, const std::string& table,
            const std::vector<ColumnImage>& current, const std::vector<size_t>& changed) {
    std::string names, markers;
    for (size_t i : changed) {
        names += (names.empty() ? "" : ",") + impl.columns[i].m_strName;
        markers += markers.empty() ? "?" : ",?";
    }
    BoundStatement insert(db, InsertStatement(table, names, markers));
    for (size_t i : changed) insert.Add(current[i]);
    insert.Run();
}

// Changes the edited row in one statement; its affected row count tells whether the row was found.
// Without a key, the row is counted first: the update would change every row that holds its values.
void UpdateRow(CDatabase::Impl& db, const CRecordset::Impl& impl, const std::string& table,
               const std::vector<ColumnImage>& current, const std::vector<size_t>& changed, const std::string& sql) {
    const RowCondition condition = ConditionFor(impl);
    const bool keyed = !impl.originalKey.empty();
    if (!keyed) {
        BoundStatement count(db, CountStatement(table, condition));
        for (const ColumnImage* value : condition.values) count.Add(*value);
        count.Run();
        if (const long long matching = count.FirstNumber(); matching != 1) ThrowUnidentified(matching, sql);
    }
    std::string assignments;
    for (size_t i : changed) assignments += (assignments.empty() ? "" : ",") + impl.columns[i].m_strName + "=?";
    BoundStatement update(db, UpdateStatement(table, assignments, condition));
    for (size_t i : changed) update.Add(current[i]);
    for (const ColumnImage* value : condition.values) update.Add(*value);
    update.Run();
    const SQLLEN changedRows = update.RowCount();
    if (changedRows == 1) return;
    if (keyed) ThrowUnidentified(changedRows, sql);
    throw MakeLayerError("the update did not change exactly one row", sql);
}

}  // namespace

void CRecordset::Edit() {
    UpdatableTable(*this);
    if (m_impl->eof) throw MakeLayerError("there is no current row to edit", m_strSQL);
    m_impl->original = Collect(*this);
    m_impl->originalKey = KeyImages(*m_impl);
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
    if (mode == EditMode::Add) {
        Insert(m_pDatabase->GetImpl(), impl, table, current, changed);
        return true;
    }
    UpdateRow(m_pDatabase->GetImpl(), impl, table, current, changed, m_strSQL);
    for (size_t i : changed) impl.nullStatus[i] = 0;
    return true;
}

}  // namespace keltrov::db
