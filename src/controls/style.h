#pragma once

#include <QProxyStyle>

// The application style: Alt alone never moves the focus to the menu bar,
// so that an Alt+key typed in the other layout leaves the focus in place.
class ZarvoStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
