#include "controls/searchedit.h"

#include "core/altlayout.h"
#include "platform/vkeys.h"

#include <QFocusEvent>
#include <QKeyEvent>

void SearchEdit::keyPressEvent(QKeyEvent *event)
{
    quint16 key = vkeys::virtualKey(*event);
    if (m_keyDown)
        m_keyDown(key, vkeys::shiftState(*event));
    if (key == 0) {
        event->accept();
        return;
    }
    if (altSuppressesText(event->modifiers(), event->text())) {
        event->accept();
        return;
    }
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
