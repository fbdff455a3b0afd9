#pragma once

#include <QWidget>

// A horizontal percentage gauge: a black bar on white inside a single
// border, the percentage written in the middle. Range 0..100; any value is
// brought into that range.
class Gauge : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)
public:
    explicit Gauge(QWidget *parent = nullptr);

    int progress() const { return m_progress; }
    void setProgress(int value);
    // The text in the middle, such as "42%".
    QString text() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_progress = 0;
};
