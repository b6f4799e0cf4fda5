#pragma once

#include <stdexcept>

namespace keltrov::sheet {

// What the sheet refuses, with the reason in the user's language. The automation entry and the
// control turn each into the error their callers expect.
class SheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Formula text that does not parse.
class FormulaError : public SheetError {
public:
    using SheetError::SheetError;
};

// A workbook image that cannot be loaded.
class LoadError : public SheetError {
public:
    using SheetError::SheetError;
};

// A request past what the sheet holds: a cell off the sheet, too long a text, too many styles.
class LimitError : public SheetError {
public:
    using SheetError::SheetError;
};

}  // namespace keltrov::sheet
