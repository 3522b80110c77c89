#pragma once

#include "dialogs.h"

#include <QString>
#include <exception>

// The text of the "Application Error" box.
QString ErrorReportText(const QString& description, const QString& location, int line);

// The error trap of one handler: each numbered statement runs through it; a failure is reported
// with the statement's number and the handler goes on with the next statement.
class Trap
{
public:
    Trap(Dialogs& dialogs, QString location) : dialogs_(dialogs), location_(std::move(location)) {}

    // Runs one numbered statement; statements sharing a number use the same line.
    template <class Statement> void at(int line, Statement&& statement)
    {
        line_ = line;
        try {
            statement();
        } catch (...) {
            report(std::current_exception());
        }
    }

    // Runs the test of a conditional; a failed test counts as true, so its branch runs next.
    template <class Condition> bool test(int line, Condition&& condition)
    {
        line_ = line;
        try {
            return static_cast<bool>(condition());
        } catch (...) {
            report(std::current_exception());
            return true;
        }
    }

    int line() const { return line_; }
    const QString& location() const { return location_; }

private:
    void report(const std::exception_ptr& error);

    Dialogs& dialogs_;
    QString location_;
    int line_ = 0;
};
