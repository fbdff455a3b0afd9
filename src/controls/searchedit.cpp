#include "controls/searchedit.h"

#include "controls/keydown.h"
#include "platform/vkeys.h"

#include <QFocusEvent>
#include <QKeyEvent>

void SearchEdit::keyPressEvent(QKeyEvent *event)
{
    if (!takeKeyDown(*event, m_keyDown))
        QLineEdit::keyPressEvent(event);
}

void SearchEdit::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats its press only; it is released once, at the end.
    if (event->isAutoRepeat()) {
        QLineEdit::keyReleaseEvent(event);
        return;
    }
    quint16 key = vkeys::virtualKey(*event);
    if (m_keyUp)
        m_keyUp(key, vkeys::shiftState(*event));
    if (key == 0) {
        event->accept();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

void SearchEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // A closing menu hands the focus back; that is no new focus for the field.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        selectAll();
}
