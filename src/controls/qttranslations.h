#pragma once

#include <QLocale>

class QTranslator;

// Loads Qt's own translations (file dialogs, message-box buttons, the font
// dialog) for the locale, so that they speak the user's language. Returns
// the installed translator (owned by the application), or null when there is
// none for the locale (English, or the translations are not installed).
QTranslator *installQtTranslations(const QLocale &locale = QLocale());
