#pragma once

#include "core/completion.h"
#include "core/documentwords.h"
#include "core/fileio.h"
#include "core/fontdescription.h"
#include "core/learnedwords.h"
#include "core/recovery.h"
#include "core/search.h"
#include "core/shiftstate.h"
#include "core/textformat.h"
#include "core/wordlist.h"

#include <QMainWindow>

#include <memory>

class Editor;
class QAction;
class QCheckBox;
class QFileSystemWatcher;
class QMenu;
class QTimer;
class QFrame;
class QLabel;
class QSplitter;
class QStatusBar;
class ReplaceDialog;
class SearchEdit;
class SuggestionList;

namespace Ui { class TForm1; }

// The main window: the editor, the suggestion list, menus and documents.
// Its implementation is split by concern: Unit1.cpp (window, documents, font,
// help), Unit1_words.cpp (dictionary and suggestions), Unit1_search.cpp
// (search panel and replace), Unit1_settings.cpp (settings file).
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Runs FormCreate with the program's arguments (the first one, after the
    // program's name, is a document to open).
    explicit TForm1(const QStringList &arguments, QWidget *parent = nullptr);
    ~TForm1() override; // runs FormDestroy

    // Controls.
    Editor *RichEdit1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    SuggestionList *ListBox1 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Panel2 = nullptr;
    QLabel *Label1 = nullptr;
    SearchEdit *Edit1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanels[3] = {nullptr, nullptr, nullptr};
    ReplaceDialog *ReplaceDialog1 = nullptr;

    // State.
    QString FileName;
    WordList Words;
    int PrefixLen = 0;
    FontSpec FontDialog1; // the font dialog's font: the program's one font setting

    // Documents (Unit1_files.cpp).
    void OpenDocument(const QString &path);
    // Opens in the given encoding, or the one detected.
    void openDocumentIn(const QString &path, std::optional<textformat::Encoding> encoding);
    // The form the document is written back in (Unit1_encoding.cpp).
    const textformat::Layout &layout() const { return m_layout; }
    void reopenInEncoding(textformat::Encoding encoding);
    void setSaveEncoding(textformat::Encoding encoding, bool bom);
    void setLineEnds(textformat::LineEnd end);
    void SaveDocumentAs(const QString &path);
    // Writes the editor's text to path, asking first when the file there was
    // changed by another program since we read or wrote it. False when the
    // user declined; a write failure throws.
    bool saveDocument(const QString &path);
    // The save command: true when the document was written.
    bool saveCommand();
    // Before the document's unsaved edits would be thrown away: asks whether
    // to save them. True when the caller may go on (saved, or discarded by
    // choice, or nothing to lose); false to stop.
    bool confirmDiscard();
    // Offers the text of left-over recovery files: of the document just
    // opened, or (at a start without a document) of an untitled one.
    void offerRecovery(const QString &key);
    void offerOrphanRecovery();
    // Hands what changed since the last pause to the recovery file now.
    void snapshotForRecovery();
    // The recovery file of the document, once everything handed over is
    // written; empty when there is none.
    QString recoveryFile();

    // Looks at the document on disk and, when another program has changed,
    // removed or replaced it, tells the user and offers what fits.
    void checkDiskChange();
    void UpdateCaretPanel();

    // Menu handlers.
    void N1Click();  // Открыть
    void N2Click();  // Сохранить
    void N5Click();  // Сохранить как
    void N4Click();  // Выход
    void N7Click();  // Найти
    void N8Click();  // Найти далее
    void N10Click(); // Заменить
    void pomenyat_shrift();
    void N13Click(); // Словарь
    void Pokazat_help();
    void N14Click(); // О программе

    // Dictionary and suggestions (Unit1_words.cpp).
    void LoadDictionary(const QString &path);
    void kursor_pomenalsa();
    void UpdateSuggestions(const QString &word);
    void ListBox1Click();
    void ctrlCompletion(quint16 key);
    // Ctrl+1 ... Ctrl+9: the first to ninth suggestion in view; true when the key was one.
    bool ctrlDigitCompletion(quint16 key, TShiftState shift);

    // Completion from the document's own words and from the words the user
    // finishes (menu "Словарь"; off unless turned on).
    void setDocumentWords(bool on);
    void setLearning(bool on);
    bool documentWordsOn() const { return m_docWords != nullptr; }
    bool learningOn() const { return m_learning; }
    const DocumentWords *documentWords() const { return m_docWords.get(); }
    const LearnedWords &learnedWords() const { return m_learned; }
    // The file of the current dictionary's learned counts.
    QString learnedFile() const;
    // Forgets the current dictionary's learned counts, file included.
    void forgetLearnedWords();
    // Writes the learned counts now, when they changed.
    void saveLearnedWords();

    // Keys of the editor.
    void Memo1KeyDown(quint16 &key, TShiftState shift);

    // Search panel and replace (Unit1_search.cpp).
    // Finds as the search panel says and paints the field; returns what happened.
    search::Outcome DoFind(int key);
    void Panel2Click();
    void Edit1KeyDown(quint16 &key, TShiftState shift);
    void Edit1KeyUp(quint16 &key, TShiftState shift);
    void CheckBox1Click();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace();

    // Settings file (Unit1_settings.cpp).
    void readSettings();  // FormCreate steps 2-7
    void loadStoredDictionary(); // FormCreate step 9
    void writeSettings(); // FormDestroy

    // The font dialog's font as a QFont and colour for the screen.
    QFont dialogFont() const;
    QColor dialogFontColor() const;
    void applyFontToEditor();
    void applyFontToList();

    static int screenDpi();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QStringList &arguments);
    void FormDestroy();
    void FormActivate();
    void setupSuggestions(); // Unit1_words.cpp
    void noteTextForWords(int from, int removed, int added);
    void wordFinished(QByteArrayView lowered);
    void completeWith(int row);
    void loadLearnedFor(const QString &dictionary);
    void countDocumentWords();
    void prepareWordSet();
    void watchDelimiterField();
    void setupSearch();      // Unit1_search.cpp
    void setupFiles();       // Unit1_files.cpp
    void setupRecovery();    // Unit1_recovery.cpp
    void setupEncodingMenu(); // Unit1_encoding.cpp
    void updateEncodingMenu();
    void resetRecovery();
    void noteEditForRecovery(int from, int removed, int added);
    bool restoreFrom(const QString &file);
    void watchDocument();
    void reloadDocument();
    bool searchEventFilter(QObject *watched, QEvent *event); // Unit1_search.cpp
    search::Outcome findFromDialog();
    void updateCaption();
    void fitSearchPanel();

    Ui::TForm1 *ui;
    bool m_activeBefore = false;
    bool m_returningFromOutside = false;

    // The document's encoding, byte-order mark and line ends.
    textformat::Layout m_layout;
    bool m_encodingForced = false; // chosen by the user, not detected
    QMenu *m_encodingMenu = nullptr;
    // What the document's file held when we last read or wrote it.
    fileio::FileStamp m_diskStamp;
    // The change on disk the user has already been told of (not asked again).
    fileio::FileStamp m_diskToldOf;
    bool m_diskGoneTold = false;
    bool m_diskCheckRunning = false;
    QFileSystemWatcher *m_watcher = nullptr;

    // The document's words, while that option is on, and how many lines it
    // last had (an edit's old lines are the new ones less the difference).
    std::unique_ptr<DocumentWords> m_docWords;
    int m_docWordsLines = 0;
    // Finished words of the current dictionary, while learning is on.
    LearnedWords m_learned;
    bool m_learning = false;
    bool m_learnedDirty = false;
    QString m_learnedPath;
    QTimer *m_learnedSave = nullptr;
    QByteArray m_ctrlWord;                    // what the Ctrl press being held completed
    int m_completedEnd = -1;                  // where the last completion ended: a delimiter there finishes nothing new
    std::shared_ptr<const WordSet> m_wordSet; // the dictionary's words, while an option needs them
    QAction *m_docWordsItem = nullptr;
    QAction *m_learnItem = nullptr;

    // Recovery of unsaved edits after a crash.
    std::unique_ptr<recovery::Writer> m_recovery;
    QTimer *m_recoveryIdle = nullptr;     // after a pause in editing
    QTimer *m_recoveryDeadline = nullptr; // at the latest, however long editing goes on
    QList<recovery::Edit> m_recoveryEdits; // since the last pause
    qint64 m_recoveryEditChars = 0;
    bool m_recoveryStarted = false;   // this document's file has its base
    bool m_recoveryNeedsCopy = false; // the base must be a copy of the text
};

extern TForm1 *Form1;
