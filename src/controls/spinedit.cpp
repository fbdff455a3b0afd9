#include "controls/spinedit.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

SpinEdit::SpinEdit(QWidget *parent) : QSpinBox(parent)
{
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    setValue(0);
}

void SpinEdit::setLimits(int lowest, int highest)
{
    m_lowest = lowest;
    m_highest = std::max(lowest, highest);
}

int SpinEdit::bounded(qint64 value) const
{
    return int(std::clamp<qint64>(value, m_lowest, m_highest));
}

void SpinEdit::stepBy(int steps)
{
    setValue(bounded(qint64(value()) + steps));
    selectAll();
}

QValidator::State SpinEdit::validate(QString &, int &) const
{
    // Any text may stand in the field; it counts as 0 when no integer.
    return QValidator::Acceptable;
}

int SpinEdit::valueFromText(const QString &text) const
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

void SpinEdit::fixup(QString &) const {}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() < m_highest)
        enabled |= StepUpEnabled;
    if (value() > m_lowest)
        enabled |= StepDownEnabled;
    return enabled;
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    QSpinBox::focusOutEvent(event);
    const int v = bounded(value());
    if (v != value())
        setValue(v);
}
