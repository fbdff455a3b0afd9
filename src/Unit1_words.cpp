#include "Unit1.h"

#include "Unit2.h"
#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"
#include "controls/suggestionlist.h"
#include "core/cp1251.h"
#include "core/delimiters.h"
#include "core/dictionaryfile.h"
#include "core/error.h"
#include "core/suggestionmodel.h"
#include "core/suggestions.h"
#include "textdict/textdict.h"

#include <QLineEdit>

namespace {
constexpr quint16 VK_CONTROL = 17;
}

void TForm1::setupSuggestions()
{
    connect(ListBox1, &SuggestionList::itemChosen, this, [this] { guarded([this] { ListBox1Click(); }); });
}

void TForm1::LoadDictionary(const QString &path)
{
    dictionaryfile::Parsed parsed;
    if (dictionaryfile::read(path, parsed) == dictionaryfile::Status::NotOpened) {
        showError(QStringLiteral("Не могу найти словарь ") + path);
        return;
    }
    Words = std::move(parsed.words);
    if (Form2 && Form2->Edit1)
        Form2->Edit1->setText(cp1251::decode(parsed.firstLine));
    if (parsed.invalidNumber)
        throw ZarvoError(QStringLiteral("Invalid numeric input"));
    Words.index(); // built now, not at the first keystroke
}

void TForm1::kursor_pomenalsa()
{
    UpdateCaretPanel();
    const int column = RichEdit1->caretColumn();
    if (column <= 0)
        return;
    const QString line = RichEdit1->line(RichEdit1->caretLine());
    const QStringView word = wordLeftOf(line, column, &IsDelimiter);
    if (!word.isEmpty())
        UpdateSuggestions(word.toString());
}

void TForm1::UpdateSuggestions(const QString &word)
{
    if (word.isEmpty())
        return;
    PrefixLen = int(word.size());
    QByteArray bytes;
    if (!cp1251::encode(word, bytes)) {
        // No dictionary word can begin with a character Windows-1251 lacks.
        ListBox1->model()->clear();
        return;
    }
    bytes = textdict::lowered(std::move(bytes));
    ListBox1->model()->setMatches(findMatches(Words, bytes));
}

namespace {
// The characters of a suggestion after the ones already typed.
QString completionTail(const SuggestionModel &model, int row, int prefixLen)
{
    const QByteArrayView w = model.wordBytes(row);
    return cp1251::decode(w.sliced(qBound(qsizetype(0), qsizetype(prefixLen), w.size())));
}
} // namespace

void TForm1::ListBox1Click()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= ListBox1->count())
        return;
    RichEdit1->replaceSelection(completionTail(*ListBox1->model(), row, PrefixLen));
    RichEdit1->setFocus();
}

void TForm1::ctrlCompletion(quint16 key)
{
    if (key != VK_CONTROL || ListBox1->count() == 0)
        return;
    RichEdit1->replaceSelection(completionTail(*ListBox1->model(), 0, PrefixLen));
}
