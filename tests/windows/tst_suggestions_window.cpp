#include "Unit1.h"
#include "Unit2.h"
#include "controls/editor.h"
#include "controls/suggestionlist.h"
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
