#pragma once

#include <functional>

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class ShellList;
class SpinEdit;

namespace Ui { class TForm2; }

// The dictionary window: lists the dictionary folder and selects, creates,
// deletes and copies in dictionaries; holds the delimiter specification and
// the minimum word length of the next build. A separate top-level window owned
// by the main window; closing it only hides it.
class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    // Controls.
    ShellList *ShellListView1 = nullptr;
    ShellList *ShellListView2 = nullptr; // the ready dictionaries, shown when there are any
    QFrame *Panel1 = nullptr;
    QPushButton *Button4 = nullptr; // Выбрать
    QPushButton *Button1 = nullptr; // Создать
    QPushButton *Button2 = nullptr; // Удалить
    QPushButton *Button3 = nullptr; // Копировать
    QPushButton *Button5 = nullptr; // Забыть: the learned words of the current dictionary
    QFrame *Panel2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr;   // the delimiter specification
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *BitBtn1 = nullptr; // По умолчанию
    QLabel *Label1 = nullptr;
    QSpinBox *SpinEdit1 = nullptr; // the minimum word length (a SpinEdit)

    // The user's dictionary folder: `slo` beside the executable, or in the
    // user's data folder for an installed copy.
    static QString dictionaryFolder();
    // The selected item of either list; empty when none.
    QString selectedPath() const;

    // Commands.
    void Button4Click(); // select
    void Button1Click(); // create
    void Button2Click(); // delete
    void Button3Click(); // copy in
    void BitBtn1Click(); // default delimiters
    void Button5Click(); // forget learned words

    // IsDelimiter's answer for the field's current text.
    bool isDelimiter(QChar c);

    // What selecting a dictionary does with it (the main window's
    // LoadDictionary); this window knows nothing of the main window.
    using DictionaryLoader = std::function<void(const QString &path)>;
    void setDictionaryLoader(DictionaryLoader loader) { m_loadDictionary = std::move(loader); }
    // What forgetting the learned words does (the main window's).
    void setLearnedForgetter(std::function<void()> forget) { m_forgetLearned = std::move(forget); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    static bool isShipped(const QString &path);
    QString runOpenDialog(const QString &title);

    Ui::TForm2 *ui;
    QString m_lastChosen; // the open-file dialog opens on the file chosen last
    DictionaryLoader m_loadDictionary;
    std::function<void()> m_forgetLearned;
    struct DelimiterCache;
    DelimiterCache *m_delimiters;
};

// Path of the current dictionary; empty when none.
extern QString DicPath;
extern TForm2 *Form2;

// True when c is one of the characters the current delimiter specification
// (the text of Form2->Edit1 at this moment) stands for.
bool IsDelimiter(QChar c);
