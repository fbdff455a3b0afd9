#pragma once

#include "core/error.h"

#include <QString>

#include <exception>
#include <utility>

// The general error report: the error's message with a full stop added when
// it lacks one, captioned with the program's title, one OK button, stop icon.
void showErrorReport(const QString &message);
QString reportText(const QString &message);

// Runs an event handler's body; no exception ever crosses the event loop.
// Returns false when the body failed (the report has been shown).
template <typename F>
bool guarded(F &&body)
{
    try {
        std::forward<F>(body)();
        return true;
    } catch (const ZarvoError &e) {
        showErrorReport(e.message());
    } catch (const std::exception &e) {
        showErrorReport(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorReport(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}
