#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Entries = QList<QPair<QString, QString>>;
const QString App = QStringLiteral("Vantrel");
const QString Services = QStringLiteral("Services");

// The test program doubles as the "other process": started with VANTREL_STORE_CHILD set, it does
// one job on the store of the inherited XDG_CONFIG_HOME and exits before any test runs. "dump"
// prints the Services section; "write" waits for a byte on stdin, then saves COUNT keys.
int RunChildIfAsked() {
    const QByteArray role = qgetenv("VANTREL_STORE_CHILD");
    if (role.isEmpty())
        return 0;
    int exitCode = 0;
    if (role == "dump") {
        QFile out;
        (void)out.open(stdout, QIODevice::WriteOnly);
        const auto all = GetAllSettings(App, Services);
        QDataStream(&out) << all.has_value() << all.value_or(Entries{});
    } else {
        char go = 0;
        const bool started = ::read(STDIN_FILENO, &go, 1) == 1; // all writers begin together
        const int count = started ? qEnvironmentVariableIntValue("VANTREL_CHILD_COUNT") : 0;
        const QString prefix = qEnvironmentVariable("VANTREL_CHILD_PREFIX");
        for (int i = 0; i < count; ++i)
            if (!SaveSetting(App, Services, prefix + QString::number(i),
                             QStringLiteral("10.0.0.%1:80").arg(i)))
                exitCode = 1;
        exitCode = started ? exitCode : 1;
    }
    std::fflush(stdout);
    std::_Exit(exitCode);
}
const int g_childRun = RunChildIfAsked();

std::unique_ptr<QProcess> StartChild(const char* role, const QString& prefix = QString(), int count = 0) {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTREL_STORE_CHILD"), QString::fromLatin1(role));
    env.insert(QStringLiteral("VANTREL_CHILD_PREFIX"), prefix);
    env.insert(QStringLiteral("VANTREL_CHILD_COUNT"), QString::number(count));
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), QStringList());
    EXPECT_TRUE(child->waitForStarted());
    return child;
}

std::optional<Entries> DumpFromAnotherProcess() {
    const auto child = StartChild("dump");
    EXPECT_TRUE(child->waitForFinished(60000) && child->exitCode() == 0);
    QDataStream stream(child->readAllStandardOutput());
    bool present = false;
    Entries entries;
    stream >> present >> entries;
    EXPECT_EQ(stream.status(), QDataStream::Ok);
    return present ? std::optional(entries) : std::nullopt;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

Entries Pairs(std::initializer_list<std::pair<const char*, const char*>> list) {
    Entries result;
    for (const auto& [k, v] : list)
        result.append({QString::fromUtf8(k), QString::fromUtf8(v)});
    return result;
}

bool Save(const char* key, const char* value, const QString& app = App, const QString& section = Services) {
    return SaveSetting(app, section, QString::fromUtf8(key), QString::fromUtf8(value));
}

TEST(Store, KeepsCreationOrderAndOneEntryPerNameWhateverTheCase) {
    TempConfigHome home;
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("A"), QStringLiteral("none")), QStringLiteral("none"));

    ASSERT_TRUE(Save("A", "1") && Save("B", "2") && Save("C", "3"));
    // Replacing keeps the place and the first spelling, whatever the case of every name.
    ASSERT_TRUE(Save("b", "4", QStringLiteral("VANTREL"), QStringLiteral("services")));
    EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"A", "1"}, {"B", "4"}, {"C", "3"}}));
    EXPECT_EQ(GetSetting(QStringLiteral("vantrel"), QStringLiteral("SERVICES"), QStringLiteral("c")),
              QStringLiteral("3"));
    // Delete and create again: the key goes to the end.
    ASSERT_TRUE(DeleteSetting(App, Services, QStringLiteral("B")) && Save("B", "5"));
    EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"A", "1"}, {"C", "3"}, {"B", "5"}}));

    // Other sections and applications are separate; deleting what is not there is no failure.
    ASSERT_TRUE(Save("Timeout", "10", App, QStringLiteral("Settings")) &&
                Save("A", "x", QStringLiteral("Other")));
    EXPECT_TRUE(DeleteSetting(App, Services, QStringLiteral("absent")));
    for (const char* key : {"a", "c", "B"})
        ASSERT_TRUE(DeleteSetting(App, Services, QString::fromLatin1(key)));
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt); // "nothing", not an empty list
    EXPECT_EQ(GetAllSettings(App, QStringLiteral("Settings")), Pairs({{"Timeout", "10"}}));
    EXPECT_EQ(GetAllSettings(QStringLiteral("Other"), Services), Pairs({{"A", "x"}}));
    EXPECT_TRUE(LastStoreError().isEmpty());

    const QString path = StoreFile::PathFor(App);
    EXPECT_TRUE(path.startsWith(home.storeFolder() + u'/'));
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0) << "group or others may read the store";
    EXPECT_EQ(QFileInfo(home.storeFolder()).permissions() & 0x0077, 0);
}

TEST(Store, AnyNameAndValueRoundTripsThroughTheFileAndAnotherProcess) {
    TempConfigHome home;
    const QStringList awkward = {QStringLiteral("web server"),
                                 QStringLiteral(" leading"),
                                 QStringLiteral("trailing "),
                                 QStringLiteral("  "),
                                 QStringLiteral("a=b=c"),
                                 QStringLiteral("a;b"),
                                 QStringLiteral("[bracket]"),
                                 QStringLiteral("#hash"),
                                 QStringLiteral("back\\slash\\"),
                                 QStringLiteral("\\s\\n\\u0041"),
                                 QStringLiteral("quote\"s 'and'"),
                                 QStringLiteral("tab\there"),
                                 QStringLiteral("new\nline"),
                                 QStringLiteral("cr\r"),
                                 QString::fromUtf8("h\xc3\xa9llo \xe2\x9c\x93 \xf0\x9f\x98\x80"),
                                 QString(QChar(0xD800)),
                                 QString(QChar(u'\0')) + QStringLiteral("\x01\x7f"),
                                 QString(),
                                 QStringLiteral("=")};
    Entries expected;
    for (qsizetype i = 0; i < awkward.size(); ++i) {
        expected.append({awkward[i], awkward[(i + 1) % awkward.size()]});
        ASSERT_TRUE(SaveSetting(App, Services, expected.last().first, expected.last().second));
    }
    EXPECT_EQ(GetAllSettings(App, Services), expected);
    for (const auto& [key, value] : expected)
        EXPECT_EQ(GetSetting(App, Services, key, QStringLiteral("absent")), value);

    const QByteArray file = ReadFile(StoreFile::PathFor(App));
    EXPECT_TRUE(file.contains("\nweb server=\\sleading\n")) << "the file is not plain to read";
    EXPECT_FALSE(ParseStore(file).damaged);
    EXPECT_EQ(DumpFromAnotherProcess(), expected);
}

TEST(Store, SeveralProcessesWritingAtOnceLoseNothing) {
    TempConfigHome home;
    ASSERT_TRUE(Save("first", "1"));
    ASSERT_TRUE(GetAllSettings(App, Services)); // cached here; the children's writes must show
    std::vector<std::unique_ptr<QProcess>> children;
    for (int p = 0; p < 4; ++p)
        children.push_back(StartChild("write", QStringLiteral("p%1-").arg(p), 50));
    for (auto& child : children)
        ASSERT_TRUE(child->write("g") == 1 && child->waitForBytesWritten()); // all start together
    for (auto& child : children)
        EXPECT_TRUE(child->waitForFinished(120000) && child->exitCode() == 0);

    EXPECT_EQ(GetAllSettings(App, Services).value_or(Entries{}).size(), 1 + 4 * 50);
    for (int p = 0; p < 4; ++p)
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(GetSetting(App, Services, QStringLiteral("p%1-%2").arg(p).arg(i)),
                      QStringLiteral("10.0.0.%1:80").arg(i));
    // A write here starts from what the others wrote, not from the version cached before.
    ASSERT_TRUE(Save("last", "2"));
    EXPECT_EQ(DumpFromAnotherProcess().value_or(Entries{}).size(), 2 + 4 * 50);
}

TEST(Store, DamagedFileIsReadAsFarAsPossibleAndKeptAsideOnTheNextWrite) {
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    const QByteArray damaged = "[Services]\nweb=10.0.0.1:80\nno equals sign\nbad\xff=1.2.3.4:5\n"
                               "mail=10.0.0.2:25\n[Settings\nTimeout=10\n";
    WriteFile(path, damaged);
    // The key with broken bytes survives with a replacement character; the entry under the broken
    // section line is not taken for a service.
    EXPECT_EQ(GetAllSettings(App, Services),
              Pairs({{"web", "10.0.0.1:80"}, {"bad\xef\xbf\xbd", "1.2.3.4:5"}, {"mail", "10.0.0.2:25"}}));

    ASSERT_TRUE(Save("new", "10.0.0.3:22") && Save("newer", "10.0.0.4:22"));
    const QStringList aside =
        QDir(home.storeFolder()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1); // once, before the first write only
    EXPECT_EQ(ReadFile(home.storeFolder() + u'/' + aside.first()), damaged);
    EXPECT_FALSE(ParseStore(ReadFile(path)).damaged);
    EXPECT_EQ(GetAllSettings(App, Services)->size(), 5);

    WriteFile(path, QByteArray("\x00\x01\xff garbage\n\x00", 13)); // nothing readable at all
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_TRUE(Save("x", "1.2.3.4:5"));
    EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"x", "1.2.3.4:5"}}));
}

TEST(Store, ChangesThatCannotBeMadeDurableAreReportedAndLoseNothing) {
    StoreFile::SetLockTimeout(std::chrono::milliseconds(200));
    {
        // A file where the folder should be: no process, not even root, can create the store.
        TempConfigHome home;
        WriteFile(home.storeFolder(), "not a folder");
        EXPECT_FALSE(Save("a", "1.2.3.4:5"));
        EXPECT_FALSE(LastStoreError().isEmpty());
        EXPECT_FALSE(DeleteSetting(App, Services, QStringLiteral("a")));
    }
    {
        // Something unreadable stands where the file should be: it is never written over.
        TempConfigHome home;
        ASSERT_TRUE(QDir().mkpath(StoreFile::PathFor(App) + QStringLiteral("/keep")));
        EXPECT_EQ(GetSetting(App, Services, QStringLiteral("a"), QStringLiteral("d")), QStringLiteral("d"));
        EXPECT_FALSE(Save("a", "1.2.3.4:5"));
        EXPECT_FALSE(LastStoreError().isEmpty());
        EXPECT_TRUE(QFileInfo(StoreFile::PathFor(App) + QStringLiteral("/keep")).isDir());
    }
    {
        // Another writer holds the lock longer than the time-out: nothing changes until it lets go.
        TempConfigHome home;
        ASSERT_TRUE(Save("a", "1.2.3.4:5"));
        const QByteArray before = ReadFile(StoreFile::PathFor(App));
        QLockFile other(StoreFile::PathFor(App) + QStringLiteral(".lock"));
        ASSERT_TRUE(other.tryLock(0));
        EXPECT_FALSE(Save("a", "9.9.9.9:9"));
        EXPECT_TRUE(LastStoreError().contains(QStringLiteral("in use")));
        EXPECT_FALSE(DeleteSetting(App, Services, QStringLiteral("a")));
        EXPECT_EQ(ReadFile(StoreFile::PathFor(App)), before);
        other.unlock();
        EXPECT_TRUE(Save("b", "1.2.3.4:6"));
        EXPECT_TRUE(LastStoreError().isEmpty());
        EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"a", "1.2.3.4:5"}, {"b", "1.2.3.4:6"}}));
    }
    StoreFile::SetLockTimeout(std::chrono::seconds(5));
}

struct FormatCase {
    const char* name;
    QByteArray bytes;
    bool damaged;
    Entries services;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class StoreFormatParse : public ::testing::TestWithParam<FormatCase> {};

TEST_P(StoreFormatParse, ReadsWhatItCan) {
    const ParsedStore parsed = ParseStore(GetParam().bytes);
    EXPECT_EQ(parsed.damaged, GetParam().damaged) << parsed.firstProblem.toStdString();
    const StoreSection* services = parsed.document.section(Services);
    EXPECT_EQ(services ? services->entries() : Entries{}, GetParam().services);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoreFormatParse,
    ::testing::Values(
        FormatCase{"hand edited", "\xEF\xBB\xBF# c\n  \n[Services]\r\nk= a=b \r\n", false,
                   Pairs({{"k", " a=b "}})},
        FormatCase{"escapes", "[Services]\n\\s\\#k\\=\\\\=\\t\\u00e9\\n", false,
                   Pairs({{" #k=\\", "\t\xc3\xa9\n"}})},
        FormatCase{"duplicates merge", "[services]\nA=1\nB=2\n[SERVICES]\na=3\n", false,
                   Pairs({{"A", "3"}, {"B", "2"}})},
        FormatCase{"entry before any section", "k=v\n[Services]\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"line without =", "[Services]\nnonsense\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"bad escapes", "[Services]\nk=\\q\nk=\\u12\nk=v\\\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"text after section line", "[Services] x\nx=y\n", true, {}},
        FormatCase{"nul byte", QByteArray("[Services]\nk=\0\nx=y\n", 18), true, Pairs({{"x", "y"}})}));

} // namespace
