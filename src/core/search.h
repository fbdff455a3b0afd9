#pragma once

#include <QString>
#include <QStringView>

// Searching the document: the one search routine shared by the search panel,
// find next and the Replace dialog, over a small set of editor operations.
namespace search {

struct Options
{
    bool wholeWord = false;
    bool matchCase = false;
};

// Outcome colours of the search field, as Windows colour values 0x00BBGGRR.
constexpr quint32 FoundColor = 0x00FFFFFF;    // white
constexpr quint32 NotFoundColor = 0x00C0C0FF; // red 255, green 192, blue 192

// Virtual-key code that asks for the next occurrence after the selection.
constexpr int FindNextKey = 13;

// Letters, digits and the underscore make up words; everything else
// delimits them.
bool isWordChar(QChar c);

// Position of the first occurrence of what in text that lies wholly within
// [start, start + length); -1 when there is none. A whole-word hit must not
// continue a word on either side: where the hit begins (ends) with a word
// character, the character before (after) it must not be one.
qsizetype find(QStringView text, QStringView what, qsizetype start, qsizetype length, Options options);
// The same, given also text.toCaseFolded() (kept by the caller across
// searches): a case-insensitive search then runs as a plain scan.
qsizetype find(QStringView text, QStringView folded, QStringView what, qsizetype start, qsizetype length,
               Options options);

// The editor operations a search needs, in character positions.
class Target
{
public:
    virtual ~Target() = default;
    virtual int selStart() const = 0;
    virtual int selLength() const = 0;
    virtual void setSelStart(int position) = 0;   // empty selection at position
    virtual void setSelLength(int length) = 0;    // from the current start, scrolled into view
    virtual int textLength() const = 0;
    virtual int find(const QString &what, int start, int length, Options options) = 0;
    virtual void replaceSelection(const QString &text) = 0; // outside the undo history
};

enum class Outcome { Found, NotFound, EmptyText };

// The search. key 13 asks for the next occurrence after the current
// selection and wraps to the start of the text once; any other key asks for
// the first occurrence at or after the start of the current selection.
// With nothing selected the search begins at the start of the text.
Outcome doFind(Target &target, const QString &what, int key, Options options);

// The colour the search field takes after a search with this outcome.
constexpr quint32 outcomeColor(Outcome outcome)
{
    return outcome == Outcome::NotFound ? NotFoundColor : FoundColor;
}

struct ReplaceAllResult
{
    QString text;        // the new text (empty and meaningless when count is 0)
    int count = 0;       // occurrences replaced
    qsizetype caret = 0; // just after the last inserted text
};

// Replaces every occurrence of what in text, scanning the original text from
// its start: each occurrence present before is replaced exactly once and the
// inserted text is never searched again. Whole-word boundaries are judged
// on the original text.
ReplaceAllResult replaceAll(QStringView text, QStringView what, QStringView with, Options options);

} // namespace search
