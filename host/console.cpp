#include "host/console.hpp"

#include "data/dyn_recordset.hpp"

namespace keltrov::host {

namespace {

void PrintRow(CDynRecordset& recordset, int columns, std::ostream& out, bool names) {
    for (int i = 0; i < columns; ++i) {
        if (i > 0) out << '\t';
        out << (names ? recordset.GetColumnName(i) : recordset.GetFieldValue(i).AsText());
    }
    out << '\n';
}

}  // namespace

void PrintQuery(db::CDatabase& db, const std::string& sql, std::ostream& out) {
    CDynRecordset recordset(&db);
    recordset.OpenSql(sql);
    const int columns = recordset.GetODBCFieldCount();
    PrintRow(recordset, columns, out, true);
    for (; !recordset.IsEOF(); recordset.MoveNext()) PrintRow(recordset, columns, out, false);
    recordset.Close();
}

}  // namespace keltrov::host
