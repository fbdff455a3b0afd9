#pragma once

#include "core/shiftstate.h"

#include <QPlainTextEdit>

#include <functional>

// The document editor: plain text, no wrapping, and the operations the main
// window and the search need, in character positions. It reads and writes no
// files: the window hands it the text of a document.
class Editor : public QPlainTextEdit
{
    Q_OBJECT
public:
    using KeyHandler = std::function<void(quint16 &key, TShiftState shift)>;
    using SelectionHandler = std::function<void()>;

    explicit Editor(QWidget *parent = nullptr);

    // Text as a whole ("\n" between lines) and line by line.
    QString text() const;
    void setText(const QString &text);
    QStringList lines() const;
    QString line(int index) const;
    int lineCount() const;
    qsizetype textLength() const;

    // Caret = end of the selection; both from 0.
    int caretLine() const;
    int caretColumn() const;

    int selStart() const;
    int selLength() const;
    void setSelStart(int position);          // empty selection at position
    void setSelLength(int length);           // from the current start; caret scrolled into view
    void select(int start, int length);

    // Replaces the selection from the program, as one step of the undo history.
    void replaceSelection(const QString &text);
    // Replaces the selection as typing does (undoable).
    void typeText(const QString &text);

    // The whole text as text() gives it, kept until the document changes, so
    // that repeated searches in a large document do not copy it every time.
    const QString &cachedText() const;
    // Replaces the whole text as one undoable step, then puts the caret at
    // position (undo restores the text and the caret before it).
    void replaceAllText(const QString &text, int caret);

    void setTextColor(const QColor &color);
    QColor textColor() const;

    void setKeyDownHandler(KeyHandler handler) { m_keyDown = std::move(handler); }
    void setSelectionChangeHandler(SelectionHandler handler) { m_selectionChange = std::move(handler); }
    // Detaches and attaches the selection-change handler.
    void setSelectionChangeAttached(bool attached);
    bool selectionChangeAttached() const { return m_attached; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void noteSelection();

    KeyHandler m_keyDown;
    SelectionHandler m_selectionChange;
    bool m_attached = true;
    int m_lastAnchor = -1;
    int m_lastPosition = -1;
    mutable QString m_textCache;
    mutable bool m_textCacheValid = false;
};
