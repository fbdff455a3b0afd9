#include "core/datapaths.h"

#include <QFileInfo>
#include <QTest>

using datapaths::Environment;
using datapaths::Places;

class TestDataPaths : public QObject
{
    Q_OBJECT
private slots:
    void resolve_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("iniHere");
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("dictionaries");
        QTest::addColumn<QString>("settings");
        // The build tree and portable copies keep everything as always.
        QTest::newRow("build tree") << "/src/zarvo/build/bin" << true << false << ""
                                    << "" << false << "/src/zarvo/build/bin/slo"
                                    << "./Zarvo.ini";
        QTest::newRow("portable copy with XDG set") << "/home/u/apps/zarvo" << true << true << "/x/data"
                                                    << "/x/conf" << false << "/home/u/apps/zarvo/slo"
                                                    << "./Zarvo.ini";
        // Installed: the user's folders, by XDG or their defaults under $HOME.
        QTest::newRow("installed, defaults") << "/usr/bin" << false << false << ""
                                             << "" << true << "/home/u/.local/share/zarvo/slo"
                                             << "/home/u/.config/zarvo/Zarvo.ini";
        QTest::newRow("installed, XDG set") << "/usr/bin" << false << false << "/x/data"
                                            << "/x/conf/" << true << "/x/data/zarvo/slo"
                                            << "/x/conf/zarvo/Zarvo.ini";
        QTest::newRow("installed, relative XDG ignored") << "/opt/zarvo/bin" << false << false << "data"
                                                         << "conf" << true << "/home/u/.local/share/zarvo/slo"
                                                         << "/home/u/.config/zarvo/Zarvo.ini";
        QTest::newRow("installed, ./Zarvo.ini wins") << "/usr/bin" << false << true << ""
                                                     << "" << true << "/home/u/.local/share/zarvo/slo"
                                                     << "./Zarvo.ini";
        // Root may write /usr/bin: still an installed copy, nothing lands there.
        QTest::newRow("system folder writable by root") << "/usr/local/bin" << true << false << ""
                                                        << "" << true << "/home/u/.local/share/zarvo/slo"
                                                        << "/home/u/.config/zarvo/Zarvo.ini";
    }
    void resolve()
    {
        QFETCH(QString, programDir);
        QFETCH(bool, writable);
        QFETCH(bool, iniHere);
        QFETCH(QString, dataHome);
        QFETCH(QString, configHome);
        Environment env;
        env.programDir = programDir;
        env.programDirWritable = writable;
        env.settingsInCurrentDir = iniHere;
        env.dataHome = dataHome;
        env.configHome = configHome;
        env.home = QStringLiteral("/home/u");
        env.shippedDir = programDir + QStringLiteral("/../share/zarvo");
        const Places p = datapaths::resolve(env);
        QTEST(p.installed, "installed");
        QTEST(p.dictionaries, "dictionaries");
        // Learned counts live beside the user's dictionaries, never among them.
        QCOMPARE(p.learned, QFileInfo(p.dictionaries).path() + QStringLiteral("/learned"));
        QTEST(p.settings, "settings");
        QCOMPARE(p.shipped, QDir::cleanPath(programDir + QStringLiteral("/../share/zarvo")));
    }

    void noReadyDictionaries()
    {
        Environment env;
        env.programDir = QStringLiteral("/usr/bin");
        env.home = QStringLiteral("/home/u");
        QVERIFY(datapaths::resolve(env).shipped.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestDataPaths)
#include "tst_datapaths.moc"
