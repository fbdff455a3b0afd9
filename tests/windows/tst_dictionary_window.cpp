#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "controls/shelllist.h"
#include "controls/spinedit.h"
#include "core/datapaths.h"
#include "core/delimiters.h"
#include "fakedialogs.h"
#include "startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

namespace {

const QString kPrefix = QStringLiteral("tst_dicwin_");

QString dataFile(const QString &name)
{
    return qEnvironmentVariable("ZARVO_TEST_DATA") + QStringLiteral("/dicwin/") + name;
}

using Message = FakeDialogs::Message;
using Kind = Dialogs::Kind;

} // namespace

class TestDictionaryWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cwd;
    QTemporaryDir m_outside; // files to copy in and build from
    QString m_oldCwd;
    QString m_slo;
    bool m_sloExisted = false;
    FakeDialogs *m_dialogs = nullptr;

    // Puts a file or folder into the dictionary folder and selects it in the list.
    void selectInList(const QString &name)
    {
        QTRY_VERIFY(Form2->ShellListView1->selectName(name));
    }
    QString inSlo(const QString &name) const { return m_slo + QLatin1Char('/') + name; }
    void removeOurs()
    {
        const QFileInfoList entries = QDir(m_slo).entryInfoList({kPrefix + QLatin1Char('*')}, QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo &fi : entries) {
            if (fi.isDir())
                QDir(fi.absoluteFilePath()).removeRecursively();
            else
                QFile::remove(fi.absoluteFilePath());
        }
    }

private slots:
    void initTestCase()
    {
        m_slo = QCoreApplication::applicationDirPath() + QStringLiteral("/slo");
        m_sloExisted = QFileInfo(m_slo).isDir();
    }
    void cleanupTestCase()
    {
        removeOurs();
        if (!m_sloExisted)
            QDir().rmdir(m_slo); // only when empty
    }
    void init()
    {
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_cwd.path());
        m_dialogs = new FakeDialogs;
        DicPath.clear();
        createForms({QStringLiteral("zarvo")});
        QVERIFY(Form2);
    }
    void cleanup()
    {
        destroyForms();
        delete m_dialogs;
        m_dialogs = nullptr;
        removeOurs();
        QFile::remove(QStringLiteral("Zarvo.ini"));
        QDir::setCurrent(m_oldCwd);
    }

    void createdHiddenWithFolderAndDefaults()
    {
        QVERIFY(!Form2->isVisible());
        QVERIFY(Form2->isWindow());
        QVERIFY(QFileInfo(m_slo).isDir());
        QCOMPARE(Form2->ShellListView1->rootFolder(), QDir::cleanPath(m_slo));
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Словарь"));
        QCOMPARE(Form2->size(), QSize(451, 269));
        QCOMPARE(Form2->font().pixelSize(), 11);
        QCOMPARE(Form2->Edit1->text(), defaultDelimiterSpec());
        QCOMPARE(Form2->SpinEdit1->value(), 4);
        auto *spin = static_cast<SpinEdit *>(Form2->SpinEdit1);
        QCOMPARE(spin->lowest(), 0);
        QCOMPARE(spin->highest(), 20);
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Button4") << "Button4" << "Выбрать" << QRect(8, 16, 75, 25);
        QTest::newRow("Button1") << "Button1" << "Создать" << QRect(8, 48, 75, 25);
        QTest::newRow("Button2") << "Button2" << "Удалить" << QRect(8, 80, 75, 25);
        QTest::newRow("Button3") << "Button3" << "Копировать" << QRect(8, 112, 75, 25);
        QTest::newRow("BitBtn1") << "BitBtn1" << "По умолчанию" << QRect(304, 8, 105, 25);
        QTest::newRow("Edit1") << "Edit1" << QString() << QRect(104, 12, 161, 21);
        QTest::newRow("SpinEdit1") << "SpinEdit1" << QString() << QRect(312, 56, 121, 22);
        QTest::newRow("Label3") << "Label3" << "Разделители:" << QRect(21, 17, 0, 0);
        QTest::newRow("Label4") << "Label4" << "^p - перевод строки" << QRect(20, 44, 0, 0);
        QTest::newRow("Label5") << "Label5" << "^t - табуляция" << QRect(19, 68, 0, 0);
        QTest::newRow("Label1") << "Label1" << "Не включать слова меньше" << QRect(216, 40, 0, 0);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        auto *w = Form2->findChild<QWidget *>(name);
        QVERIFY(w);
        if (auto *b = qobject_cast<QPushButton *>(w)) {
            QCOMPARE(b->text(), text);
            QVERIFY(!b->autoDefault());
            QVERIFY(!b->isDefault());
        }
        if (auto *l = qobject_cast<QLabel *>(w))
            QCOMPARE(l->text(), text);
        if (geometry.isEmpty())
            QCOMPARE(w->pos(), geometry.topLeft());
        else
            QCOMPARE(w->geometry(), geometry);
    }

    void panelsAndTabOrder()
    {
        Form2->show();
        QCOMPARE(Form2->Panel1->width(), 91);
        QCOMPARE(Form2->Panel2->height(), 90);
        QCOMPARE(Form2->Panel2->width(), Form2->width());
        QCOMPARE(Form2->Panel2->y() + 90, Form2->height());
        QCOMPARE(Form2->Panel1->x() + 91, Form2->width());
        // The user's list above the ready dictionaries', both left of the buttons.
        const QRect lists(0, 0, Form2->width() - 91, Form2->height() - 90);
        QCOMPARE(Form2->ShellListView1->geometry().topLeft(), lists.topLeft());
        QCOMPARE(Form2->ShellListView1->width(), lists.width());
        QVERIFY(Form2->ShellListView2->isVisible());
        QCOMPARE(Form2->ShellListView2->mapTo(Form2, QPoint(0, Form2->ShellListView2->height())).y(),
                 lists.bottom() + 1);

        // Tab goes through the focusable controls in this order.
        const QList<QWidget *> order{Form2->ShellListView1, Form2->ShellListView2, Form2->Button2,
                                     Form2->Button1,        Form2->Button3,        Form2->Button4,
                                     Form2->Edit1,          Form2->SpinEdit1,      Form2->BitBtn1};
        QList<QWidget *> chain;
        QWidget *w = Form2->ShellListView1;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(Form2) && order.contains(w))
                chain << w;
            w = w->nextInFocusChain();
        } while (w != Form2->ShellListView1 && chain.size() < order.size());
        QCOMPARE(chain, order);
    }

    void menuShowsClosingHides()
    {
        Form1->N13Click();
        QVERIFY(Form2->isVisible());
        QTest::keyClick(Form2, Qt::Key_Escape);
        QVERIFY(Form2->isVisible());
        Form2->close();
        QVERIFY(!Form2->isVisible());
        QVERIFY(Form2); // hidden, not destroyed
        Form1->N13Click();
        QVERIFY(Form2->isVisible());
    }

    void listOrdersFoldersFirstNaturally()
    {
        QDir().mkdir(inSlo(kPrefix + "zdir"));
        testfiles::write(inSlo(kPrefix + "a10.slo"), "x");
        testfiles::write(inSlo(kPrefix + "a2.slo"), "x");
        QAbstractItemModel *model = Form2->ShellListView1->model();
        const auto ours = [&] {
            const QModelIndex root = Form2->ShellListView1->rootIndex();
            QStringList names;
            for (int r = 0; r < model->rowCount(root); ++r) {
                const QString n = model->index(r, 0, root).data().toString();
                if (n.startsWith(kPrefix))
                    names << n;
            }
            return names;
        };
        QTRY_COMPARE(ours(), (QStringList{kPrefix + "zdir", kPrefix + "a2.slo", kPrefix + "a10.slo"}));

        // Refreshes by itself.
        QFile::remove(inSlo(kPrefix + "a2.slo"));
        QTRY_COMPARE(ours(), (QStringList{kPrefix + "zdir", kPrefix + "a10.slo"}));
    }

    void nameOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("numbers by value") << "a2" << "a10" << -1;
        QTest::newRow("case ignored") << "B" << "a" << 1;
        QTest::newRow("prefix first") << "ab" << "abc" << -1;
        QTest::newRow("leading zeros") << "x007" << "x8" << -1;
        QTest::newRow("long numbers") << "n123456789012345678901" << "n99" << 1;
        QTest::newRow("cyrillic") << "яблоко" << "Абрикос" << 1;
        QTest::newRow("same") << "s.slo" << "s.slo" << 0;
    }
    void nameOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int c = ShellList::compareNames(a, b);
        QCOMPARE((c > 0) - (c < 0), sign);
        const int r = ShellList::compareNames(b, a);
        QCOMPARE((r > 0) - (r < 0), -sign);
    }

    void selectWithNothingSelected()
    {
        Form2->show();
        DicPath = QStringLiteral("/before");
        Form2->Button4->click();
        QCOMPARE(m_dialogs->messages, (QList<Message>{{Kind::Information, "Zarvo", "Сначало выделите словарь"}}));
        QVERIFY(Form2->isVisible());
        QCOMPARE(DicPath, QStringLiteral("/before"));
    }

    void selectLoadsRecordsAndHides()
    {
        QFile::copy(dataFile("good.slo"), inSlo(kPrefix + "good.slo"));
        Form2->show();
        selectInList(kPrefix + "good.slo");
        Form2->Button4->click();
        QVERIFY(m_dialogs->messages.isEmpty());
        QCOMPARE(DicPath, inSlo(kPrefix + "good.slo"));
        QCOMPARE(Form2->Edit1->text(), QStringLiteral("ab^t"));
        QVERIFY(!Form2->isVisible());
        QVERIFY(IsDelimiter(QChar(9)));
        QVERIFY(!IsDelimiter(QChar(' ')));
    }

    void doubleClickSelects()
    {
        QFile::copy(dataFile("good.slo"), inSlo(kPrefix + "good.slo"));
        Form2->show();
        selectInList(kPrefix + "good.slo");
        const QModelIndex index = Form2->ShellListView1->currentIndex();
        emit Form2->ShellListView1->doubleClicked(index);
        QCOMPARE(DicPath, inSlo(kPrefix + "good.slo"));
        QVERIFY(!Form2->isVisible());
    }

    void selectFolderRecordsItAll_the_same()
    {
        QDir().mkdir(inSlo(kPrefix + "folder"));
        Form2->show();
        selectInList(kPrefix + "folder");
        Form2->Button4->click();
        const QString path = inSlo(kPrefix + "folder");
        QCOMPARE(m_dialogs->messages, (QList<Message>{{Kind::Error, "Zarvo", "Не могу найти словарь " + path}}));
        QCOMPARE(DicPath, path);
        QVERIFY(!Form2->isVisible());
    }

    void selectDamagedKeepsPathAndWindow()
    {
        QFile::copy(dataFile("damaged.slo"), inSlo(kPrefix + "damaged.slo"));
        Form2->show();
        DicPath = QStringLiteral("/before");
        selectInList(kPrefix + "damaged.slo");
        Form2->Button4->click();
        QCOMPARE(m_dialogs->messages, (QList<Message>{{Kind::Stop, "Zarvo", "Invalid numeric input."}}));
        QCOMPARE(DicPath, QStringLiteral("/before"));
        QVERIFY(Form2->isVisible());
    }

    void createFillsTheRequest_data()
    {
        QTest::addColumn<QString>("delims");
        QTest::newRow("default") << defaultDelimiterSpec();
        QTest::newRow("empty field") << QString();
        QTest::newRow("escapes stay unexpanded") << "^p^^x^";
    }
    void createFillsTheRequest()
    {
        QFETCH(QString, delims);
        TForm3 *progress = Form3;
        Form3 = nullptr; // the build itself is not under test here
        SrcFile = DstFile = Delims = QStringLiteral("unchanged");
        Form2->Edit1->setText(delims);

        Form2->Button1->click(); // cancelled
        QCOMPARE(SrcFile, QStringLiteral("unchanged"));

        const QString source = m_outside.filePath("war.txt");
        m_dialogs->fileAnswers << source << source;
        Form2->Button1->click();
        QCOMPARE(SrcFile, source);
        QCOMPARE(DstFile, QCoreApplication::applicationDirPath() + QStringLiteral("/slo/war.txt.slo"));
        QCOMPARE(Delims, delims);
        QVERIFY(Delims.isNull() == false || delims.isEmpty());

        // Same source again: same target; the dialog opens on the file chosen last.
        Form2->Button1->click();
        QCOMPARE(DstFile, QCoreApplication::applicationDirPath() + QStringLiteral("/slo/war.txt.slo"));
        QCOMPARE(m_dialogs->fileRequests.size(), 3);
        for (const auto &r : m_dialogs->fileRequests) {
            QCOMPARE(r.title, QStringLiteral("Выберите текст"));
            QVERIFY(!r.save);
        }
        QCOMPARE(m_dialogs->fileRequests[0].initial, QString());
        QCOMPARE(m_dialogs->fileRequests[2].initial, source);
        QVERIFY(m_dialogs->messages.isEmpty());
        Form3 = progress;
    }

    void deleteCommand()
    {
        Form2->show();
        Form2->Button2->click();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{"Выберите словарь"});
        QCOMPARE(m_dialogs->messages.first().kind, Kind::Information);
        m_dialogs->clearRecords();

        const QString file = inSlo(kPrefix + "gone.slo");
        testfiles::write(file, "x");
        selectInList(kPrefix + "gone.slo");
        Form2->Button2->click();
        QVERIFY(!QFile::exists(file));

        const QString folder = inSlo(kPrefix + "stays");
        QDir().mkdir(folder);
        selectInList(kPrefix + "stays");
        Form2->Button2->click();
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    // The ready dictionaries are listed below the user's: they can be
    // selected, never deleted, and one selection spans both lists.
    void readyDictionaries()
    {
        const QString shipped = datapaths::current().shipped;
        QVERIFY2(!shipped.isEmpty(), "the build makes the ready dictionaries in share/zarvo");
        QCOMPARE(Form2->ShellListView2->rootFolder(), shipped);
        Form2->show();
        const QString english = shipped + QStringLiteral("/English.slo");
        QTRY_VERIFY(Form2->ShellListView2->selectName(QStringLiteral("English.slo")));
        QCOMPARE(Form2->selectedPath(), english);

        Form2->Button2->click();
        QVERIFY(QFile::exists(english));
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList{"Словарь «English.slo» поставляется с программой, его нельзя удалить"});
        QCOMPARE(m_dialogs->messages.first().kind, Kind::Error);
        m_dialogs->clearRecords();

        // Selecting in the user's list clears the other one.
        testfiles::write(inSlo(kPrefix + "mine.slo"), "x");
        selectInList(kPrefix + "mine.slo");
        QVERIFY(Form2->ShellListView2->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(Form2->selectedPath(), inSlo(kPrefix + "mine.slo"));

        QVERIFY(Form2->ShellListView2->selectName(QStringLiteral("English.slo")));
        QVERIFY(Form2->ShellListView1->selectionModel()->selectedIndexes().isEmpty());
        Form2->Button4->click();
        QCOMPARE(DicPath, english);
        QVERIFY(!Form2->isVisible());
        QVERIFY(Form1->Words.size() >= 50000);
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    void copyIn_data()
    {
        QTest::addColumn<QString>("chosen"); // relative to the outside folder; "" cancels
        QTest::addColumn<bool>("existsInFolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << QString() << false << QString();
        QTest::newRow("new file") << kPrefix + "new.slo" << false << QString();
        QTest::newRow("name taken") << kPrefix + "taken.slo" << true << "Сначало удалите словарь " + kPrefix + "taken.slo";
        QTest::newRow("missing") << kPrefix + "missing.slo" << false << "Файл не существует";
        QTest::newRow("folder") << "sub" << false << "Файл не существует";
    }
    void copyIn()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, existsInFolder);
        QFETCH(QString, message);
        QDir(m_outside.path()).mkpath("sub");
        const QString source = chosen.isEmpty() ? QString() : m_outside.filePath(chosen);
        if (!chosen.isEmpty() && !chosen.endsWith("missing.slo") && chosen != "sub")
            testfiles::write(source, "copied");
        if (existsInFolder)
            testfiles::write(inSlo(chosen), "original");
        if (!source.isEmpty())
            m_dialogs->fileAnswers << source;

        Form2->Button3->click();

        QCOMPARE(m_dialogs->fileRequests.size(), 1);
        QCOMPARE(m_dialogs->fileRequests[0].title, QStringLiteral("Копировать словарь"));
        if (message.isEmpty()) {
            QVERIFY(m_dialogs->messages.isEmpty());
        } else {
            QCOMPARE(m_dialogs->messages, (QList<Message>{{Kind::Error, "Zarvo", message}}));
        }
        if (existsInFolder)
            QCOMPARE(testfiles::read(inSlo(chosen)), QByteArray("original"));
        else if (message.isEmpty() && !chosen.isEmpty())
            QCOMPARE(testfiles::read(inSlo(chosen)), QByteArray("copied"));
        else if (!chosen.isEmpty())
            QVERIFY(!QFile::exists(inSlo(chosen)));
    }

    void spinText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("whileTyped");
        QTest::addColumn<int>("afterFocusLoss");
        QTest::newRow("lone minus") << "-" << 0 << 0;
        QTest::newRow("letters") << "abc" << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("in range") << "7" << 7 << 7;
        QTest::newRow("above") << "25" << 25 << 20;
        QTest::newRow("below") << "-3" << -3 << 0;
        QTest::newRow("too big for an int") << "99999999999" << 0 << 0;
    }
    void spinText()
    {
        QFETCH(QString, typed);
        QFETCH(int, whileTyped);
        QFETCH(int, afterFocusLoss);
        Form2->show();
        Form2->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        QSpinBox *spin = Form2->SpinEdit1;
        spin->setFocus();
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, typed);
        QCOMPARE(spin->text(), typed);
        QCOMPARE(spin->value(), whileTyped);
        Form2->Edit1->setFocus();
        QVERIFY(!spin->hasFocus());
        QCOMPARE(spin->value(), afterFocusLoss);
    }

    void spinArrowsStayInRange()
    {
        QSpinBox *spin = Form2->SpinEdit1;
        spin->setValue(19);
        spin->stepUp();
        spin->stepUp();
        QCOMPARE(spin->value(), 20);
        spin->setValue(1);
        spin->stepDown();
        spin->stepDown();
        QCOMPARE(spin->value(), 0);
    }

    void delimiterFieldIsLive()
    {
        QVERIFY(IsDelimiter(QChar(' ')));
        QVERIFY(!IsDelimiter(QChar('x')));
        Form2->Edit1->setText(QStringLiteral("x"));
        QVERIFY(IsDelimiter(QChar('x')));
        QVERIFY(!IsDelimiter(QChar(' ')));
        Form2->BitBtn1->click();
        QCOMPARE(Form2->Edit1->text(), defaultDelimiterSpec());
        QVERIFY(IsDelimiter(QChar(13)));
        QVERIFY(!IsDelimiter(QChar('x')));
    }
};

QTEST_MAIN(TestDictionaryWindow)
#include "tst_dictionary_window.moc"
