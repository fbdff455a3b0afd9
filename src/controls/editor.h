#pragma once

#include "core/shiftstate.h"

#include <QPlainTextEdit>

#include <functional>
#include <optional>

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
    // The line holding a character position, and the position's column in it
    // (found through its block, not by counting the lines before it).
    QString lineAt(int position, int *column = nullptr) const;
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
    struct Selection
    {
        int anchor = 0;
        int position = 0;
    };
    Selection selection() const;

    // Replaces the whole text as one undoable step, then puts the caret at
    // caret. Undoing it (undoStep) restores the text and the selection of
    // before, or `before` when given (a command that moved the selection
    // on its way).
    void replaceAllText(const QString &text, int caret, std::optional<Selection> before = std::nullopt);

    void setTextColor(const QColor &color);
    QColor textColor() const;

    void setKeyDownHandler(KeyHandler handler) { m_keyDown = std::move(handler); }
    // Called when a Ctrl press is released without a chord after its key-down
    // inserted something: the completion is the user's to keep.
    void setCtrlKeptHandler(std::function<void()> handler) { m_ctrlKept = std::move(handler); }
    void setSelectionChangeHandler(SelectionHandler handler) { m_selectionChange = std::move(handler); }
    // Detaches and attaches the selection-change handler.
    void setSelectionChangeAttached(bool attached);
    bool selectionChangeAttached() const { return m_attached; }

    // Undoes one step; after a whole-text replacement the caret and the
    // selection come back as they were before it.
    void undoStep();

    // Takes back whatever the Ctrl press being held has inserted: text,
    // selection and caret as before the press, no step left in the undo
    // history. Runs by itself when another key, a mouse button or the wheel
    // is used while Ctrl is held, before that chord acts.
    void takeBackCtrlCompletion();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void noteSelection();
    void startCtrlPress();
    void endCtrlPress();

    KeyHandler m_keyDown;
    std::function<void()> m_ctrlKept;
    SelectionHandler m_selectionChange;
    bool m_attached = true;
    int m_lastAnchor = -1;
    int m_lastPosition = -1;
    // While Ctrl is held after its press: the undo history's length and the
    // selection before the press; -1 when no Ctrl press is being held.
    int m_ctrlUndoBase = -1;
    int m_ctrlAnchor = 0;
    int m_ctrlPosition = 0;
    // Where the caret was before the whole-text replacement that made the
    // undo history this long.
    struct CaretBeforeStep
    {
        int undoSteps = -1;
        int anchor = 0;
        int position = 0;
    } m_caretBeforeStep;
    // A Ctrl press whose completion waits for its release (with its modifiers).
    std::optional<TShiftState> m_ctrlDeferred;
    mutable QString m_textCache;
    mutable bool m_textCacheValid = false;
};
