#pragma once

#include <QString>

// Windows layout identifiers (8 hexadecimal digits) for XKB layouts.
namespace xkblayout {

// One layout code ("us", "ru") with its variant ("dvorak", or empty). Only
// "us" without a variant is the US layout "00000409"; an unknown variant of a
// known layout gets an identifier in the range of user-defined layouts, an
// unknown layout "00000000".
QString windowsLayoutId(const QString &layout, const QString &variant);

// The identifier of XKB group `group` (from 0), given the comma-separated
// layouts and variants of _XKB_RULES_NAMES ("us,ru" and ",").
QString layoutIdForGroup(const QString &layouts, const QString &variants, int group);

} // namespace xkblayout
