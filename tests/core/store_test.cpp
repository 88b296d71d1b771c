#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using Entries = QList<QPair<QString, QString>>;
const QString App = QStringLiteral("Vantrel");
const QString Services = QStringLiteral("Services");

constexpr int kSavesPerWriter = 150;

// The test program doubles as the other process: with VANTREL_STORE_CHILD set it works on the store of
// the inherited XDG_CONFIG_HOME and exits before any test runs. A writer (the variable holds its key
// prefix) waits for a byte on stdin, so that all writers begin together, and saves its keys one after
// the other, as fast as it can, writing a '+' to stdout after each; every child then prints the
// Services section.
const int g_childRun = [] {
    const QString role = qEnvironmentVariable("VANTREL_STORE_CHILD");
    if (role.isEmpty())
        return 0;
    char go = 0;
    bool ok = role == "dump" || ::read(STDIN_FILENO, &go, 1) == 1;
    for (int i = 0; ok && role != "dump" && i < kSavesPerWriter; ++i)
        ok = SaveSetting(App, Services, role + QString::number(i), QStringLiteral("10.0.0.%1:80").arg(i)) &&
             ::write(STDOUT_FILENO, "+", 1) == 1;
    if (!ok)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(role), qPrintable(LastStoreError()));
    {
        QFile out;
        ok = out.open(stdout, QIODevice::WriteOnly) && ok;
        const auto all = GetAllSettings(App, Services);
        QDataStream(&out) << all.has_value() << all.value_or(Entries{});
    }
    std::fflush(stdout);
    std::_Exit(ok ? 0 : 1);
}();

std::unique_ptr<QProcess> StartChild(const QString& role) {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VANTREL_STORE_CHILD", role);
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

bool Save(const QString& key, const QString& value) {
    return SaveSetting(App, Services, key, value);
}

TEST(Store, KeepsCreationOrderAndOneEntryPerNameWhateverTheCase) {
    TempConfigHome home;
    EXPECT_EQ(GetSetting(App, Services, "A", "none"), "none");
    ASSERT_TRUE(Save("A", "1") && Save("B", "2") && Save("C", "3") &&
                SaveSetting(App, "Settings", "T", "10"));
    // Replacing keeps the place and the first spelling; delete and create again goes to the end.
    ASSERT_TRUE(SaveSetting("VANTREL", "services", "b", "4") && Save("c", "5"));
    ASSERT_TRUE(DeleteSetting(App, Services, "a") && Save("A", "6"));
    EXPECT_EQ(GetAllSettings(App, Services), (Entries{{"B", "4"}, {"C", "5"}, {"A", "6"}}));
    EXPECT_EQ(GetSetting("vantrel", "SERVICES", "c"), "5");

    // Deleting what is not there is no failure; deleting the last service leaves "nothing", not an
    // empty list, and other sections alone.
    for (const char* key : {"absent", "A", "B", "C"})
        ASSERT_TRUE(DeleteSetting(App, Services, key)) << key;
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_EQ(GetAllSettings(App, "Settings"), (Entries{{"T", "10"}}));
    EXPECT_EQ(QFileInfo(StoreFile::PathFor(App)).permissions() & 0x0077, 0) << "others may read the store";
}

TEST(Store, AwkwardNamesRoundTripThroughTheFileAndAnotherProcess) {
    TempConfigHome home;
    QStringList awkward = {"web server", " leading",   "trailing ", "a=b;c",       "[bracket]", "#hash",
                           "back\\",     "\\s\\u0041", "tab\there", "new\nline\r", "",          "="};
    awkward << QString::fromUtf8("h\xc3\xa9llo \xf0\x9f\x98\x80") << QString(QChar(0xD800))
            << QString(QChar(u'\0'));
    Entries expected;
    for (qsizetype i = 0; i < awkward.size(); ++i) {
        expected.append({awkward[i], awkward[(i + 1) % awkward.size()]});
        ASSERT_TRUE(Save(expected.last().first, expected.last().second));
    }
    EXPECT_EQ(GetAllSettings(App, Services), expected);
    const QByteArray file = ReadFile(StoreFile::PathFor(App));
    EXPECT_TRUE(file.contains("\nweb server=\\sleading\n")) << "the file is not plain to read";
    EXPECT_EQ(DumpFromAnotherProcess(), expected);
}

// Four writers save as fast as they can while this process reads after each save it hears of: each
// holds the lock only briefly, so no save fails for want of it, none is lost, and the reader never
// sees the list shrink. One round by default; VANTREL_STORE_ROUNDS=20 is the full run.
TEST(Store, SeveralProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 4;
    const int rounds = std::max(1, qEnvironmentVariableIntValue("VANTREL_STORE_ROUNDS"));
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempConfigHome home;
        ASSERT_TRUE(Save("first", "1") && GetAllSettings(App, Services)); // cached before the others write
        std::vector<std::unique_ptr<QProcess>> children;
        for (int p = 0; p < kWriters; ++p)
            children.push_back(StartChild(QStringLiteral("p%1-").arg(p)));
        qsizetype seen = 1, shrank = 0;
        int finished = 0;
        QEventLoop loop;
        for (auto& child : children) {
            QObject::connect(child.get(), &QProcess::readyReadStandardOutput, [&, c = child.get()] {
                c->readAllStandardOutput();
                const qsizetype now = GetAllSettings(App, Services).value_or(Entries{}).size();
                shrank += now < seen;
                seen = std::max(seen, now);
            });
            QObject::connect(child.get(), &QProcess::finished, [&] {
                if (++finished == kWriters)
                    loop.quit();
            });
        }
        for (auto& child : children)
            ASSERT_TRUE(child->write("g") == 1 && child->waitForBytesWritten());
        loop.exec();
        EXPECT_EQ(shrank, 0);
        for (auto& child : children)
            EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        EXPECT_EQ(GetAllSettings(App, Services).value_or(Entries{}).size(), 1 + kWriters * kSavesPerWriter);
        // A write here starts from what the others wrote, not from the version cached before.
        ASSERT_TRUE(Save("last", "2"));
        EXPECT_EQ(DumpFromAnotherProcess().value_or(Entries{}).size(), 2 + kWriters * kSavesPerWriter);
    }
}

// Two versions of the file that look alike to the readers' cache (same inode, size and times): the
// second is written through a shared mapping, which the system does not stamp again once the page is
// writable. A change made here must still build on the second, or the other program's change is lost.
TEST(Store, ChangeBuildsOnTheFileOnDiskEvenWhenItLooksUnchanged) {
    TempConfigHome home;
    ASSERT_TRUE(Save("a", "10.0.0.1:80"));
    QFile file(StoreFile::PathFor(App));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    uchar* bytes = file.map(0, file.size());
    ASSERT_NE(bytes, nullptr);
    const qsizetype digit = QByteArrayView(bytes, file.size()).indexOf("10.0.0.1:") + 7;
    bytes[digit] = '2';                  // makes the page writable; stamped
    (void)GetAllSettings(App, Services); // read here, cached with that stamp
    struct stat before, after;
    ASSERT_EQ(::fstat(file.handle(), &before), 0);
    bytes[digit] = '3'; // another program's change, not stamped
    ASSERT_EQ(::fstat(file.handle(), &after), 0);
    ASSERT_TRUE(before.st_size == after.st_size && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec &&
                before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
                before.st_ctim.tv_nsec == after.st_ctim.tv_nsec &&
                before.st_ctim.tv_sec == after.st_ctim.tv_sec)
        << "the system stamped the second version; the two cannot be made alike here";
    file.unmap(bytes);
    file.close();
    ASSERT_TRUE(Save("b", "10.0.0.4:80"));
    EXPECT_EQ(DumpFromAnotherProcess(), (Entries{{"a", "10.0.0.3:80"}, {"b", "10.0.0.4:80"}}));
}

// What people leave in a file they edit by hand is no damage, and means what they meant.
TEST(Store, HandEditedFileReadsAsMeant) {
    const struct {
        QByteArray file;
        Entries services, settings;
    } cases[] = {
        // Blanks around section lines and around '=' (the section before must not take the services).
        {"[Settings]\nTimeout = 5\n  [Services] \nweb=10.0.0.1:80\n",
         {{"web", "10.0.0.1:80"}},
         {{"Timeout", "5"}}},
        {"[Services]\t\r\n\t web server \t=\t 10.0.0.1:80  \r\n", {{"web server", "10.0.0.1:80"}}, {}},
        // Escaped blanks are kept; an unescaped one is kept only with an escape after it.
        {"[Services]\n\\sa\\s = \\s1\\s\nb=x \\s\n = \n", {{" a ", " 1 "}, {"b", "x  "}, {"", ""}}, {}},
        // Byte-order mark, comments (indented too), CR LF, a section named twice in any case.
        {"\xEF\xBB\xBF# note\r\n[services]\r\n  # note\r\nA=1\r\nB=2\r\n[SERVICES]\r\na=3\r\n",
         {{"A", "3"}, {"B", "2"}},
         {}},
        // Blanks inside the brackets belong to the section's name, as they always did.
        {"[ Services ]\nweb=1\n", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const ParsedStore parsed = ParseStore(c.file);
        EXPECT_FALSE(parsed.damaged) << parsed.firstProblem.toStdString();
        for (const auto& [name, expected] :
             {std::pair{Services, c.services}, std::pair{QString("Settings"), c.settings}}) {
            const StoreSection* section = parsed.document.section(name);
            EXPECT_EQ(section ? section->entries() : Entries{}, expected) << name.toStdString();
        }
    }

    // A save to such a file replaces the hand-written key instead of adding another below it.
    TempConfigHome home;
    WriteFile(StoreFile::PathFor(App), cases[0].file);
    ASSERT_TRUE(SaveSetting(App, "Settings", "TIMEOUT", "7"));
    EXPECT_EQ(ReadFile(StoreFile::PathFor(App)).count("imeout="), 1);
    EXPECT_EQ(GetSetting(App, "Settings", "Timeout"), "7");
    EXPECT_EQ(TakeStoreDamage(App), std::nullopt);
}

// What a person wrote stays where it stood through the program's saves: comments, blank lines,
// sections in their order. A changed entry keeps its line, a deleted one takes only its own line (its
// comment stays), an entry deleted and saved again (an edit) goes to the end of its section, new
// entries follow the last entry of their section, and a new section comes at the end.
TEST(Store, CommentsAndBlankLinesSurviveTheProgramsSaves) {
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    WriteFile(path, "# my services\n"
                    "\n"
                    "[Services]\n"
                    "  # ask the network team before removing\n"
                    "gateway = 10.0.0.1:22\n"
                    "# the old mail host\n"
                    "mail=10.0.0.2:25\n"
                    "web=10.0.0.3:80\n"
                    "\n"
                    "# end of services\n"
                    "\n"
                    "[Settings]\n"
                    "Timeout=10 # not a comment: part of the value\n");
    ASSERT_TRUE(SaveSetting(App, Services, "GATEWAY", "10.0.0.9:22") &&
                DeleteSetting(App, Services, "mail") && DeleteSetting(App, Services, "web") &&
                Save("web", "10.0.0.4:80") && Save("new", "10.0.0.5:1") &&
                SaveSetting(App, "Settings", "Timeout", "5") && SaveSetting(App, "Extra", "a", "b"));
    const QByteArray expected = "# my services\n"
                                "\n"
                                "[Services]\n"
                                "  # ask the network team before removing\n"
                                "gateway=10.0.0.9:22\n"
                                "web=10.0.0.4:80\n"
                                "new=10.0.0.5:1\n"
                                "# the old mail host\n"
                                "\n"
                                "# end of services\n"
                                "\n"
                                "[Settings]\n"
                                "Timeout=5\n"
                                "\n"
                                "[Extra]\n"
                                "a=b\n";
    EXPECT_EQ(ReadFile(path).toStdString(), expected.toStdString());
    // Saving what is already there writes nothing.
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_TRUE(SaveSetting(App, "Settings", "Timeout", "5"));
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

// A section line that lost its '[' must not make the entries below it part of the section above:
// there a service named like a setting would replace that setting.
TEST(Store, SectionLineWithoutItsBracketStartsTheSectionItNamesAndIsDamage) {
    const ParsedStore parsed =
        ParseStore("[Settings]\nTimeout=5\nServices]\nTimeout=10.0.0.1:80\nweb=x]\n  Other\\]] \na=1\n");
    EXPECT_TRUE(parsed.damaged);
    EXPECT_EQ(parsed.firstProblem, "line 3: section line without '['");
    EXPECT_EQ(parsed.document.section("Settings")->entries(), (Entries{{"Timeout", "5"}}));
    EXPECT_EQ(parsed.document.section(Services)->entries(),
              (Entries{{"Timeout", "10.0.0.1:80"}, {"web", "x]"}}));
    EXPECT_EQ(parsed.document.section("Other]")->entries(), (Entries{{"a", "1"}}));
    EXPECT_EQ(parsed.skippedLines, 0);
}

// Read as far as possible; kept aside once, before the first write or when start-up asks, and said once.
TEST(Store, DamagedFileIsReadAsFarAsPossibleKeptAsideAndReportedOnce) {
    const QByteArray damaged = "[Services]\nweb=10.0.0.1:80\nno equals sign\nbad\xff=1.2.3.4:5\n"
                               "[Settings\nmail=10.0.0.2:25\n";
    const Entries read = {{"web", "10.0.0.1:80"}, {QString::fromUtf8("bad\xef\xbf\xbd"), "1.2.3.4:5"}};
    enum class First { Report, Save, ReportWhileLocked };
    for (const First first : {First::Report, First::Save, First::ReportWhileLocked}) {
        SCOPED_TRACE(int(first));
        TempConfigHome home;
        const QString path = StoreFile::PathFor(App);
        WriteFile(path, damaged);
        // Broken bytes become a replacement character; the entry under the broken section line is no service.
        EXPECT_EQ(GetAllSettings(App, Services), read);
        if (first == First::Save) {
            ASSERT_TRUE(Save("new", "10.0.0.3:22"));
        }

        std::optional<StoreDamage> damage;
        if (first == First::ReportWhileLocked) {
            // Nothing can be kept aside while another program holds the lock: said so, the file untouched.
            StoreFile::SetLockTimeout(std::chrono::milliseconds(100));
            QLockFile other(path + ".lock");
            ASSERT_TRUE(other.tryLock(0));
            damage = TakeStoreDamage(App);
            StoreFile::SetLockTimeout(std::chrono::seconds(5));
            ASSERT_TRUE(damage);
            EXPECT_TRUE(damage->keptAs.isEmpty() && damage->failure.contains("in use"))
                << damage->failure.toStdString();
            EXPECT_EQ(ReadFile(path), damaged);
            EXPECT_EQ(TakeStoreDamage(App), std::nullopt);
            continue;
        }
        damage = TakeStoreDamage(App);
        const QStringList aside = QDir(home.storeFolder()).entryList({"*.damaged-*"}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        ASSERT_TRUE(damage);
        EXPECT_EQ(damage->file, path);
        EXPECT_EQ(damage->keptAs, home.storeFolder() + u'/' + aside.first());
        EXPECT_EQ(ReadFile(damage->keptAs), damaged);
        EXPECT_EQ(
            std::tuple(damage->services, damage->settings, damage->unreadableLines, damage->firstProblem),
            std::tuple(2, 0, 3, QString("not valid UTF-8")));
        // The file now holds what could be read, and is no longer damaged: said once, kept aside once.
        EXPECT_FALSE(ParseStore(ReadFile(path)).damaged);
        EXPECT_EQ(DumpFromAnotherProcess()->size(), read.size() + (first == First::Save));
        EXPECT_EQ(TakeStoreDamage(App), std::nullopt);
        ASSERT_TRUE(Save("newer", "10.0.0.4:22"));
        EXPECT_EQ(QDir(home.storeFolder()).entryList({"*.damaged-*"}, QDir::Files).size(), 1);
    }
}

TEST(Store, ChangesThatCannotBeMadeDurableAreReportedAndLoseNothing) {
    StoreFile::SetLockTimeout(std::chrono::milliseconds(200));
    {
        // A file where the folder should be: no process, not even root, can create the store.
        TempConfigHome home;
        WriteFile(home.storeFolder(), "not a folder");
        EXPECT_FALSE(Save("a", "1.2.3.4:5") || DeleteSetting(App, Services, "a"));
        EXPECT_FALSE(LastStoreError().isEmpty());
    }
    {
        // Something unreadable where the file should be is never written over.
        TempConfigHome home;
        ASSERT_TRUE(QDir().mkpath(StoreFile::PathFor(App) + "/keep"));
        EXPECT_FALSE(Save("a", "1.2.3.4:5"));
        EXPECT_TRUE(QFileInfo(StoreFile::PathFor(App) + "/keep").isDir());
    }
    {
        // Another writer holds the lock longer than the time-out (and past the time after which a lock
        // of a dead writer would be taken over): nothing changes until it lets go.
        TempConfigHome home;
        ASSERT_TRUE(Save("a", "1.2.3.4:5"));
        const QByteArray before = ReadFile(StoreFile::PathFor(App));
        QLockFile other(StoreFile::PathFor(App) + ".lock");
        ASSERT_TRUE(other.tryLock(0));
        EXPECT_FALSE(Save("a", "9.9.9.9:9") || DeleteSetting(App, Services, "a"));
        EXPECT_TRUE(LastStoreError().contains("in use"));
        EXPECT_EQ(ReadFile(StoreFile::PathFor(App)), before);
        other.unlock();
        EXPECT_TRUE(Save("b", "1.2.3.4:6") && LastStoreError().isEmpty());
    }
    StoreFile::SetLockTimeout(std::chrono::seconds(5));
}

} // namespace
