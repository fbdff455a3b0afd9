#include "controls/suggestionlist.h"

#include "core/suggestionmodel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

SuggestionList::SuggestionList(QWidget *parent)
    : QAbstractScrollArea(parent), m_model(new SuggestionModel(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    connect(m_model, &QAbstractItemModel::modelReset, this, &SuggestionList::modelReset);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

int SuggestionList::count() const
{
    return m_model->rowCount();
}

QString SuggestionList::itemText(int row) const
{
    if (row < 0 || row >= count())
        return {};
    return m_model->text(row);
}

void SuggestionList::setCurrentRow(int row)
{
    if (row < -1 || row >= count())
        row = -1;
    m_current = row;
    if (row >= 0)
        ensureVisible(row);
    viewport()->update();
}

int SuggestionList::topRow() const
{
    return verticalScrollBar()->value();
}

int SuggestionList::rowHeight() const
{
    return qMax(1, fontMetrics().height() + 1);
}

int SuggestionList::rowAt(int y) const
{
    if (y < 0)
        return -1;
    const qint64 row = qint64(topRow()) + y / rowHeight();
    return row < count() ? int(row) : -1;
}

QRect SuggestionList::visualRect(int row) const
{
    const int h = rowHeight();
    return QRect(0, (row - topRow()) * h, viewport()->width(), h);
}

QSize SuggestionList::sizeHint() const
{
    return QSize(121, 200);
}

QSize SuggestionList::minimumSizeHint() const
{
    return QSize(20, rowHeight() + 2 * frameWidth());
}

int SuggestionList::visibleRows() const
{
    return qMax(1, viewport()->height() / rowHeight());
}

void SuggestionList::updateScrollBar()
{
    const int page = visibleRows();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(page);
    bar->setRange(0, qMax(0, count() - page));
}

void SuggestionList::ensureVisible(int row)
{
    QScrollBar *bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
}

void SuggestionList::modelReset()
{
    // A refilled list shows its first items with nothing selected.
    m_current = -1;
    m_pressed = false;
    updateScrollBar();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void SuggestionList::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const int h = rowHeight();
    const int first = topRow() + event->rect().top() / h;
    const int last = qMin(count() - 1, topRow() + event->rect().bottom() / h);
    const int width = viewport()->width();
    const QPalette &pal = palette();
    painter.setFont(font());
    // The first nine in view carry the digit that takes them with Ctrl,
    // small and faint at the right edge; their words stop short of it.
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(std::max(5.0, small.pointSizeF() * 0.75));
    else
        small.setPixelSize(std::max(6, small.pixelSize() * 3 / 4));
    const int digitRoom = QFontMetrics(small).horizontalAdvance(QLatin1Char('9')) + 6;
    for (int row = first; row <= last; ++row) {
        const QRect r(0, (row - topRow()) * h, width, h);
        if (row == m_current) {
            painter.fillRect(r, pal.brush(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::HighlightedText));
        } else {
            painter.setPen(pal.color(QPalette::Text));
        }
        const int digit = row - topRow() + 1;
        int room = 2;
        if (digit <= 9) {
            painter.save();
            painter.setFont(small);
            QColor faint = painter.pen().color();
            faint.setAlphaF(0.45f);
            painter.setPen(faint);
            painter.drawText(r.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                             QString::number(digit));
            painter.restore();
            room = digitRoom;
        }
        painter.drawText(r.adjusted(2, 0, -room, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         m_model->text(row));
    }
}

void SuggestionList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void SuggestionList::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollBar();
        viewport()->update();
    }
}

void SuggestionList::keyPressEvent(QKeyEvent *event)
{
    const int n = count();
    int row = m_current;
    switch (event->key()) {
    case Qt::Key_Up: row = m_current < 0 ? 0 : m_current - 1; break;
    case Qt::Key_Down: row = m_current < 0 ? 0 : m_current + 1; break;
    case Qt::Key_PageUp: row = qMax(0, m_current - visibleRows() + 1); break;
    case Qt::Key_PageDown: row = (m_current < 0 ? 0 : m_current) + visibleRows() - 1; break;
    case Qt::Key_Home: row = 0; break;
    case Qt::Key_End: row = n - 1; break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    if (n == 0)
        return;
    row = qBound(0, row, n - 1);
    if (row == m_current)
        return;
    setCurrentRow(row);
    emit itemChosen(row);
}

void SuggestionList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int row = rowAt(event->position().toPoint().y());
    m_pressed = row >= 0;
    if (row >= 0)
        setCurrentRow(row);
}

void SuggestionList::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const int y = qBound(0, int(event->position().y()), viewport()->height() - 1);
    const int row = rowAt(y);
    if (row >= 0 && row != m_current)
        setCurrentRow(row);
}

void SuggestionList::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    // One choice per click: the item the button went up on.
    if (m_current >= 0)
        emit itemChosen(m_current);
}

void SuggestionList::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a click of its own.
    mousePressEvent(event);
}
