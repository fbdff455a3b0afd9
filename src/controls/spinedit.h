#pragma once

#include <QSpinBox>

// A spin field whose text may be typed freely: value() is the integer the
// text reads as, or 0 when it reads as none. The limits bind the arrows at
// once and a typed value when the field loses focus (brought to the nearer
// limit). Set the limits with setLimits(), not setRange(): the underlying
// range stays the whole int range so that a typed value is kept as typed.
class SpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit SpinEdit(QWidget *parent = nullptr);

    void setLimits(int lowest, int highest);
    int lowest() const { return m_lowest; }
    int highest() const { return m_highest; }

    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    void fixup(QString &input) const override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int bounded(qint64 value) const;

    int m_lowest = 0;
    int m_highest = 99;
};
