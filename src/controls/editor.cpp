#include "controls/editor.h"

#include "controls/keydown.h"
#include "platform/vkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTextBlock>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// QTextDocument spends about 11 us on every block it creates, so a text with
// hundreds of thousands of lines would take seconds to load. Lines of text
// set by the program are therefore grouped into blocks of this many lines,
// separated inside a block by U+2028; the editor's lines stay those of the text.
constexpr int kLinesPerBlock = 64;

QString toDocumentText(QString text)
{
    int n = 0;
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') && ++n % kLinesPerBlock)
            c = QChar::LineSeparator;
    }
    return text;
}

int linesIn(const QTextBlock &block)
{
    int count = block.userState();
    if (count <= 0) {
        count = int(block.text().count(QChar::LineSeparator)) + 1;
        QTextBlock(block).setUserState(count);
    }
    return count;
}

} // namespace

Editor::Editor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    setUndoRedoEnabled(true);

    // The selection stays visible while another control has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &Editor::noteSelection);
    connect(this, &QPlainTextEdit::selectionChanged, this, &Editor::noteSelection);
    connect(document(), &QTextDocument::contentsChange, this, [this](int from, int, int added) {
        m_textCacheValid = false;
        m_textCache.clear();
        // Keep each changed block's line count.
        for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= from + added;
             b = b.next())
            b.setUserState(int(b.text().count(QChar::LineSeparator)) + 1);
    });
}

QString Editor::text() const
{
    QString raw = document()->toRawText();
    for (QChar &c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return raw;
}

void Editor::setText(const QString &text)
{
    m_lastAnchor = m_lastPosition = -1;
    setPlainText(toDocumentText(text));
}

QStringList Editor::lines() const
{
    QStringList out;
    out.reserve(document()->blockCount());
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const QString t = b.text();
        for (const auto part : QStringView(t).split(QChar::LineSeparator))
            out.append(part.toString());
    }
    return out;
}

QString Editor::line(int index) const
{
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const int n = linesIn(b);
        if (index < n) {
            const QString t = b.text();
            return n == 1 ? t : t.section(QChar::LineSeparator, index, index);
        }
        index -= n;
    }
    return {};
}

int Editor::lineCount() const
{
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        n += linesIn(b);
    return n;
}

qsizetype Editor::textLength() const
{
    return document()->characterCount() - 1;
}

int Editor::caretLine() const
{
    const int end = textCursor().selectionEnd();
    const QTextBlock current = document()->findBlock(end);
    int line = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && b != current; b = b.next())
        line += linesIn(b);
    if (linesIn(current) > 1)
        line += int(QStringView(current.text()).left(end - current.position()).count(QChar::LineSeparator));
    return line;
}

QString Editor::lineAt(int position, int *column) const
{
    const QTextBlock block = document()->findBlock(position);
    QString t = block.text();
    const int inBlock = qBound(0, position - block.position(), int(t.size()));
    if (linesIn(block) == 1) {
        if (column)
            *column = inBlock;
        return t;
    }
    const int start = inBlock > 0 ? int(t.lastIndexOf(QChar::LineSeparator, inBlock - 1) + 1) : 0;
    qsizetype end = t.indexOf(QChar::LineSeparator, inBlock);
    if (end < 0)
        end = t.size();
    if (column)
        *column = inBlock - start;
    return t.mid(start, end - start);
}

int Editor::caretColumn() const
{
    const int end = textCursor().selectionEnd();
    const QTextBlock block = document()->findBlock(end);
    const int column = end - block.position();
    if (column == 0 || linesIn(block) == 1)
        return column;
    const QString t = block.text();
    return column - int(t.lastIndexOf(QChar::LineSeparator, column - 1) + 1);
}

int Editor::selStart() const
{
    return textCursor().selectionStart();
}

int Editor::selLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void Editor::setSelStart(int position)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, position, int(textLength())));
    setTextCursor(c);
}

void Editor::setSelLength(int length)
{
    select(selStart(), length);
}

void Editor::select(int start, int length)
{
    const int size = int(textLength());
    start = qBound(0, start, size);
    QTextCursor c = textCursor();
    c.setPosition(start);
    c.setPosition(qBound(start, start + qMax(0, length), size), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

void Editor::replaceSelection(const QString &text)
{
    // One step of the undo history of its own: it neither merges with the
    // typing around it nor clears what came before.
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.insertText(toDocumentText(text));
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}

void Editor::typeText(const QString &text)
{
    insertPlainText(text);
    ensureCursorVisible();
}

const QString &Editor::cachedText() const
{
    if (!m_textCacheValid || m_textCache.size() != textLength()) {
        m_textCache = text();
        m_textCacheValid = true;
    }
    return m_textCache;
}

Editor::Selection Editor::selection() const
{
    const QTextCursor c = textCursor();
    return {c.anchor(), c.position()};
}

void Editor::replaceAllText(const QString &text, int caret, std::optional<Selection> restoreOnUndo)
{
    // Only the span between the first and the last difference is replaced,
    // as one undoable step; its line breaks are grouped into blocks as a
    // loaded text's are, so the edit costs about what loading that span does.
    const QString &before = cachedText();
    const qsizetype common = std::min(before.size(), text.size());
    qsizetype head = 0;
    while (head < common && before.at(head) == text.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < common - head && before.at(before.size() - 1 - tail) == text.at(text.size() - 1 - tail))
        ++tail;
    const QTextCursor caretBefore = textCursor();
    QTextCursor c(document());
    c.beginEditBlock();
    if (head < before.size() - tail || head < text.size() - tail) {
        c.setPosition(int(head));
        c.setPosition(int(before.size() - tail), QTextCursor::KeepAnchor);
        c.insertText(toDocumentText(text.mid(head, text.size() - tail - head)));
    }
    c.endEditBlock();
    // Undo puts the caret where the change began; the step remembers where
    // the user had it, for undoStep().
    const Selection restore = restoreOnUndo.value_or(Selection{caretBefore.anchor(), caretBefore.position()});
    m_caretBeforeStep = {document()->availableUndoSteps(), restore.anchor, restore.position};
    c.setPosition(qBound(0, caret, int(textLength())));
    setTextCursor(c);
    ensureCursorVisible();
}

void Editor::setTextColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

QColor Editor::textColor() const
{
    return palette().color(QPalette::Text);
}

void Editor::setSelectionChangeAttached(bool attached)
{
    m_attached = attached;
    if (attached) {
        // Changes made while detached are not reported later.
        const QTextCursor c = textCursor();
        m_lastAnchor = c.anchor();
        m_lastPosition = c.position();
    }
}

void Editor::noteSelection()
{
    const QTextCursor c = textCursor();
    if (c.anchor() == m_lastAnchor && c.position() == m_lastPosition)
        return;
    m_lastAnchor = c.anchor();
    m_lastPosition = c.position();
    if (m_attached && m_selectionChange)
        m_selectionChange();
}

namespace {

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

void Editor::startCtrlPress()
{
    if (m_ctrlUndoBase >= 0)
        return; // auto-repeat of the same press
    const QTextCursor c = textCursor();
    m_ctrlUndoBase = document()->availableUndoSteps();
    m_ctrlAnchor = c.anchor();
    m_ctrlPosition = c.position();
    // Mouse buttons and the wheel anywhere in the program count as chords.
    qApp->installEventFilter(this);
}

void Editor::endCtrlPress()
{
    m_ctrlDeferred.reset();
    if (m_ctrlUndoBase < 0)
        return;
    m_ctrlUndoBase = -1;
    qApp->removeEventFilter(this);
}

void Editor::takeBackCtrlCompletion()
{
    if (m_ctrlUndoBase < 0)
        return;
    QTextDocument *doc = document();
    const int base = m_ctrlUndoBase;
    m_ctrlDeferred.reset();
    endCtrlPress();
    if (doc->availableUndoSteps() <= base)
        return;
    while (doc->availableUndoSteps() > base) {
        const int before = doc->availableUndoSteps();
        doc->undo();
        if (doc->availableUndoSteps() >= before)
            break;
    }
    doc->clearUndoRedoStacks(QTextDocument::RedoStack);
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, m_ctrlAnchor, int(textLength())));
    c.setPosition(qBound(0, m_ctrlPosition, int(textLength())), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

bool Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (m_ctrlUndoBase >= 0) {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent *>(event)->modifiers() & Qt::ControlModifier)
                takeBackCtrlCompletion();
        } else if (t == QEvent::Wheel) {
            if (static_cast<QWheelEvent *>(event)->modifiers() & Qt::ControlModifier)
                takeBackCtrlCompletion();
        }
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

void Editor::keyPressEvent(QKeyEvent *event)
{
    const int qtKey = event->key();
    if (qtKey == Qt::Key_Control) {
        startCtrlPress();
        // A completion now would end the redo history before Ctrl+Y or
        // Ctrl+Shift+Z could use it: with redo steps waiting, the press
        // completes at its release, when no chord has been made.
        if (document()->isRedoAvailable()) {
            m_ctrlDeferred = vkeys::shiftState(*event);
            event->accept();
            return;
        }
    } else if ((event->modifiers() & Qt::ControlModifier) && !isModifierKey(qtKey)) {
        takeBackCtrlCompletion();
    } else if (!(event->modifiers() & Qt::ControlModifier) && !isModifierKey(qtKey)) {
        endCtrlPress(); // its release went elsewhere
    }

    if (takeKeyDown(*event, m_keyDown))
        return;
    // Undo and redo by the keys users of every desktop expect, whatever
    // key scheme the platform's theme picks.
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (qtKey == Qt::Key_Z && mods == Qt::ControlModifier) {
        undoStep();
        event->accept();
        return;
    }
    if ((qtKey == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (qtKey == Qt::Key_Y && mods == Qt::ControlModifier)) {
        redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void Editor::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Control && !event->isAutoRepeat()) {
        const std::optional<TShiftState> deferred = std::exchange(m_ctrlDeferred, std::nullopt);
        // The press ends without a chord: what it completed stays.
        bool kept = m_ctrlUndoBase >= 0 && document()->availableUndoSteps() > m_ctrlUndoBase;
        endCtrlPress();
        if (deferred && m_keyDown) {
            const int before = document()->availableUndoSteps();
            quint16 key = VK::Control;
            m_keyDown(key, *deferred);
            kept = document()->availableUndoSteps() > before;
        }
        if (kept && m_ctrlKept)
            m_ctrlKept();
    }
    QPlainTextEdit::keyReleaseEvent(event);
}

void Editor::focusOutEvent(QFocusEvent *event)
{
    endCtrlPress();
    QPlainTextEdit::focusOutEvent(event);
}

void Editor::undoStep()
{
    const int steps = document()->availableUndoSteps();
    undo();
    if (m_caretBeforeStep.undoSteps == steps && steps > 0) {
        QTextCursor c = textCursor();
        c.setPosition(qBound(0, m_caretBeforeStep.anchor, int(textLength())));
        c.setPosition(qBound(0, m_caretBeforeStep.position, int(textLength())), QTextCursor::KeepAnchor);
        setTextCursor(c);
        ensureCursorVisible();
    }
}

bool Editor::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

void Editor::insertFromMimeData(const QMimeData *source)
{
    // An empty clipboard, one with no text (an image) or one whose owner has
    // gone pastes nothing; rich text pastes as its plain text.
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    if (text.isEmpty())
        return;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    replaceSelection(text);
}
