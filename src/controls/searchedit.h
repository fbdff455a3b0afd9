#pragma once

#include "core/shiftstate.h"

#include <QLineEdit>

#include <functional>

// The search field of the search panel. It hands key-down and key-up to the
// window with Windows virtual-key codes (a handler may change the code; 0
// marks the event handled), and selects all of its text when it gets the
// focus other than by a mouse click.
class SearchEdit : public QLineEdit
{
    Q_OBJECT
public:
    using KeyHandler = std::function<void(quint16 &key, TShiftState shift)>;

    using QLineEdit::QLineEdit;

    void setKeyDownHandler(KeyHandler handler) { m_keyDown = std::move(handler); }
    void setKeyUpHandler(KeyHandler handler) { m_keyUp = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    KeyHandler m_keyDown;
    KeyHandler m_keyUp;
};
