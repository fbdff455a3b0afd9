#include "controls/editor.h"

#include "platform/vkeys.h"

#include <QKeyEvent>
#include <QTextBlock>

#include <algorithm>

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

void Editor::replaceAllText(const QString &text, int caret)
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
    QTextCursor c(document());
    c.beginEditBlock();
    // Undo leaves the caret where the step's first edit was: a mark set and
    // taken away at the caret makes that the caret of before the replace.
    c.setPosition(textCursor().position());
    c.insertText(QStringLiteral("\u200b"));
    c.deletePreviousChar();
    if (head < before.size() - tail || head < text.size() - tail) {
        c.setPosition(int(head));
        c.setPosition(int(before.size() - tail), QTextCursor::KeepAnchor);
        c.insertText(toDocumentText(text.mid(head, text.size() - tail - head)));
    }
    c.endEditBlock();
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

void Editor::keyPressEvent(QKeyEvent *event)
{
    quint16 key = vkeys::virtualKey(*event);
    const TShiftState shift = vkeys::shiftState(*event);
    if (m_keyDown)
        m_keyDown(key, shift);
    if (key == 0) {
        event->accept();
        return;
    }
    // An Alt or Shift+Alt combination types nothing by itself: the handler
    // above has inserted the other layout's character, if any. Ctrl+Alt and
    // AltGr (no Alt flag) keep the platform's behaviour.
    const auto mods = event->modifiers();
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !event->text().isEmpty()
        && (event->text().at(0).isPrint() || event->text().at(0) == QLatin1Char('\t'))) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
