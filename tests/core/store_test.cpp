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
// one job on the store named by the inherited XDG_CONFIG_HOME and exits before any test runs.
int RunChildIfAsked() {
    const QByteArray role = qgetenv("VANTREL_STORE_CHILD");
    if (role.isEmpty())
        return 0;
    int exitCode = 0;
    if (role == "dump") {
        QFile out;
        (void)out.open(stdout, QIODevice::WriteOnly);
        QDataStream stream(&out);
        const auto all = GetAllSettings(App, Services);
        stream << all.has_value() << all.value_or(Entries{});
    } else if (role == "write") {
        char go = 0;
        if (::read(STDIN_FILENO, &go, 1) != 1) // wait until every writer has started
            std::_Exit(3);
        const QString prefix = qEnvironmentVariable("VANTREL_CHILD_PREFIX");
        const int count = qEnvironmentVariableIntValue("VANTREL_CHILD_COUNT");
        for (int i = 0; i < count; ++i)
            if (!SaveSetting(App, Services, prefix + QString::number(i),
                             QStringLiteral("10.0.0.%1:80").arg(i)))
                exitCode = 1;
    } else {
        exitCode = 2;
    }
    std::fflush(stdout);
    std::_Exit(exitCode);
}
const int g_childRun = RunChildIfAsked();

QProcessEnvironment ChildEnvironment(const char* role) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTREL_STORE_CHILD"), QString::fromLatin1(role));
    return env;
}

std::optional<Entries> DumpFromAnotherProcess() {
    QProcess child;
    child.setProcessEnvironment(ChildEnvironment("dump"));
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    EXPECT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0);
    QByteArray bytes = child.readAllStandardOutput();
    QDataStream stream(&bytes, QIODevice::ReadOnly);
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
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

Entries Pairs(std::initializer_list<std::pair<const char*, const char*>> list) {
    Entries result;
    for (const auto& [k, v] : list)
        result.append({QString::fromUtf8(k), QString::fromUtf8(v)});
    return result;
}

TEST(Store, KeepsCreationOrderAndOneEntryPerNameWhateverTheCase) {
    TempConfigHome home;
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("A"), QStringLiteral("none")), QStringLiteral("none"));

    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("A"), QStringLiteral("1.1.1.1:1")));
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("B"), QStringLiteral("2.2.2.2:2")));
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("C"), QStringLiteral("3.3.3.3:3")));
    // Replacing keeps the place and the first spelling, whatever case the application,
    // section and key are written in.
    ASSERT_TRUE(SaveSetting(QStringLiteral("VANTREL"), QStringLiteral("services"), QStringLiteral("b"),
                            QStringLiteral("4.4.4.4:4")));
    EXPECT_EQ(GetAllSettings(App, Services),
              Pairs({{"A", "1.1.1.1:1"}, {"B", "4.4.4.4:4"}, {"C", "3.3.3.3:3"}}));
    EXPECT_EQ(GetSetting(QStringLiteral("vantrel"), QStringLiteral("SERVICES"), QStringLiteral("c")),
              QStringLiteral("3.3.3.3:3"));

    // Delete and create again: the key goes to the end.
    ASSERT_TRUE(DeleteSetting(App, Services, QStringLiteral("B")));
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("B"), QStringLiteral("5.5.5.5:5")));
    EXPECT_EQ(GetAllSettings(App, Services),
              Pairs({{"A", "1.1.1.1:1"}, {"C", "3.3.3.3:3"}, {"B", "5.5.5.5:5"}}));

    // Other sections and applications are separate.
    ASSERT_TRUE(
        SaveSetting(App, QStringLiteral("Settings"), QStringLiteral("Timeout"), QStringLiteral("10")));
    ASSERT_TRUE(SaveSetting(QStringLiteral("Other"), Services, QStringLiteral("A"), QStringLiteral("x")));
    EXPECT_EQ(GetAllSettings(App, Services)->size(), 3);
    EXPECT_EQ(GetSetting(App, QStringLiteral("Settings"), QStringLiteral("timeout")), QStringLiteral("10"));

    // Deleting what is not there changes nothing and is no failure.
    EXPECT_TRUE(DeleteSetting(App, Services, QStringLiteral("absent")));
    EXPECT_TRUE(DeleteSetting(App, QStringLiteral("NoSuchSection"), QStringLiteral("A")));

    for (const char* key : {"a", "c", "B"})
        ASSERT_TRUE(DeleteSetting(App, Services, QString::fromLatin1(key)));
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt); // "nothing", not an empty list
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("A")), QString());
    EXPECT_EQ(GetAllSettings(App, QStringLiteral("Settings"))->size(), 1);
    EXPECT_TRUE(LastStoreError().isEmpty());
}

TEST(Store, FileIsPrivateAndReadable) {
    TempConfigHome home;
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("web server"), QStringLiteral("10.0.0.1:80")));
    const QString path = StoreFile::PathFor(App);
    EXPECT_TRUE(path.startsWith(home.storeFolder() + u'/'));
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0) << "group or others may read the store";
    EXPECT_EQ(QFileInfo(home.storeFolder()).permissions() & 0x0077, 0);
    EXPECT_TRUE(ReadFile(path).contains("[Services]\nweb server=10.0.0.1:80\n"));
}

// Every text a user could type as a host name, and some no one would.
const QStringList kAwkward = {
    QStringLiteral("plain"),
    QStringLiteral("web server"),
    QStringLiteral(" leading"),
    QStringLiteral("trailing "),
    QStringLiteral("  "),
    QStringLiteral("a=b=c"),
    QStringLiteral("a;b"),
    QStringLiteral("[bracket]"),
    QStringLiteral("]"),
    QStringLiteral("#hash"),
    QStringLiteral("back\\slash\\"),
    QStringLiteral("\\s\\n\\u0041"),
    QStringLiteral("quote\"s 'and'"),
    QStringLiteral("tab\there"),
    QStringLiteral("new\nline"),
    QStringLiteral("cr\r"),
    QString::fromUtf8("h\xc3\xa9llo w\xc3\xb6rld \xe2\x9c\x93"),
    QString::fromUtf8("\xf0\x9f\x98\x80"),
    QString(QChar(0xD800)),
    QString(QChar(u'\0')) + u'x',
    QStringLiteral("\x01\x7f"),
    QString(),
    QStringLiteral("="),
};

Entries AwkwardEntries() {
    Entries entries;
    for (qsizetype i = 0; i < kAwkward.size(); ++i)
        entries.append({kAwkward[i], kAwkward[(i + 1) % kAwkward.size()]});
    return entries;
}

TEST(Store, AnyNameAndValueRoundTripsThroughTheFileAndAnotherProcess) {
    TempConfigHome home;
    const Entries expected = AwkwardEntries();
    for (const auto& [key, value] : expected)
        ASSERT_TRUE(SaveSetting(App, Services, key, value)) << LastStoreError().toStdString();

    EXPECT_EQ(GetAllSettings(App, Services), expected);
    for (const auto& [key, value] : expected)
        EXPECT_EQ(GetSetting(App, Services, key, QStringLiteral("absent")), value);

    const ParsedStore parsed = ParseStore(ReadFile(StoreFile::PathFor(App)));
    EXPECT_FALSE(parsed.damaged) << parsed.firstProblem.toStdString();
    EXPECT_EQ(GetAllSettings(App, Services), parsed.document.section(Services)->entries());
    EXPECT_EQ(DumpFromAnotherProcess(), expected);
}

TEST(Store, SeesChangesMadeByAnotherProcess) {
    TempConfigHome home;
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("first"), QStringLiteral("1.1.1.1:1")));
    ASSERT_EQ(GetAllSettings(App, Services)->size(), 1); // now cached

    QProcess child;
    QProcessEnvironment env = ChildEnvironment("write");
    env.insert(QStringLiteral("VANTREL_CHILD_PREFIX"), QStringLiteral("other"));
    env.insert(QStringLiteral("VANTREL_CHILD_COUNT"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    ASSERT_TRUE(child.waitForStarted());
    child.write("g");
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0);

    EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"first", "1.1.1.1:1"}, {"other0", "10.0.0.0:80"}}));
    // A later write here starts from the other process's version, not from the cached one.
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("third"), QStringLiteral("3.3.3.3:3")));
    EXPECT_EQ(DumpFromAnotherProcess()->size(), 3);
}

TEST(Store, SeveralProcessesWritingAtOnceLoseNothing) {
    TempConfigHome home;
    constexpr int kProcesses = 4;
    constexpr int kKeysEach = 50;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int p = 0; p < kProcesses; ++p) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment env = ChildEnvironment("write");
        env.insert(QStringLiteral("VANTREL_CHILD_PREFIX"), QStringLiteral("p%1-").arg(p));
        env.insert(QStringLiteral("VANTREL_CHILD_COUNT"), QString::number(kKeysEach));
        child->setProcessEnvironment(env);
        child->start(QCoreApplication::applicationFilePath(), QStringList());
        ASSERT_TRUE(child->waitForStarted());
        children.push_back(std::move(child));
    }
    for (auto& child : children)
        child->write("g"); // all start writing together
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(120000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }

    const auto all = GetAllSettings(App, Services);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), kProcesses * kKeysEach);
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kKeysEach; ++i)
            EXPECT_EQ(GetSetting(App, Services, QStringLiteral("p%1-%2").arg(p).arg(i)),
                      QStringLiteral("10.0.0.%1:80").arg(i));
}

TEST(Store, DamagedFileIsReadAsFarAsPossibleAndKeptAsideOnTheNextWrite) {
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    const QByteArray damaged = "[Services]\nweb=10.0.0.1:80\nthis line has no equals sign\n"
                               "bad\xff\xfe=1.2.3.4:5\nmail=10.0.0.2:25\n[Settings\nTimeout=10\n";
    WriteFile(path, damaged);

    // Readers get what can be read; the key with broken bytes survives with replacement characters.
    const auto services = GetAllSettings(App, Services);
    ASSERT_TRUE(services);
    EXPECT_EQ(services->size(), 3);
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("mail")), QStringLiteral("10.0.0.2:25"));
    // The entry under the broken section line is not taken for a service.
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("Timeout")), QString());

    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("new"), QStringLiteral("10.0.0.3:22")));
    const QStringList aside =
        QDir(home.storeFolder()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadFile(home.storeFolder() + u'/' + aside.first()), damaged);

    const ParsedStore rewritten = ParseStore(ReadFile(path));
    EXPECT_FALSE(rewritten.damaged);
    EXPECT_EQ(rewritten.document.section(Services)->entries().size(), 4);

    // Once repaired, later writes keep nothing more aside.
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("newer"), QStringLiteral("10.0.0.4:22")));
    EXPECT_EQ(QDir(home.storeFolder()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files).size(), 1);
}

TEST(Store, UnreadableGarbageReadsAsNothing) {
    TempConfigHome home;
    WriteFile(StoreFile::PathFor(App), QByteArray("\x00\x01\x02\xff garbage\n\x00", 15));
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_EQ(GetSetting(App, Services, QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("x"), QStringLiteral("1.2.3.4:5")));
    EXPECT_EQ(GetAllSettings(App, Services), Pairs({{"x", "1.2.3.4:5"}}));
}

TEST(Store, ChangesThatCannotBeMadeDurableAreReportedAndLoseNothing) {
    {
        // A file where the folder should be: no process, not even root, can create the store.
        TempConfigHome home;
        WriteFile(home.storeFolder(), "not a folder");
        EXPECT_FALSE(SaveSetting(App, Services, QStringLiteral("a"), QStringLiteral("1.2.3.4:5")));
        EXPECT_FALSE(LastStoreError().isEmpty());
        EXPECT_FALSE(DeleteSetting(App, Services, QStringLiteral("a")));
        EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    }
    {
        // Something that cannot be read stands where the file should be: it is never written over.
        TempConfigHome home;
        ASSERT_TRUE(QDir().mkpath(StoreFile::PathFor(App) + QStringLiteral("/keep")));
        EXPECT_EQ(GetSetting(App, Services, QStringLiteral("a"), QStringLiteral("d")), QStringLiteral("d"));
        EXPECT_FALSE(SaveSetting(App, Services, QStringLiteral("a"), QStringLiteral("1.2.3.4:5")));
        EXPECT_FALSE(LastStoreError().isEmpty());
        EXPECT_TRUE(QFileInfo(StoreFile::PathFor(App) + QStringLiteral("/keep")).isDir());
    }
    {
        // The lock cannot be taken (a folder stands in its way): the stored data stays as it was.
        TempConfigHome home;
        ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("a"), QStringLiteral("1.2.3.4:5")));
        EXPECT_TRUE(LastStoreError().isEmpty());
        const QByteArray before = ReadFile(StoreFile::PathFor(App));
        ASSERT_TRUE(QDir().mkpath(StoreFile::PathFor(App) + QStringLiteral(".lock/blocker")));
        StoreFile::SetLockTimeout(std::chrono::milliseconds(200));
        EXPECT_FALSE(SaveSetting(App, Services, QStringLiteral("a"), QStringLiteral("9.9.9.9:9")));
        EXPECT_FALSE(LastStoreError().isEmpty());
        EXPECT_FALSE(DeleteSetting(App, Services, QStringLiteral("a")));
        StoreFile::SetLockTimeout(std::chrono::seconds(5));
        EXPECT_EQ(GetSetting(App, Services, QStringLiteral("a")), QStringLiteral("1.2.3.4:5"));
        EXPECT_EQ(ReadFile(StoreFile::PathFor(App)), before);
    }
}

TEST(Store, WaitsForAnotherWriterAndGivesUpAfterTheTimeOut) {
    TempConfigHome home;
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("a"), QStringLiteral("1.2.3.4:5")));
    QLockFile other(StoreFile::PathFor(App) + QStringLiteral(".lock"));
    ASSERT_TRUE(other.tryLock(0));
    StoreFile::SetLockTimeout(std::chrono::milliseconds(200));
    EXPECT_FALSE(SaveSetting(App, Services, QStringLiteral("b"), QStringLiteral("1.2.3.4:6")));
    EXPECT_TRUE(LastStoreError().contains(QStringLiteral("in use")));
    other.unlock();
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("b"), QStringLiteral("1.2.3.4:6")));
    StoreFile::SetLockTimeout(std::chrono::seconds(5));
    EXPECT_TRUE(LastStoreError().isEmpty());
    EXPECT_EQ(GetAllSettings(App, Services)->size(), 2);
}

struct FormatCase {
    const char* name;
    QByteArray bytes;
    bool damaged;
    Entries services; // what the Services section reads as
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
        FormatCase{"empty", "", false, {}},
        FormatCase{"comments and blank lines", "# c\n\n   \n[Services]\n# c\nk=v\n", false,
                   Pairs({{"k", "v"}})},
        FormatCase{"crlf and bom", "\xEF\xBB\xBF[Services]\r\nk=v\r\n", false, Pairs({{"k", "v"}})},
        FormatCase{"no final line break", "[Services]\nk=v", false, Pairs({{"k", "v"}})},
        FormatCase{"value keeps = and blanks", "[Services]\nk= a=b \n", false, Pairs({{"k", " a=b "}})},
        FormatCase{"escapes", "[Services]\n\\s\\#k\\=\\\\=\\t\\u00e9\\n\n", false,
                   Pairs({{" #k=\\", "\t\xc3\xa9\n"}})},
        FormatCase{"duplicates merge in the first place", "[services]\nA=1\nB=2\n[SERVICES]\na=3\n", false,
                   Pairs({{"A", "3"}, {"B", "2"}})},
        FormatCase{"entry before any section", "k=v\n[Services]\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"line without =", "[Services]\nnonsense\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"unknown escape", "[Services]\nk=\\q\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"short code escape", "[Services]\nk=\\u12\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"dangling backslash", "[Services]\nk=v\\\nx=y\n", true, Pairs({{"x", "y"}})},
        FormatCase{"open section line", "[Services]\na=b\n[Settings\nx=y\n", true, Pairs({{"a", "b"}})},
        FormatCase{"text after section line", "[Services] x\nx=y\n", true, {}},
        FormatCase{"nul byte", QByteArray("[Services]\nk=\0\nx=y\n", 18), true, Pairs({{"x", "y"}})},
        FormatCase{"invalid utf-8", "[Services]\nk=\xc3\n", true, Pairs({{"k", "\xef\xbf\xbd"}})}));

TEST(StoreFormat, SerialisedTextParsesBackToTheSameContent) {
    StoreDocument document;
    StoreSection& services = document.sectionForWrite(QStringLiteral("Ser]vices "));
    for (const auto& [key, value] : AwkwardEntries())
        services.set(key, value);
    document.sectionForWrite(QStringLiteral("empty"));
    document.sectionForWrite(QStringLiteral("#Settings"))
        .set(QStringLiteral("Timeout"), QStringLiteral("10"));

    const QByteArray bytes = SerialiseStore(document);
    const ParsedStore parsed = ParseStore(bytes);
    EXPECT_FALSE(parsed.damaged) << parsed.firstProblem.toStdString();
    EXPECT_TRUE(parsed.document.sameContent(document)) << bytes.toStdString();
    EXPECT_EQ(SerialiseStore(parsed.document), bytes);
    EXPECT_FALSE(bytes.contains("[empty]"));
}

} // namespace
