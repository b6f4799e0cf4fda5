#pragma once
// The one exception of the database layer: the return code, the statement, and the driver's text.
#include <stdexcept>
#include <string>

namespace keltrov::db {

class DbException : public std::runtime_error {
public:
    DbException(short returnCode, std::string sqlState, long nativeError, std::string errorText, std::string statement);

    short ReturnCode() const { return m_returnCode; }
    // SQLSTATE of the first diagnostic record ("HY000" when the layer itself refuses).
    const std::string& SqlState() const { return m_sqlState; }
    long NativeError() const { return m_nativeError; }
    // Every diagnostic record of the driver, as the driver words it.
    const std::string& ErrorText() const { return m_errorText; }
    const std::string& Statement() const { return m_statement; }
    // TRUE when another connection's lock made the statement give up waiting.
    bool IsBusy() const;

private:
    short m_returnCode;
    std::string m_sqlState;
    long m_nativeError;
    std::string m_errorText;
    std::string m_statement;
};

}  // namespace keltrov::db
