#include "Unit1.h"
#include "controls/editor.h"
#include "controls/style.h"
#include "fakedialogs.h"
#include "fakekeyboard.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Press
{
    int key;
    QString text;
    Qt::KeyboardModifiers mods;
    bool repeat = false;
};

void press(QWidget *w, const Press &p)
{
    QTest::sendKeyEvent(QTest::Press, w, Qt::Key(p.key), p.text, p.mods);
    if (p.repeat)
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key(p.key), p.text, p.mods); // auto-repeat
    QTest::sendKeyEvent(QTest::Release, w, Qt::Key(p.key), p.text, p.mods);
}

const Qt::KeyboardModifiers Alt = Qt::AltModifier;
const Qt::KeyboardModifiers ShiftAlt = Qt::AltModifier | Qt::ShiftModifier;
const Qt::KeyboardModifiers CtrlAlt = Qt::AltModifier | Qt::ControlModifier;

} // namespace

Q_DECLARE_METATYPE(QList<Press>)

class TestAltLayoutWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;
    FakeDialogs m_dialogs;

private slots:
    void initTestCase() { QApplication::setStyle(new ZarvoStyle); }
    void init()
    {
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        createForms({QStringLiteral("zarvo")});
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        Form1->RichEdit1->setFocus();
    }
    void cleanup()
    {
        destroyForms();
        QDir::setCurrent(m_oldCwd);
    }

    void typing_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("caps");
        QTest::addColumn<QList<Press>>("presses");
        QTest::addColumn<QString>("expected");
        const QString us = FakeKeyboard::Us, ru = FakeKeyboard::Russian;

        QTest::newRow("us: alt Q, shift+alt Q")
            << us << false << QList<Press>{{Qt::Key_Q, "q", Alt}, {Qt::Key_Q, "Q", ShiftAlt}} << "йЙ";
        QTest::newRow("us, caps: alt Q") << us << true << QList<Press>{{Qt::Key_Q, "Q", Alt}} << "Й";
        QTest::newRow("ru: alt Q") << ru << false << QList<Press>{{Qt::Key_Q, "q", Alt}} << "q";
        QTest::newRow("ordinary typing stays") << us << false
            << QList<Press>{{Qt::Key_A, "a", {}}, {Qt::Key_Q, "q", Alt}} << "aй";
        QTest::newRow("auto-repeat: one per key-down")
            << us << false << QList<Press>{{Qt::Key_Q, "q", Alt, true}} << "йй";
        // Nothing typed beside the other layout's character.
        QTest::newRow("ctrl+alt Q") << us << false << QList<Press>{{Qt::Key_Q, "\x11", CtrlAlt}} << "";
        QTest::newRow("alt space") << us << false << QList<Press>{{Qt::Key_Space, " ", Alt}} << "";
        QTest::newRow("alt enter") << us << false << QList<Press>{{Qt::Key_Return, "\r", Alt}} << "";
        QTest::newRow("alt tab") << us << false << QList<Press>{{Qt::Key_Tab, "\t", Alt}} << "";
        QTest::newRow("alt keypad 5") << us << false
            << QList<Press>{{Qt::Key_5, "5", Alt | Qt::KeypadModifier}} << "";
        QTest::newRow("alt alone, then a letter") << us << false
            << QList<Press>{{Qt::Key_Alt, "", Alt}, {Qt::Key_X, "x", {}}} << "x";
    }
    void typing()
    {
        QFETCH(QString, layout);
        QFETCH(bool, caps);
        QFETCH(QList<Press>, presses);
        QFETCH(QString, expected);
        FakeKeyboard kb;
        kb.layout = layout;
        kb.capsLock = caps;
        for (const Press &p : presses)
            press(Form1->RichEdit1, p);
        QCOMPARE(Form1->RichEdit1->text(), expected);
        if (Form1->isActiveWindow())
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(Form1->RichEdit1));
    }

    void selectionIsReplacedAsTyping()
    {
        FakeKeyboard kb;
        Form1->RichEdit1->setText(QStringLiteral("abc def"));
        Form1->RichEdit1->select(1, 5);
        press(Form1->RichEdit1, {Qt::Key_Q, "q", Alt});
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("aйf"));
        QCOMPARE(Form1->RichEdit1->selStart(), 2);
        QCOMPARE(Form1->RichEdit1->selLength(), 0);
        // An ordinary edit: undo takes it back.
        Form1->RichEdit1->undo();
        QCOMPARE(Form1->RichEdit1->text(), QStringLiteral("abc def"));
    }

    void menuBarDoesNotTakeAlt()
    {
        QCOMPARE(Form1->menuBar()->style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr,
                                                       Form1->menuBar()), 0);
    }
};

QTEST_MAIN(TestAltLayoutWindow)
#include "tst_altlayout_window.moc"
