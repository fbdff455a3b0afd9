#include "Unit1.h"
#include "Unit2.h"
#include "controls/editor.h"
#include "controls/suggestionlist.h"
#include "core/delimiters.h"
#include "core/documentwords.h"
#include "core/error.h"
#include "fakedialogs.h"
#include "startup.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <QClipboard>
#include <QWheelEvent>

class TestSuggestionsWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path()); // the main window writes ./Zarvo.ini
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldDir); }

    void init()
    {
        createForms({QStringLiteral("zarvo")});
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        Form1->LoadDictionary(writeFile("d.slo", "+-*/;.\" ',!?()[]{}^p^t\r\n9 when\r\n8 where\r\n7 who\r\n6 When\r\n"));
        QCOMPARE(Form1->Words.size(), 4);
        Form1->RichEdit1->setFocus();
    }
    void cleanup() { destroyForms(); }

    void typingListsAndCtrlCompletes()
    {
        typeKeys("Whe");
        QCOMPARE(items(), (QStringList{"when", "where"}));
        QCOMPARE(Form1->PrefixLen, 3);
        QTest::keyClick(Form1->RichEdit1, Qt::Key_Control);
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("When"));
        QCOMPARE(items(), (QStringList{"when"}));
    }

    void caretMidWordUsesTheLeftPart()
    {
        Form1->RichEdit1->setText(QStringLiteral("whoever"));
        Form1->RichEdit1->setSelStart(2);
        QCOMPARE(items(), (QStringList{"when", "where", "who"}));
        QCOMPARE(Form1->PrefixLen, 2);
    }

    void ctrlWithEmptyListInsertsNothing()
    {
        typeKeys("x");
        QCOMPARE(Form1->ListBox1->count(), 0);
        QTest::keyClick(Form1->RichEdit1, Qt::Key_Control);
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("x"));
    }

    void blankAfterWordKeepsTheList()
    {
        typeKeys("whe ");
        QCOMPARE(items(), (QStringList{"when", "where"}));
        QTest::keyClick(Form1->RichEdit1, Qt::Key_Control);
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("whe n"));
    }

    void characterOutsideWindows1251MatchesNothing()
    {
        typeKeys("wh");
        QCOMPARE(Form1->ListBox1->count(), 3);
        Form1->UpdateSuggestions(QStringLiteral("wh\u4e00"));
        QCOMPARE(Form1->ListBox1->count(), 0);
        QTest::keyClick(Form1->RichEdit1, Qt::Key_Control);
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("wh"));
    }

    void arrowKeysAndClicksInsertOnce()
    {
        typeKeys("w");
        SuggestionList *list = Form1->ListBox1;
        QCOMPARE(list->count(), 3);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down); // selects "when"
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("when"));
        QVERIFY(Form1->RichEdit1->hasFocus());

        // The list now holds "when" alone; a click on it inserts its (empty) rest once.
        Form1->RichEdit1->setText(QString());
        typeKeys("w");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End); // "who"
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("who"));

        Form1->RichEdit1->setText(QString());
        typeKeys("wh");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(1).center());
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("where"));
        QVERIFY(Form1->RichEdit1->hasFocus());
        QCOMPARE(items(), (QStringList{"where"}));
    }

    void ctrlChordTakesBackItsCompletion_data()
    {
        QTest::addColumn<QString>("chord");
        QTest::newRow("Ctrl+C copies the selection") << "copy";
        QTest::newRow("Ctrl+wheel") << "wheel";
        QTest::newRow("Ctrl+click") << "click";
        QTest::newRow("Ctrl+Shift+Left") << "select";
    }
    void ctrlChordTakesBackItsCompletion()
    {
        QFETCH(QString, chord);
        Editor *e = Form1->RichEdit1;
        typeKeys("wh");
        e->select(0, 2); // the list is filled for the selection's end
        QCOMPARE(Form1->ListBox1->count(), 3);
        const int steps = e->document()->availableUndoSteps();

        QTest::keyPress(e, Qt::Key_Control);
        QCOMPARE(e->text(), QStringLiteral("en")); // the press completes, replacing the selection
        if (chord == "copy") {
            QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("wh"));
        } else if (chord == "wheel") {
            const QPoint at = e->viewport()->rect().center();
            QWheelEvent wheel(at, e->viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e->viewport(), &wheel);
        } else if (chord == "click") {
            QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(1, 1));
        } else {
            QTest::keyClick(e, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        }
        QTest::keyRelease(e, Qt::Key_Control);
        QCOMPARE(e->text(), QStringLiteral("wh"));
        if (chord == "copy" || chord == "wheel") {
            QCOMPARE(e->selStart(), 0);
            QCOMPARE(e->selLength(), 2);
        }
        // No step of its own is left: one undo takes the typing back.
        QCOMPARE(e->document()->availableUndoSteps(), steps);
        QVERIFY(!e->document()->isRedoAvailable());
        e->undoStep();
        QCOMPARE(e->text(), QString());
    }

    void ctrlWaitsForItsReleaseWhileRedoIsPossible()
    {
        Editor *e = Form1->RichEdit1;
        typeKeys("wh");
        e->undoStep();
        typeKeys("w");
        e->undoStep();
        QVERIFY(e->document()->isRedoAvailable());
        // Ctrl+Y redoes: the Ctrl press inserted nothing that would end the redo history.
        QTest::keyPress(e, Qt::Key_Control);
        QTest::keyClick(e, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyRelease(e, Qt::Key_Control);
        QCOMPARE(e->text(), QStringLiteral("w"));
        // A lone Ctrl then completes at its release.
        e->undoStep();
        typeKeys("wh");
        e->undoStep();
        e->document()->setPlainText(QString());
        typeKeys("wh");
        QTest::keyClick(e, Qt::Key_Control);
        QCOMPARE(e->text(), QStringLiteral("when"));
    }

    void loadFailures()
    {
        FakeDialogs dialogs;
        const QString missing = m_dir.filePath("missing.slo");
        Form1->LoadDictionary(missing);
        Form1->LoadDictionary(m_dir.path());
        QCOMPARE(dialogs.messageTexts(), (QStringList{QStringLiteral("Не могу найти словарь ") + missing,
                                                      QStringLiteral("Не могу найти словарь ") + m_dir.path()}));
        QCOMPARE(Form1->Words.size(), 4);

        bool thrown = false;
        try {
            Form1->LoadDictionary(writeFile("bad.slo", "ab^\r\n1 one\r\n2;two\r\n"));
        } catch (const ZarvoError &e) {
            thrown = e.message() == QStringLiteral("Invalid numeric input");
        }
        QVERIFY(thrown);
        QCOMPARE(Form1->Words.texts(), QStringList{"one"});
        QCOMPARE(Form2->Edit1->text(), QStringLiteral("ab^"));

        Form1->LoadDictionary(writeFile("empty.slo", ""));
        QVERIFY(Form1->Words.isEmpty());
        QCOMPARE(Form2->Edit1->text(), QString());
    }

    // Ctrl+1 ... Ctrl+9 take the first to ninth suggestion in view, after
    // taking back what the Ctrl press itself completed.
    void ctrlDigitTakesThatSuggestion_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Ctrl+1 as Ctrl alone") << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::ControlModifier) << "when";
        QTest::newRow("Ctrl+2") << int(Qt::Key_2) << Qt::KeyboardModifiers(Qt::ControlModifier) << "where";
        QTest::newRow("Ctrl+3") << int(Qt::Key_3) << Qt::KeyboardModifiers(Qt::ControlModifier) << "who";
        QTest::newRow("keypad Ctrl+2") << int(Qt::Key_2) << (Qt::ControlModifier | Qt::KeypadModifier) << "where";
        QTest::newRow("Ctrl+4: no fourth") << int(Qt::Key_4) << Qt::KeyboardModifiers(Qt::ControlModifier) << "wh";
    }
    void ctrlDigitTakesThatSuggestion()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        Editor *e = Form1->RichEdit1;
        typeKeys("wh");
        QTest::keyPress(e, Qt::Key_Control);
        QCOMPARE(e->text(), QStringLiteral("when"));
        QTest::keyClick(e, Qt::Key(key), modifiers);
        QTest::keyRelease(e, Qt::Key_Control);
        QCOMPARE(e->text(), text);
        if (text != QLatin1String("wh")) {
            e->undoStep(); // the completion is one step of its own
            QCOMPARE(e->text(), QStringLiteral("wh"));
        }
    }

    // The document's words follow every kind of edit: what is counted is
    // always what a fresh count of the text gives.
    void documentWordsFollowEdits()
    {
        Editor *e = Form1->RichEdit1;
        e->setText(QStringLiteral("whisky wharf\nwhisky"));
        Form1->setDocumentWords(true);
        const auto check = [e] {
            std::vector<QByteArray> got;
            for (const QByteArrayView w : Form1->documentWords()->startingWith("wh"))
                got.push_back(w.toByteArray());
            DocumentWords::LowerTable lower{};
            for (int b = 0; b < 256; ++b)
                lower[size_t(b)] = uchar(b >= 'A' && b <= 'Z' ? b + 32 : b);
            DocumentWords fresh(lower, DelimiterSet(Form2->Edit1->text()));
            fresh.reset(e->text());
            std::vector<QByteArray> want;
            for (const QByteArrayView w : fresh.startingWith("wh"))
                want.push_back(w.toByteArray());
            std::vector<QByteArray> sortedGot = got;
            std::sort(sortedGot.begin(), sortedGot.end());
            std::sort(want.begin(), want.end());
            if (sortedGot != want || Form1->documentWords()->lineCount() != e->document()->blockCount())
                qWarning() << "counted" << sortedGot << "in" << Form1->documentWords()->lineCount() << "lines; text"
                           << e->text() << "gives" << want;
            return sortedGot == want && Form1->documentWords()->lineCount() == e->document()->blockCount();
        };
        QVERIFY(check());
        e->setSelStart(int(e->text().size()));
        typeKeys(" whim");
        QTest::keyClick(e, Qt::Key_Return);
        typeKeys("whoa");
        QVERIFY(check());
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Backspace); // joins two lines
        QVERIFY(check());
        e->undoStep();
        QVERIFY(check());
        e->undoStep();
        QVERIFY(check());
        e->replaceAllText(QStringLiteral("whip\nwhip whisper\n\nwharf"), 0);
        QVERIFY(check());
        e->undoStep();
        QVERIFY(check());
        e->select(3, 12);
        e->replaceSelection(QStringLiteral("x\n\nwhey"));
        QVERIFY(check());

        // The list: the dictionary's words, then the document's it lacks.
        e->setText(QStringLiteral("wharf whisky wharf "));
        e->setSelStart(int(e->text().size()));
        typeKeys("wh");
        QCOMPARE(items(), (QStringList{"when", "where", "who", "wharf", "whisky"}));
        QTest::keyClick(e, Qt::Key_5, Qt::ControlModifier);
        QVERIFY(e->text().endsWith(QStringLiteral(" whisky")));
        Form1->setDocumentWords(false);
        e->setText(QStringLiteral("wharf wh"));
        e->setSelStart(8);
        QCOMPARE(items(), (QStringList{"when", "where", "who"}));
    }

    // Words finished twice move up; the counts live in a file of their own.
    void learningRanksFinishedWords()
    {
        Editor *e = Form1->RichEdit1;
        Form1->setLearning(true);
        Form1->forgetLearnedWords();
        e->setText(QStringLiteral("x\n")); // lines after the first share their block
        e->setSelStart(2);
        typeKeys("who who ");
        typeKeys("wh");
        QCOMPARE(items(), (QStringList{"who", "when", "where"}));
        typeKeys("arf.");
        typeKeys("wh");
        QCOMPARE(items(), (QStringList{"who", "when", "where", "wharf"})); // once: offered, not moved up
        // A Ctrl completion counts when the press ends without a chord.
        QTest::keyPress(e, Qt::Key_Control);
        QTest::keyRelease(e, Qt::Key_Control);
        QCOMPARE(Form1->learnedWords().count("who"), 3u);
        Form1->saveLearnedWords();
        const QString file = Form1->learnedFile();
        QVERIFY(QFile::exists(file));
        QVERIFY(!file.endsWith(QStringLiteral(".slo")));
        Form1->setLearning(false);
        e->setText(QStringLiteral("wh"));
        e->setSelStart(2);
        QCOMPARE(items(), (QStringList{"when", "where", "who"}));
        Form1->setLearning(true);
        QCOMPARE(Form1->learnedWords().count("who"), 3u); // read back with the dictionary
        Form1->forgetLearnedWords();
        QVERIFY(!QFile::exists(file));
        QVERIFY(Form1->learnedWords().isEmpty());
        Form1->setLearning(false);
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write");
        f.write(bytes);
        return path;
    }

    void typeKeys(const QString &text)
    {
        for (QChar c : text) {
            QTest::keyClick(Form1->RichEdit1, c.toLatin1(), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QCOMPARE(Form1->RichEdit1->text().right(text.size()), text);
    }

    static QStringList items()
    {
        QStringList out;
        for (int i = 0; i < Form1->ListBox1->count(); ++i)
            out.append(Form1->ListBox1->itemText(i));
        return out;
    }

    QTemporaryDir m_dir;
    QString m_oldDir;
};

QTEST_MAIN(TestSuggestionsWindow)
#include "tst_suggestions_window.moc"
