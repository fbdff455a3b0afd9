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
        QTest::addColumn<QStringList>("others");
        QTest::newRow("nothing") << QStringList() << int(Action::Run) << QString() << QStringList();
        QTest::newRow("a document") << QStringList{"doc.txt"} << int(Action::Run) << "doc.txt" << QStringList();
        QTest::newRow("further documents for windows of their own")
            << QStringList{"a.txt", "b.txt"} << int(Action::Run) << "a.txt" << QStringList{"b.txt"};
        QTest::newRow("help") << QStringList{"--help"} << int(Action::Help) << QString() << QStringList();
        QTest::newRow("short help after a document")
            << QStringList{"a.txt", "-h"} << int(Action::Help) << QString() << QStringList();
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << QString() << QStringList();
        QTest::newRow("unknown option") << QStringList{"--bogus", "a.txt"} << int(Action::Usage) << QString()
                                        << QStringList();
        QTest::newRow("a document named like an option")
            << QStringList{"--", "--help"} << int(Action::Run) << "--help" << QStringList();
        QTest::newRow("a lone dash is a name") << QStringList{"-"} << int(Action::Run) << "-" << QStringList();
        QTest::newRow("names after --") << QStringList{"a.txt", "--", "-b", "c"} << int(Action::Run) << "a.txt"
                                        << QStringList{"-b", "c"};
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, document);
        QFETCH(QStringList, others);
        const commandline::Parsed p = commandline::parse(arguments);
        QCOMPARE(int(p.action), action);
        QCOMPARE(p.document, document);
        if (p.action == Action::Run)
            QCOMPARE(p.others, others);
        if (p.action == Action::Usage)
            QVERIFY(p.error.contains(arguments.first()));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
