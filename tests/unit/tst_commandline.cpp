#include "core/commandline.h"

#include <QTest>

using commandline::Action;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("document");
        QTest::newRow("nothing") << QStringList() << int(Action::Run) << QString();
        QTest::newRow("a document") << QStringList{"doc.txt"} << int(Action::Run) << "doc.txt";
        QTest::newRow("only the first document") << QStringList{"a.txt", "b.txt"} << int(Action::Run) << "a.txt";
        QTest::newRow("help") << QStringList{"--help"} << int(Action::Help) << QString();
        QTest::newRow("short help after a document") << QStringList{"a.txt", "-h"} << int(Action::Help) << QString();
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << QString();
        QTest::newRow("unknown option") << QStringList{"--bogus", "a.txt"} << int(Action::Usage) << QString();
        QTest::newRow("a document named like an option") << QStringList{"--", "--help"} << int(Action::Run) << "--help";
        QTest::newRow("a lone dash is a name") << QStringList{"-"} << int(Action::Run) << "-";
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, document);
        const commandline::Parsed p = commandline::parse(arguments);
        QCOMPARE(int(p.action), action);
        QCOMPARE(p.document, document);
        if (p.action == Action::Usage)
            QVERIFY(p.error.contains(arguments.first()));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
