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
// layouts and variants ("us,ru" and ",").
QString layoutIdForGroup(const QString &layouts, const QString &variants, int group);

// The identifier of XKB group `group` (from 0) from the keymap's own symbols
// name ("pc+us+ru:2+inet(evdev)"); empty when the name does not tell.
QString layoutIdFromSymbols(const QString &symbols, int group);

// The identifier for a group's descriptive name in the keymap ("English
// (US)", "Russian"); empty when the name is not known.
QString layoutIdFromGroupName(const QString &name);

} // namespace xkblayout
