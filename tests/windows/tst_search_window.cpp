#include "Unit1.h"
#include "controls/editor.h"
#include "controls/replacedialog.h"
#include "controls/searchedit.h"
#include "fakedialogs.h"
#include "startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Action = ReplaceDialog::Action;

namespace {

const QColor White(255, 255, 255);
const QColor LightRed(255, 192, 192);

QColor fieldColor(const QWidget *w)
{
    return w->palette().color(QPalette::Active, QPalette::Base);
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void panelLayout();
    void typingRefines();
    void findNext_data();
    void findNext();
    void emptyTextEmptiesSelection();
    void f7ReleaseSearches();
    void escAndCrossHidePanel();
    void dialogFindNextWithPanelHidden();
    void replace_data();
    void replace();
    void replaceAll_data();
    void replaceAll();
    void dialogKeepsTextsAndDisablesButtons();

private:
    void setDocument(const QString &text, int start = 0, int length = 0);
    void release(int qtKey, const QString &text = {}, Qt::KeyboardModifiers mods = {});

    QTemporaryDir m_dir;
    QString m_oldDir;
    FakeDialogs m_dialogs;
    TForm1 *f = nullptr;
};

void TestSearchWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_oldDir = QDir::currentPath();
    QDir::setCurrent(m_dir.path()); // the main window writes ./Zarvo.ini
    Dialogs::install(&m_dialogs);
    createForms({u"zarvo"_s});
    f = Form1;
    QVERIFY(f);
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f));
}

void TestSearchWindow::cleanupTestCase()
{
    destroyForms();
    Dialogs::install(nullptr);
    QDir::setCurrent(m_oldDir);
}

void TestSearchWindow::init()
{
    f->Edit1->clear();
    f->CheckBox1->setChecked(false);
    f->CheckBox2->setChecked(false);
    f->Panel1->hide();
    f->ReplaceDialog1->hide();
}

void TestSearchWindow::setDocument(const QString &text, int start, int length)
{
    f->RichEdit1->setText(text);
    f->RichEdit1->select(start, length);
}

// A key press and release in the search field, as the user types it.
void TestSearchWindow::release(int qtKey, const QString &text, Qt::KeyboardModifiers mods)
{
    QTest::sendKeyEvent(QTest::Press, f->Edit1, Qt::Key(qtKey), text, mods);
    QTest::sendKeyEvent(QTest::Release, f->Edit1, Qt::Key(qtKey), text, mods);
}

void TestSearchWindow::panelLayout()
{
    QVERIFY(f->Panel1->isHidden());
    QCOMPARE(f->Panel1->height(), 30);
    QCOMPARE(f->Panel2->geometry(), QRect(7, 6, 17, 17));
    QCOMPARE(f->Panel2->font().pixelSize(), 13);
    QVERIFY(f->Panel2->font().bold());
    QCOMPARE(f->Edit1->x(), 87);
    QCOMPARE(f->Edit1->width(), 154);
    // Designed lefts and widths, unless the screen's font needs more room for a
    // caption: then it is never clipped and the controls after it move right.
    QCOMPARE(f->CheckBox1->x(), 272);
    QVERIFY(f->CheckBox1->width() >= qMax(97, f->CheckBox1->sizeHint().width()));
    QVERIFY(f->Label1->width() >= f->Label1->sizeHint().width());
    QCOMPARE(f->CheckBox2->x(), qMax(376, f->CheckBox1->geometry().right() + 5));
    QVERIFY(f->CheckBox2->width() >= qMax(121, f->CheckBox2->sizeHint().width()));
    QCOMPARE(f->Label1->text(), u"Найти:"_s);
    QCOMPARE(f->CheckBox1->text(), u"Только слова"_s);
    QCOMPARE(f->CheckBox2->text(), u"Учитывать регистр"_s);
}

void TestSearchWindow::typingRefines()
{
    setDocument(u"abc abd"_s);
    f->N7Click();
    QVERIFY(f->Panel1->isVisible());
    struct Step { int key; const char *ch; int start, length; QColor color; const char *field; };
    const Step steps[] = {
        {Qt::Key_A, "a", 0, 1, White, "a"},
        {Qt::Key_B, "b", 0, 2, White, "ab"},
        {Qt::Key_D, "d", 4, 3, White, "abd"},
        {Qt::Key_X, "x", 4, 3, LightRed, "abdx"},
        {Qt::Key_Backspace, "", 4, 3, White, "abd"},
    };
    for (const Step &s : steps) {
        release(s.key, QString::fromLatin1(s.ch));
        QCOMPARE(f->Edit1->text(), QString::fromLatin1(s.field));
        QCOMPARE(f->RichEdit1->selStart(), s.start);
        QCOMPARE(f->RichEdit1->selLength(), s.length);
        QCOMPARE(fieldColor(f->Edit1), s.color);
    }
}

void TestSearchWindow::findNext_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");
    QTest::addColumn<bool>("found");

    QTest::newRow("wraps from last") << u"ab x ab"_s << u"ab"_s << 5 << 2 << false << false << 0 << 2 << true;
    QTest::newRow("sole occurrence again") << u"x ab x"_s << u"ab"_s << 2 << 2 << false << false << 2 << 2 << true;
    QTest::newRow("caret at end, nothing selected") << u"ab ab"_s << u"ab"_s << 5 << 0 << false << false << 0 << 2 << true;
    QTest::newRow("failed wrap empties at start") << u"hello world"_s << u"zz"_s << 6 << 3 << false << false << 6 << 0 << false;
    QTest::newRow("whole word not inside") << u"concatenate"_s << u"cat"_s << 0 << 0 << true << false << 0 << 0 << false;
    QTest::newRow("case off finds Cat") << u"a Cat"_s << u"cat"_s << 0 << 0 << false << false << 2 << 3 << true;
    QTest::newRow("case on skips Cat") << u"a Cat cat"_s << u"cat"_s << 0 << 0 << false << true << 6 << 3 << true;
    QTest::newRow("yo folded") << u"ёлка ЁЛКА"_s << u"ЁЛКА"_s << 0 << 4 << false << false << 5 << 4 << true;
    QTest::newRow("cyrillic whole word") << u"котик кот"_s << u"КОТ"_s << 0 << 0 << true << false << 6 << 3 << true;
    QTest::newRow("across lines") << u"one\ntwo\nthree two"_s << u"two"_s << 4 << 3 << false << false << 14 << 3 << true;
}

void TestSearchWindow::findNext()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, wholeWord);
    QFETCH(bool, matchCase);
    QFETCH(int, newStart);
    QFETCH(int, newLength);
    QFETCH(bool, found);
    setDocument(text, start, length);
    f->Edit1->setText(what);
    f->CheckBox1->setChecked(wholeWord);
    f->CheckBox2->setChecked(matchCase);
    f->N8Click(); // works with the panel hidden
    QVERIFY(f->Panel1->isHidden());
    QCOMPARE(f->RichEdit1->selStart(), newStart);
    QCOMPARE(f->RichEdit1->selLength(), newLength);
    QCOMPARE(fieldColor(f->Edit1), found ? White : LightRed);
}

void TestSearchWindow::emptyTextEmptiesSelection()
{
    setDocument(u"abc abc"_s, 4, 3);
    f->N7Click();
    release(Qt::Key_Return, u"\r"_s);
    QCOMPARE(f->RichEdit1->selStart(), 4);
    QCOMPARE(f->RichEdit1->selLength(), 0);
    QCOMPARE(fieldColor(f->Edit1), White);
}

void TestSearchWindow::f7ReleaseSearches()
{
    setDocument(u"one two two"_s, 5, 0);
    f->Edit1->setText(u"two"_s);
    f->RichEdit1->setFocus();
    QTest::sendKeyEvent(QTest::Press, f->RichEdit1, Qt::Key_F7, QString(), Qt::NoModifier);
    QVERIFY(f->Panel1->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f->Edit1));
    QCOMPARE(f->Edit1->selectedText(), u"two"_s); // focus other than by the mouse selects all
    QCOMPARE(f->RichEdit1->selLength(), 0);       // no search by the command itself
    QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), Qt::Key_F7, QString(), Qt::NoModifier);
    QCOMPARE(f->RichEdit1->selStart(), 4); // from position 0: nothing was selected
    QCOMPARE(f->RichEdit1->selLength(), 3);
}

void TestSearchWindow::escAndCrossHidePanel()
{
    setDocument(u"abc"_s, 0, 1);
    f->N7Click();
    f->Edit1->setText(u"zz"_s);
    release(Qt::Key_Escape);
    QVERIFY(f->Panel1->isHidden());
    QCOMPARE(f->RichEdit1->selLength(), 1); // Esc searches nothing
    f->N7Click();
    QTest::mouseClick(f->Panel2, Qt::LeftButton);
    QVERIFY(f->Panel1->isHidden());
    QCOMPARE(f->Edit1->text(), u"zz"_s);

    // Alt released in the field searches and counts as handled.
    f->N7Click();
    f->Edit1->setText(u"b"_s);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(f->Edit1, &up);
    QVERIFY(up.isAccepted());
    QCOMPARE(f->RichEdit1->selStart(), 1);
}

void TestSearchWindow::dialogFindNextWithPanelHidden()
{
    setDocument(u"Cat cat dog cat"_s);
    ReplaceDialog *d = f->ReplaceDialog1;
    f->N10Click();
    QVERIFY(d->isVisible());
    d->setFindText(u"cat"_s);
    d->setWholeWord(true);
    d->setMatchCase(true);
    d->press(Action::FindNext);
    QVERIFY(f->Panel1->isHidden());
    QCOMPARE(f->Edit1->text(), u"cat"_s);
    QVERIFY(f->CheckBox1->isChecked());
    QVERIFY(f->CheckBox2->isChecked());
    QCOMPARE(f->RichEdit1->selStart(), 4);
    f->N8Click(); // find next goes on with the dialog's text and options
    QCOMPARE(f->RichEdit1->selStart(), 12);
}

void TestSearchWindow::replace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("findFirst"); // Find Next before Replace
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("found");

    QTest::newRow("nothing selected: first") << u"a b a"_s << 3 << 0 << false << u"X b a"_s << true;
    QTest::newRow("after find next: the one after") << u"a b a"_s << 0 << 0 << true << u"a b X"_s << true;
    QTest::newRow("selected sole occurrence: itself") << u"x a x"_s << 2 << 1 << false << u"x X x"_s << true;
    QTest::newRow("none") << u"b b"_s << 0 << 0 << false << u"b b"_s << false;
}

void TestSearchWindow::replace()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, findFirst);
    QFETCH(QString, expected);
    QFETCH(bool, found);
    setDocument(text, start, length);
    ReplaceDialog *d = f->ReplaceDialog1;
    d->setFindText(u"a"_s);
    d->setReplaceText(u"X"_s);
    d->setWholeWord(false);
    d->setMatchCase(false);
    if (findFirst)
        d->press(Action::FindNext);
    d->press(Action::Replace);
    QCOMPARE(f->RichEdit1->text(), expected);
    QCOMPARE(fieldColor(f->Edit1), found ? White : LightRed);
    if (found)
        QCOMPARE(f->RichEdit1->selLength(), 0);
    // A replacement is one step of the undo history, never a cleared history.
    f->RichEdit1->undo();
    QCOMPARE(f->RichEdit1->text(), text);
}

void TestSearchWindow::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("grows and ends") << u"a b a"_s << u"a"_s << u"aa"_s << false << u"aa b aa"_s;
    QTest::newRow("case off") << u"a A b"_s << u"a"_s << u"A"_s << false << u"A A b"_s;
    QTest::newRow("case on") << u"a A b"_s << u"a"_s << u"x"_s << true << u"x A b"_s;
    QTest::newRow("yo folded") << u"Ёж\nёж еж"_s << u"ёж"_s << u"уж"_s << false << u"уж\nуж еж"_s;
    QTest::newRow("none") << u"hello"_s << u"z"_s << u"y"_s << false << u"hello"_s;
}

void TestSearchWindow::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(bool, matchCase);
    QFETCH(QString, expected);
    setDocument(text, 1, 2);
    ReplaceDialog *d = f->ReplaceDialog1;
    d->setFindText(what);
    d->setReplaceText(with);
    d->setWholeWord(false);
    d->setMatchCase(matchCase);
    d->press(Action::ReplaceAll);
    QCOMPARE(f->RichEdit1->text(), expected);
    QCOMPARE(fieldColor(f->Edit1), LightRed);
    QCOMPARE(f->CheckBox2->isChecked(), matchCase);
    if (expected == text) { // nothing found: the selection is unchanged
        QCOMPARE(f->RichEdit1->selStart(), 1);
        QCOMPARE(f->RichEdit1->selLength(), 2);
        return;
    }
    // One undo step gives back the text and the selection exactly, and the
    // typing before it is still undoable.
    f->RichEdit1->undoStep();
    QCOMPARE(f->RichEdit1->text(), text);
    QCOMPARE(f->RichEdit1->selStart(), 1);
    QCOMPARE(f->RichEdit1->selLength(), 2);
    f->RichEdit1->redo();
    QCOMPARE(f->RichEdit1->text(), expected);
}

void TestSearchWindow::dialogKeepsTextsAndDisablesButtons()
{
    ReplaceDialog *d = f->ReplaceDialog1;
    f->N10Click();
    d->setFindText(QString(300, u'q'));
    QCOMPARE(d->findText().size(), 255);
    d->setFindText(QString());
    for (Action a : {Action::FindNext, Action::Replace, Action::ReplaceAll})
        QVERIFY(!d->button(a)->isEnabled());
    d->setFindText(u"keep"_s);
    d->setReplaceText(u"this"_s);
    d->setWholeWord(true);
    QVERIFY(d->button(Action::ReplaceAll)->isEnabled());
    d->findChild<QPushButton *>(u"cancel"_s)->click();
    QVERIFY(d->isHidden());
    f->N10Click();
    QVERIFY(d->isVisible());
    QCOMPARE(d->findText(), u"keep"_s);
    QCOMPARE(d->replaceText(), u"this"_s);
    QVERIFY(d->wholeWord());
}

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
