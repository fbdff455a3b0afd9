#include "Unit1.h"

#include "Unit2.h"
#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"
#include "controls/suggestionlist.h"
#include "core/cp1251.h"
#include "core/datapaths.h"
#include "core/delimiters.h"
#include "core/dictionaryfile.h"
#include "core/error.h"
#include "core/suggestionmodel.h"
#include "core/suggestions.h"
#include "textdict/textdict.h"
#include "ui_Form1.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace {
constexpr quint16 VK_CONTROL = 17;

// Lower case of every Windows-1251 byte, as the library gives it.
const DocumentWords::LowerTable &lowerTable()
{
    static const DocumentWords::LowerTable table = [] {
        DocumentWords::LowerTable t{};
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QByteArray lower = textdict::lowered(all);
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = b < lower.size() ? uchar(lower[b]) : uchar(b);
        return t;
    }();
    return table;
}

QByteArray loweredBytes(const QString &word)
{
    QByteArray bytes;
    if (!cp1251::encode(word, bytes))
        return {};
    return textdict::lowered(std::move(bytes));
}

DelimiterSet currentDelimiters()
{
    return DelimiterSet(Form2 && Form2->Edit1 ? Form2->Edit1->text() : defaultDelimiterSpec());
}
} // namespace

void TForm1::setupSuggestions()
{
    connect(ListBox1, &SuggestionList::itemChosen, this, [this] { guarded([this] { ListBox1Click(); }); });
    RichEdit1->setCtrlKeptHandler([this] {
        if (m_learning && !m_ctrlWord.isEmpty())
            wordFinished(m_ctrlWord);
        m_ctrlWord.clear();
    });
    connect(RichEdit1->document(), &QTextDocument::contentsChange, this,
            [this](int from, int removed, int added) { noteTextForWords(from, removed, added); });

    // Two check items of the menu "Словарь", after its first item.
    QMenu *menu = ui->N12;
    QAction *before = menu->actions().value(1);
    m_docWordsItem = new QAction(QStringLiteral("Слова из документа"), this);
    m_docWordsItem->setObjectName(QStringLiteral("DocWordsItem"));
    m_docWordsItem->setCheckable(true);
    m_learnItem = new QAction(QStringLiteral("Запоминать слова"), this);
    m_learnItem->setObjectName(QStringLiteral("LearnItem"));
    m_learnItem->setCheckable(true);
    menu->insertAction(before, m_docWordsItem);
    menu->insertAction(before, m_learnItem);
    connect(m_docWordsItem, &QAction::toggled, this, [this](bool on) { guarded([=, this] { setDocumentWords(on); }); });
    connect(m_learnItem, &QAction::toggled, this, [this](bool on) { guarded([=, this] { setLearning(on); }); });

    // Learned counts reach their file a little after the last change, and at the end.
    m_learnedSave = new QTimer(this);
    m_learnedSave->setSingleShot(true);
    m_learnedSave->setInterval(3000);
    connect(m_learnedSave, &QTimer::timeout, this, [this] { guarded([this] { saveLearnedWords(); }); });
}

void TForm1::setDocumentWords(bool on)
{
    if (m_docWordsItem && m_docWordsItem->isChecked() != on)
        m_docWordsItem->setChecked(on); // comes back here through the toggle
    if (on == documentWordsOn())
        return;
    if (on)
        countDocumentWords();
    else
        m_docWords.reset();
}

void TForm1::countDocumentWords()
{
    m_docWords = std::make_unique<DocumentWords>(lowerTable(), currentDelimiters());
    prepareWordSet();
    m_docWords->setDictionary(m_wordSet.get());
    m_docWords->reset(RichEdit1->document()->toRawText(), QChar::ParagraphSeparator);
    m_docWordsLines = RichEdit1->document()->blockCount();
}

void TForm1::prepareWordSet()
{
    // Built with the dictionary or the option, never at a keystroke.
    if (m_wordSet || (!m_docWords && !m_learning))
        return;
    m_wordSet = std::make_shared<const WordSet>(Words);
    if (m_docWords)
        m_docWords->setDictionary(m_wordSet.get());
}

void TForm1::watchDelimiterField()
{
    // Other delimiters split the document's words differently: count them anew.
    connect(Form2->Edit1, &QLineEdit::textChanged, this, [this] {
        if (m_docWords)
            countDocumentWords();
    });
}

void TForm1::noteTextForWords(int from, int removed, int added)
{
    QTextDocument *doc = RichEdit1->document();
    const int lines = doc->blockCount();
    if (m_docWords) {
        const QTextBlock first = doc->findBlock(from);
        QTextBlock last = doc->findBlock(from + added);
        if (!last.isValid())
            last = doc->lastBlock();
        const int firstLine = first.isValid() ? first.blockNumber() : 0;
        const int newCount = last.blockNumber() - firstLine + 1;
        const int oldCount = newCount - (lines - m_docWordsLines);
        if (newCount >= lines || oldCount < 0) {
            m_docWords->reset(doc->toRawText(), QChar::ParagraphSeparator); // the whole text (a document loaded)
        } else {
            std::vector<QString> texts;
            texts.reserve(size_t(newCount));
            for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next())
                texts.push_back(b.text());
            m_docWords->replaceLines(firstLine, oldCount, texts);
        }
    }
    m_docWordsLines = lines;

    // One typed delimiter (a line break included) finishes the word before it.
    if (m_learning && added == 1 && removed == 0) {
        const QChar c = doc->characterAt(from);
        const bool lineBreak = c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
        if ((lineBreak || IsDelimiter(c)) && from != m_completedEnd) {
            int column = 0;
            const QString line = RichEdit1->lineAt(from, &column);
            const QStringView word = wordLeftOf(line, column, &IsDelimiter);
            if (!word.isEmpty())
                wordFinished(loweredBytes(word.toString()));
        }
        m_completedEnd = -1;
    }
}

void TForm1::wordFinished(QByteArrayView lowered)
{
    if (lowered.isEmpty())
        return;
    m_learned.finished(lowered);
    m_learnedDirty = true;
    m_learnedSave->start();
}

namespace {
// The learned counts of a dictionary: named after its file, in the user's data.
QString learnedFileOf(const QString &dictionary)
{
    const QString name = dictionary.isEmpty() ? QStringLiteral("нет словаря") : QFileInfo(dictionary).fileName();
    return datapaths::current().learned + QLatin1Char('/') + name + QStringLiteral(".learned");
}
} // namespace

QString TForm1::learnedFile() const
{
    return learnedFileOf(DicPath);
}

void TForm1::loadLearnedFor(const QString &dictionary)
{
    saveLearnedWords();
    m_learnedPath = learnedFileOf(dictionary);
    m_learned.load(m_learnedPath);
    m_learnedDirty = false;
}

void TForm1::setLearning(bool on)
{
    if (m_learnItem && m_learnItem->isChecked() != on)
        m_learnItem->setChecked(on);
    if (on == m_learning)
        return;
    if (!on)
        saveLearnedWords();
    m_learning = on;
    prepareWordSet();
    if (on)
        loadLearnedFor(DicPath);
    else
        m_learned.clear();
}

void TForm1::saveLearnedWords()
{
    if (!m_learnedDirty || m_learnedPath.isEmpty())
        return;
    m_learnedDirty = false;
    QDir().mkpath(QFileInfo(m_learnedPath).path());
    m_learned.save(m_learnedPath);
}

void TForm1::forgetLearnedWords()
{
    m_learned.clear();
    m_learnedDirty = false;
    if (m_learnedSave)
        m_learnedSave->stop();
    QFile::remove(m_learnedPath.isEmpty() ? learnedFile() : m_learnedPath);
}

void TForm1::LoadDictionary(const QString &path)
{
    dictionaryfile::Parsed parsed;
    if (dictionaryfile::read(path, parsed) == dictionaryfile::Status::NotOpened) {
        showError(QStringLiteral("Не могу найти словарь ") + path);
        return;
    }
    Words = std::move(parsed.words);
    m_wordSet.reset();
    prepareWordSet();
    if (m_learning)
        loadLearnedFor(path);
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
    Matches matches = findMatches(Words, bytes);
    if (!m_docWords && !m_learning) {
        ListBox1->model()->setMatches(std::move(matches));
        return;
    }
    // The whole word at the caret: the document's words leave it out when it
    // is the only occurrence (the word being typed).
    int column = 0;
    const QString line = RichEdit1->lineAt(RichEdit1->selStart() + RichEdit1->selLength(), &column);
    qsizetype end = column;
    while (end < line.size() && !IsDelimiter(line.at(end)))
        ++end;
    const qsizetype start = std::max<qsizetype>(0, column - word.size());
    const QByteArray typed = loweredBytes(line.mid(start, end - start));
    ListBox1->model()->setItems(mergeSuggestions(std::move(matches), bytes, typed, m_wordSet.get(),
                                                 m_learning ? &m_learned : nullptr, m_docWords.get()));
}

namespace {
// The characters of a suggestion after the ones already typed.
QString completionTail(const SuggestionModel &model, int row, int prefixLen)
{
    const QByteArrayView w = model.wordBytes(row);
    return cp1251::decode(w.sliced(qBound(qsizetype(0), qsizetype(prefixLen), w.size())));
}
} // namespace

void TForm1::completeWith(int row)
{
    const QByteArray word = ListBox1->model()->wordBytes(row).toByteArray();
    RichEdit1->replaceSelection(completionTail(*ListBox1->model(), row, PrefixLen));
    if (m_learning) {
        wordFinished(word);
        m_completedEnd = RichEdit1->selStart();
    }
}

void TForm1::ListBox1Click()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= ListBox1->count())
        return;
    completeWith(row);
    RichEdit1->setFocus();
}

void TForm1::ctrlCompletion(quint16 key)
{
    if (key != VK_CONTROL || ListBox1->count() == 0)
        return;
    // Counted as finished only if the press ends without a chord.
    m_ctrlWord = ListBox1->model()->wordBytes(0).toByteArray();
    RichEdit1->replaceSelection(completionTail(*ListBox1->model(), 0, PrefixLen));
    m_completedEnd = RichEdit1->selStart();
}

bool TForm1::ctrlDigitCompletion(quint16 key, TShiftState shift)
{
    int n = 0;
    if (key >= '1' && key <= '9')
        n = key - '0';
    else if (key >= 0x61 && key <= 0x69) // the keypad's 1 to 9
        n = key - 0x60;
    if (n == 0 || shift != TShiftState(ShiftKey::Ctrl))
        return false;
    const int row = ListBox1->topRow() + n - 1;
    if (row < ListBox1->count())
        completeWith(row);
    return true;
}
