#include "trap.h"

#include "apperror.h"
#include "productinfo.h"

QString ErrorReportText(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           ProductInfo::kSupportAddress;
}

void Trap::report(const std::exception_ptr& error)
{
    QString description;
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        description = e.description();
    } catch (const std::exception& e) {
        description = QString::fromLocal8Bit(e.what());
    } catch (...) {
        description = QStringLiteral("Unknown error");
    }
    dialogs_.messageBox(ErrorReportText(description, location_, line_),
                        QStringLiteral("Application Error"), MessageButtons::Ok,
                        MessageIcon::Warning);
}
