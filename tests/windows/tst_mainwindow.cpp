#include "Unit1.h"
#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/qttranslations.h"
#include "controls/suggestionlist.h"
#include "core/document.h"
#include "core/recovery.h"
#include "fakedialogs.h"
#include "startup.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "testfiles.h"

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;
    std::unique_ptr<FakeDialogs> m_fake;

    QStringList messages() const { return m_fake->messageTexts(); }
    QStringList titles() const
    {
        QStringList out;
        for (const auto &r : m_fake->fileRequests)
            out << (r.save ? QStringLiteral("save:") : QStringLiteral("open:")) + r.title;
        return out;
    }

    void start(const QStringList &args = {})
    {
        createForms(QStringList{QStringLiteral("zarvo")} + args);
    }

private slots:
    void init()
    {
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_fake = std::make_unique<FakeDialogs>();
    }
    void cleanup()
    {
        destroyForms();
        m_fake.reset();
        QDir::setCurrent(m_oldCwd);
    }

    void commandLineDocument_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::newRow("relative") << QStringLiteral("doc.txt");
        QTest::newRow("relative with folder") << QStringLiteral("./sub/../doc.txt");
        QTest::newRow("absolute") << QString();
    }
    void commandLineDocument()
    {
        QFETCH(QString, arg);
        testfiles::write("doc.txt", "\xcf\xf0\xe8\xe2\xe5\xf2\r\nworld\r\n");
        QDir().mkdir("sub");
        if (arg.isEmpty())
            arg = QDir::current().absoluteFilePath("doc.txt");
        start({arg, QStringLiteral("ignored.txt")});
        QCOMPARE(Form1->windowTitle(), arg);
        QCOMPARE(Form1->FileName, arg);
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("Привет\nworld\n"));
        QVERIFY(messages().isEmpty());
    }

    void missingCommandLineDocument()
    {
        start({QStringLiteral("nothing-here.txt")});
        QCOMPARE(messages(), QStringList{QStringLiteral("Файл не существует")});
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Zarvo"));
        QVERIFY(Form1->FileName.isEmpty());
        QVERIFY(Form1->RichEdit1->text().isEmpty());
    }

    void failedOpenThroughTheMenu()
    {
        testfiles::write("a.txt", "first");
        start({QStringLiteral("a.txt")});
        Form1->RichEdit1->moveCursor(QTextCursor::End);
        QDir().mkdir("folder");
        m_fake->fileAnswers << QDir::current().absoluteFilePath("folder");
        Form1->findChild<QAction *>("N1")->trigger();
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().first().endsWith('.'));
        QCOMPARE(Form1->FileName, QStringLiteral("a.txt"));
        QCOMPARE(Form1->windowTitle(), QStringLiteral("a.txt"));
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("first"));
        QVERIFY(Form1->RichEdit1->selectionChangeAttached());
        Form1->RichEdit1->setSelStart(0);
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("1: 1"));
    }

    void saveUntitledAsksWithTheOpenDialog()
    {
        start();
        Form1->RichEdit1->setText(QStringLiteral("abc\nдом"));
        const QString target = QDir::current().absoluteFilePath("new.txt");
        m_fake->fileAnswers << target;
        Form1->findChild<QAction *>("N2")->trigger();
        QCOMPARE(titles(), QStringList{QStringLiteral("open:Сохранить файл")});
        QCOMPARE(testfiles::read(target), QByteArray("abc\r\n\xe4\xee\xec"));
        QCOMPARE(Form1->windowTitle(), target);

        // A titled document saves without asking.
        Form1->RichEdit1->setText(QStringLiteral("x"));
        Form1->findChild<QAction *>("N2")->trigger();
        QCOMPARE(titles().size(), 1);
        QCOMPARE(testfiles::read(target), QByteArray("x"));
    }

    void saveAsUsesTheSaveDialog()
    {
        start();
        m_fake->fileAnswers << QDir::current().absoluteFilePath("as.txt");
        Form1->findChild<QAction *>("N5")->trigger();
        QCOMPARE(titles(), QStringList{QStringLiteral("save:Сохранить файл как")});
        QVERIFY(QFile::exists("as.txt"));
    }

    void unencodableCharacterAsksForUtf8_data()
    {
        QTest::addColumn<int>("answer"); // 0: save in UTF-8, 1: cancel, -1: Escape
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("UTF-8") << 0 << QByteArray("line\r\nAmal \xc4\x80");
        QTest::newRow("cancel") << 1 << QByteArray("old\r\n");
        QTest::newRow("Escape") << -1 << QByteArray("old\r\n");
    }
    void unencodableCharacterAsksForUtf8()
    {
        QFETCH(int, answer);
        QFETCH(QByteArray, onDisk);
        testfiles::write("doc.txt", "old\r\n");
        start({QStringLiteral("doc.txt")});
        Form1->RichEdit1->setText(QStringLiteral("line\nAmal \u0100"));
        m_fake->askAnswers << answer;
        Form1->findChild<QAction *>("N2")->trigger();
        QCOMPARE(m_fake->questions.size(), 1);
        QVERIFY(m_fake->questions[0].text.contains(QStringLiteral("строке 2")));
        QVERIFY(m_fake->questions[0].text.contains(QStringLiteral("UTF-8")));
        QVERIFY(messages().isEmpty());
        QCOMPARE(testfiles::read("doc.txt"), onDisk);
        QCOMPARE(Form1->layout().format.encoding,
                 answer == 0 ? textformat::Encoding::Utf8 : textformat::Encoding::Windows1251);
    }

    void documentsKeepTheirForm_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("UTF-8, LF") << QByteArray("Привет\nмир\n");
        QTest::newRow("UTF-8 with BOM, CR LF") << QByteArray("\xEF\xBB\xBFПривет\r\nмир");
        QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE"
                                                "a\0\n\0",
                                                6);
    }
    void documentsKeepTheirForm()
    {
        QFETCH(QByteArray, file);
        testfiles::write("doc.txt", file);
        start({QStringLiteral("doc.txt")});
        Form1->N2Click();
        QCOMPARE(testfiles::read("doc.txt"), file);
    }

    void encodingMenu()
    {
        testfiles::write("doc.txt", "\xcf\xf0\xe8\xe2\xe5\xf2\n"); // "Привет" in Windows-1251, LF
        start({QStringLiteral("doc.txt")});
        QMenu *menu = nullptr;
        for (QMenu *m : Form1->findChildren<QMenu *>())
            if (m->title() == QStringLiteral("Кодировка"))
                menu = m;
        QVERIFY(menu);
        emit menu->aboutToShow();
        // Reopen items are plain; the save encoding and the line ends are check items.
        auto action = [&](const QString &text, bool checkable) -> QAction * {
            for (QAction *a : menu->actions())
                if (a->text() == text && a->isCheckable() == checkable)
                    return a;
            return nullptr;
        };
        // The document's form is checked.
        QVERIFY(action("Windows-1251", true) && action("Windows-1251", true)->isChecked());
        QVERIFY(action("LF (Linux, macOS)", true) && action("LF (Linux, macOS)", true)->isChecked());
        // Reopened as KOI8-R: the same bytes read as other letters.
        action("KOI8-R", false)->trigger();
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("оПХБЕР\n"));
        // The next save in UTF-8 with CR LF.
        emit menu->aboutToShow();
        QVERIFY(action("KOI8-R", true)->isChecked());
        action("UTF-8", true)->trigger();
        action("CR LF (Windows)", true)->trigger();
        QVERIFY(Form1->RichEdit1->document()->isModified());
        Form1->N2Click();
        QCOMPARE(testfiles::read("doc.txt"), QStringLiteral("оПХБЕР\r\n").toUtf8());
    }

    void helpText()
    {
        start();
        Form1->RichEdit1->setText(QStringLiteral("abc"));
        Form1->Pokazat_help();
        const QStringList expected = {
            "abc", "", "Alt+буква - вводит букву из альтернативной раскладки", "", "F7 - поиск", "",
            "При вводе слова ищется наиболее похожее из словаря",
            "Словарь выбирается в меню \"Словарь->Словарь\"",
            "Создать словарь можно там же - нажмите кнопку \"создать\" и выберите текстовый файл. "
            "Текст в словаре разбивается по указанным в строке ниже символам. "
            "Слова упорядочиваются по их встречаемости в тексте",
            "", "Вставить самое верхнее из предложенных слов можно нажав клавишу Ctrl", ""};
        QCOMPARE(Form1->RichEdit1->lines(), expected);
        QCOMPARE(Form1->RichEdit1->selStart(), int(Form1->RichEdit1->textLength()));

        // An empty document begins with an empty line.
        Form1->RichEdit1->setText(QString());
        Form1->Pokazat_help();
        QVERIFY(Form1->RichEdit1->text().startsWith("\nAlt+"));
        // A final line break is not a line of its own.
        Form1->RichEdit1->setText(QStringLiteral("abc\n"));
        Form1->Pokazat_help();
        QVERIFY(Form1->RichEdit1->text().startsWith("abc\n\nAlt+"));
    }

    void fontCommand()
    {
        start();
        m_fake->fontConfirms = true;
        m_fake->fontAnswer = QFont(QStringLiteral("DejaVu Serif"), 14);
        m_fake->fontAnswer.setItalic(true);
        m_fake->colorAnswer = QColor(0x80, 0, 0);
        Form1->findChild<QAction *>("N11")->trigger();
        QCOMPARE(m_fake->fontRequests, 1);
        for (QWidget *w : {static_cast<QWidget *>(Form1->RichEdit1), static_cast<QWidget *>(Form1->ListBox1)}) {
            QCOMPARE(w->font().family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(qRound(w->font().pointSizeF()), 14);
            QVERIFY(w->font().italic());
        }
        QCOMPARE(Form1->RichEdit1->textColor(), QColor(0x80, 0, 0));
        QCOMPARE(Form1->FontDialog1.style, 2);

        // Cancelling changes nothing.
        m_fake->fontConfirms = false;
        Form1->pomenyat_shrift();
        QCOMPARE(Form1->RichEdit1->font().family(), QStringLiteral("DejaVu Serif"));
    }

    void caretPanel()
    {
        start();
        Form1->RichEdit1->setText(QStringLiteral("one\ntwo\nthree and more"));
        Form1->RichEdit1->select(8, 5); // caret = end of the selection
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("3: 6"));
        Form1->RichEdit1->setSelStart(0);
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("1: 1"));
    }

    void loadRunsNoSelectionHandler()
    {
        testfiles::write("doc.txt", "a\r\nbb\r\nccc");
        start();
        Form1->RichEdit1->setText(QStringLiteral("xx\nyy"));
        Form1->RichEdit1->select(4, 0);
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("2: 2"));
        m_fake->fileAnswers << QDir::current().absoluteFilePath("doc.txt");
        Form1->N1Click();
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("2: 2"));
        Form1->RichEdit1->moveCursor(QTextCursor::End);
        QCOMPARE(Form1->StatusPanels[0]->text(), QStringLiteral("3: 4"));
    }

    void everyByteSurvivesOpenAndSave()
    {
        QByteArray bytes;
        for (int b = 1; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                bytes += char(b);
            if (b % 32 == 0)
                bytes += "\r\n";
        }
        testfiles::write("all.txt", bytes);
        start({QStringLiteral("all.txt")});
        Form1->N2Click();
        QCOMPARE(testfiles::read("all.txt"), bytes);
    }

    void longDocumentLines()
    {
        // Lines are the text's lines however the editor groups them internally.
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("line %1").arg(i);
        start();
        Editor *e = Form1->RichEdit1;
        e->setText(lines.join('\n'));
        QCOMPARE(e->lineCount(), 300);
        QCOMPARE(e->lines(), lines);
        for (int i : {0, 63, 64, 65, 127, 128, 200, 299}) {
            QCOMPARE(e->line(i), lines.at(i));
            const int pos = int(lines.mid(0, i).join('\n').size()) + (i ? 1 : 0);
            e->setSelStart(pos + 3);
            QCOMPARE(e->caretLine(), i);
            QCOMPARE(e->caretColumn(), 3);
            e->setSelStart(pos);
            QCOMPARE(e->caretColumn(), 0);
        }
        // Editing keeps lines and the text consistent.
        e->setSelStart(int(lines.mid(0, 100).join('\n').size()) + 1);
        e->typeText(QStringLiteral("new\n"));
        lines.insert(100, QStringLiteral("new"));
        QCOMPARE(e->text(), lines.join('\n'));
        QCOMPARE(e->caretLine(), 101);
        QCOMPARE(e->line(101), lines.at(101));
        QCOMPARE(e->lineCount(), 301);
        document::write(QStringLiteral("long.txt"), e->text());
        QCOMPARE(testfiles::read("long.txt"), lines.join(QStringLiteral("\r\n")).toLatin1());
    }

    void unsavedEditsAreAskedFor_data()
    {
        QTest::addColumn<bool>("viaOpen");     // F5 to another document, else closing the window
        QTest::addColumn<bool>("untitled");
        QTest::addColumn<int>("answer");       // 0 save, 1 discard, 2 cancel, -1 Escape
        QTest::addColumn<QString>("savePath"); // the save dialog's answer for an untitled document
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QByteArray>("onDisk"); // doc.txt afterwards
        for (const bool viaOpen : {false, true}) {
            const char *how = viaOpen ? "open" : "close";
            QTest::addRow("%s: save", how) << viaOpen << false << 0 << QString() << true << QByteArray("one!\r\n");
            QTest::addRow("%s: discard", how) << viaOpen << false << 1 << QString() << true << QByteArray("one\r\n");
            QTest::addRow("%s: cancel", how) << viaOpen << false << 2 << QString() << false << QByteArray("one\r\n");
            QTest::addRow("%s: Escape", how) << viaOpen << false << -1 << QString() << false << QByteArray("one\r\n");
            QTest::addRow("%s: untitled, saved", how) << viaOpen << true << 0 << "doc.txt" << true << QByteArray("!");
            QTest::addRow("%s: untitled, save dialog cancelled", how)
                << viaOpen << true << 0 << QString() << false << QByteArray("<missing>");
        }
    }
    void unsavedEditsAreAskedFor()
    {
        QFETCH(bool, viaOpen);
        QFETCH(bool, untitled);
        QFETCH(int, answer);
        QFETCH(QString, savePath);
        QFETCH(bool, goesOn);
        QFETCH(QByteArray, onDisk);
        QFile::remove("doc.txt");
        if (!untitled)
            testfiles::write("doc.txt", "one\r\n");
        testfiles::write("other.txt", "other\r\n");
        start(untitled ? QStringList() : QStringList{QStringLiteral("doc.txt")});
        Editor *e = Form1->RichEdit1;
        e->moveCursor(QTextCursor::End);
        if (!untitled)
            e->moveCursor(QTextCursor::PreviousCharacter);
        QTest::keyClick(e, Qt::Key_Exclam, Qt::ShiftModifier);
        m_fake->askAnswers << answer;
        if (viaOpen)
            m_fake->fileAnswers << QStringLiteral("other.txt");
        if (!savePath.isEmpty() || untitled)
            m_fake->fileAnswers << savePath;
        bool wentOn = false;
        if (viaOpen) {
            Form1->N1Click();
            wentOn = Form1->FileName == QLatin1String("other.txt");
        } else {
            wentOn = Form1->close();
        }
        QCOMPARE(m_fake->questions.size(), 1);
        QCOMPARE(m_fake->questions[0].answers, (QStringList{"Сохранить", "Не сохранять", "Отмена"}));
        QVERIFY(m_fake->questions[0].text.contains(untitled ? QStringLiteral("Без имени") : QStringLiteral("doc.txt")));
        QCOMPARE(wentOn, goesOn);
        QCOMPARE(testfiles::read("doc.txt"), onDisk);
        if (!goesOn)
            QVERIFY(e->document()->isModified());
    }

    void recoveryFileFollowsEveryKindOfEdit_data()
    {
        QTest::addColumn<bool>("named");
        QTest::newRow("untitled") << false;
        QTest::newRow("document on disk") << true;
    }
    void recoveryFileFollowsEveryKindOfEdit()
    {
        QFETCH(bool, named);
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("state"))));
        testfiles::write("doc.txt", "first\r\nsecond\r\n");
        start(named ? QStringList{QStringLiteral("doc.txt")} : QStringList());
        Editor *e = Form1->RichEdit1;
        auto rebuilt = [&] {
            Form1->snapshotForRecovery();
            const QString file = Form1->recoveryFile();
            QString reason;
            const auto c = recovery::decode(testfiles::read(file), ::getuid(), &document::fromBytes, &reason);
            return c ? c->text : QStringLiteral("<%1: %2>").arg(file, reason);
        };
        e->moveCursor(QTextCursor::End);
        QTest::keyClicks(e, "abc");
        QTest::keyClick(e, Qt::Key_Return);
        QTest::keyClicks(e, "de");
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(rebuilt(), e->text());
        e->moveCursor(QTextCursor::Start);
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, "Z");
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted\r\nlines\n"));
        e->paste();
        QCOMPARE(rebuilt(), e->text());
        e->undoStep();
        e->undoStep();
        e->redo();
        QCOMPARE(rebuilt(), e->text());
        Form1->Pokazat_help(); // a whole-text change
        QCOMPARE(rebuilt(), e->text());
        e->moveCursor(QTextCursor::End);
        QTest::keyClicks(e, "tail");
        e->select(2, 5);
        QTest::keyClicks(e, "sel");
        QCOMPARE(rebuilt(), e->text());
        // Saved: no recovery file is left.
        if (named)
            Form1->N2Click();
        else
            e->document()->setModified(false);
        QCOMPARE(Form1->recoveryFile(), QString());
        QCOMPARE(QDir(m_dir.filePath(QStringLiteral("state/zarvo"))).entryList(QDir::Files), QStringList());
    }

    void noEditsNoQuestion()
    {
        testfiles::write("doc.txt", "one\r\n");
        start({QStringLiteral("doc.txt")});
        QTest::keyClick(Form1->RichEdit1, Qt::Key_X);
        Form1->RichEdit1->undoStep(); // back to the saved text
        QVERIFY(Form1->close());
        QVERIFY(m_fake->questions.isEmpty());
    }

    void notARegularFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("pipe") << QStringLiteral("fifo");
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
    }
    void notARegularFile()
    {
        QFETCH(QString, path);
        if (path == QLatin1String("fifo"))
            QCOMPARE(::mkfifo("fifo", 0600), 0);
        start({path});
        QCOMPARE(m_fake->messages.size(), 1);
        QVERIFY(messages().at(0).contains(QStringLiteral("не обычный файл")));
        QVERIFY(Form1->FileName.isEmpty());
        QCOMPARE(Form1->RichEdit1->text(), QString());
    }

    void changedOnDisk_data()
    {
        QTest::addColumn<bool>("edited");   // unsaved edits in the editor
        QTest::addColumn<int>("answer");    // index of the answer given
        QTest::addColumn<QString>("text");  // the editor's text afterwards
        QTest::newRow("no edits, reload") << false << 0 << QStringLiteral("theirs\n");
        QTest::newRow("no edits, keep") << false << 1 << QStringLiteral("mine\n");
        QTest::newRow("edits, keep editor's text") << true << 0 << QStringLiteral("xmine\n");
        QTest::newRow("edits, reload") << true << 1 << QStringLiteral("theirs\n");
        QTest::newRow("edits, closed with Escape") << true << -1 << QStringLiteral("xmine\n");
    }
    void changedOnDisk()
    {
        QFETCH(bool, edited);
        QFETCH(int, answer);
        QFETCH(QString, text);
        testfiles::write("doc.txt", "mine\r\n");
        start({QStringLiteral("doc.txt")});
        if (edited)
            QTest::keyClick(Form1->RichEdit1, Qt::Key_X);
        testfiles::write("doc.txt", "theirs\r\n");
        m_fake->askAnswers << answer;
        // The watcher notices the change by itself.
        QTRY_COMPARE(m_fake->questions.size(), 1);
        QVERIFY(m_fake->questions[0].text.contains(QStringLiteral("изменён другой программой")));
        QCOMPARE(Form1->RichEdit1->text(), text);
        QCOMPARE(Form1->RichEdit1->document()->isModified(), edited && text != QStringLiteral("theirs\n"));

        // A save over the changed file asks first; declining leaves the file as the other program wrote it.
        if (text == QStringLiteral("theirs\n"))
            return;
        m_fake->askAnswers << 0; // Отмена
        Form1->N2Click();
        QCOMPARE(m_fake->questions.size(), 2);
        QCOMPARE(testfiles::read("doc.txt"), QByteArray("theirs\r\n"));
        m_fake->askAnswers << 1; // Перезаписать
        Form1->N2Click();
        QCOMPARE(testfiles::read("doc.txt"), text.toLatin1().replace("\n", "\r\n"));
        QVERIFY(!Form1->RichEdit1->document()->isModified());
        // Our own save is no change by another program.
        Form1->checkDiskChange();
        QCOMPARE(m_fake->questions.size(), 3);
    }

    void removedOnDisk()
    {
        testfiles::write("doc.txt", "mine\r\n");
        start({QStringLiteral("doc.txt")});
        QVERIFY(QFile::remove("doc.txt"));
        QTRY_COMPARE(m_fake->messages.size(), 1);
        QVERIFY(messages().at(0).contains(QStringLiteral("удалён или переименован")));
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("mine\n"));
        Form1->N2Click(); // recreates it without a question
        QCOMPARE(testfiles::read("doc.txt"), QByteArray("mine\r\n"));
        QVERIFY(m_fake->questions.isEmpty());
    }

    void selectionReplacementAndUndo()
    {
        start();
        Editor *e = Form1->RichEdit1;
        e->setFocus();
        QTest::keyClicks(e, "hello");
        e->select(1, 3);
        e->replaceSelection(QStringLiteral("EY"));
        QCOMPARE(e->text(), QStringLiteral("hEYo"));
        QCOMPARE(e->selStart(), 3);
        QCOMPARE(e->selLength(), 0);
        // The replacement is one undo step of its own; the typing before it stays undoable.
        e->undo();
        QCOMPARE(e->text(), QStringLiteral("hello"));
        e->undo();
        QCOMPARE(e->text(), QString());
        e->redo();
        e->redo();
        QCOMPARE(e->text(), QStringLiteral("hEYo"));
    }

    // Qt's own buttons and dialogs speak the user's language.
    void qtTextsInTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Russian") << "ru_RU"
                                 << "Отмена";
        QTest::newRow("English") << "C"
                                 << "Cancel";
    }
    void qtTextsInTheUsersLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, cancel);
        QTranslator *translator = installQtTranslations(QLocale(locale));
        QCOMPARE(translator != nullptr, locale != QLatin1String("C"));
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), cancel);
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
