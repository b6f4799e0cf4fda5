#pragma once
// The binding of one column of the edited table to a control of the person form.
#include <string>
#include <vector>

struct FieldBinding {
    std::string strColumnName;  // field_N
    char cDataType = 0;         // first letter of the definition's data type
    char cInputStyle = 0;       // first letter of the input style; 'D' marks a date column
    char cControlKind = 0;      // 'C' combo box, 'D' date-time picker, 'E' any other, 0 no control
    std::string strDefault;     // new-record default
    int nControlId = 0;         // 0 when the column has no control
    std::string strNumbering;   // not empty: the column is numbered automatically
};

// The form definition turned into bindings, in definition order.
using BindingTable = std::vector<FieldBinding>;

// The control each column number (1 to 100) is shown in; 0 for no control.
int ControlForColumn(int columnNumber);
// The column number at the end of a column name: "field_7" gives 7, "field_12" 12, none 0.
int ColumnNumberOf(const std::string& columnName);

// How a column's value is converted, by the entry's data type letter in either case.
enum class ValueKind { Text, Number, Date, Other };
ValueKind KindOfDataType(char letter);
// A number in fixed notation with that many decimals ("%.*f"), every digit kept however large it is.
std::string FormatDecimals(double value, int places);
