#include "controls/gauge.h"

#include <QPainter>

#include <algorithm>

Gauge::Gauge(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Gauge::setProgress(int value)
{
    value = std::clamp(value, 0, 100);
    if (value == m_progress)
        return;
    m_progress = value;
    update();
}

QString Gauge::text() const
{
    return QString::number(m_progress) + QLatin1Char('%');
}

QSize Gauge::sizeHint() const
{
    return {225, 25};
}

void Gauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect all = rect();
    p.fillRect(all, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(all.adjusted(0, 0, -1, -1));

    const QRect inner = all.adjusted(1, 1, -1, -1);
    const int filled = inner.width() * m_progress / 100;
    const QRect bar(inner.left(), inner.top(), filled, inner.height());
    p.fillRect(bar, Qt::black);

    // The text is black over the white part and white over the bar, so it
    // stays readable wherever the bar ends.
    const QString label = text();
    p.save();
    p.setClipRect(inner.adjusted(filled, 0, 0, 0));
    p.setPen(Qt::black);
    p.drawText(inner, Qt::AlignCenter, label);
    p.restore();
    if (filled > 0) {
        p.setClipRect(bar);
        p.setPen(Qt::white);
        p.drawText(inner, Qt::AlignCenter, label);
    }
}
