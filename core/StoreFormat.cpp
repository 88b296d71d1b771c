// The store file, one per application: $XDG_CONFIG_HOME/Vantrel/<application>.conf, where the name is
// the application's in lower case with every character but a-z, 0-9, '_' and '-' written as %XX of
// its UTF-8 bytes (so "Vantrel" is vantrel.conf). UTF-8 text, readable only by its owner (0600, folder
// 0700), replaced whole on every change (written beside it, synced, renamed over it) while
// <file>.lock is held. Example:
//
//   # Vantrel settings: one [section] line, then its key=value lines in creation order.
//   [Services]
//   web server=10.0.0.1:80
//   mail=10.0.0.2:25
//
//   [Settings]
//   Timeout=10
//
// Lines beginning with '#' are comments; lines holding only blanks are ignored. Both stay where they
// stand when the program rewrites the file; the lines of a deleted entry go, its comments stay, and
// new entries go after the last entry of their section. "[name]" opens a section.
// Every other line is one entry: the key runs up to the first '=' that is not escaped, the value is the rest
// of the line. Blanks (spaces and tabs) that are not escaped mean nothing around a line, around the '=' and
// at the ends of a key or value, so "  Timeout = 5" is Timeout=5: people edit this file by hand, and the
// writer escapes every blank at the ends of a text, so nothing it wrote changes meaning. Blanks inside the
// brackets of a section line are part of the name. Inside names and values a backslash starts an escape:
//   \\ backslash    \n line feed    \r carriage return    \t tab
//   \s blank (written only at the start or end of a text, where it would be invisible)
//   \= '=' (in keys)    \] ']' (in section names)    \# '#' and \[ '[' (first character of a key)
//   \uXXXX any other control character, or half of a broken UTF-16 pair
// Names compare without regard to case. A later line for a key (or a section) already seen
// updates the earlier one in its place, so a hand-edited file never yields two entries for a name.
//
// A file is damaged when its bytes are not valid UTF-8, when it holds a NUL byte, or when a line
// is none of the forms above: no unescaped '=', a "[" line that does not end in an unescaped "]",
// an unknown escape, or an entry outside a readable section. A line "name]" with no '=' is taken as
// the section line it was meant to be (the entries below it must not join the section above), but
// still makes the file damaged. A NUL byte makes a line unreadable, a comment too. Readers take every line
// they can and skip the rest; the next write (or start-up, which tells the user) keeps the damaged file
// aside, as <file>.damaged-<UTC time>, before replacing it.
#include "core/StoreFormat.h"

#include <QSet>
#include <QStringDecoder>
#include <array>
#include <optional>
#include <utility>

QString FoldName(const QString& name) {
    return name.toCaseFolded();
}

const QString* StoreSection::value(const QString& key) const {
    const auto it = m_index.constFind(FoldName(key));
    return it == m_index.constEnd() ? nullptr : &m_entries[*it].second;
}

bool StoreSection::set(const QString& key, const QString& value) {
    const QString folded = FoldName(key);
    const auto it = m_index.constFind(folded);
    if (it == m_index.constEnd()) {
        m_index.insert(folded, m_entries.size());
        m_entries.append({key, value});
        m_ids.append(m_nextId++);
        return true;
    }
    QString& stored = m_entries[*it].second;
    if (stored == value)
        return false;
    stored = value;
    return true;
}

bool StoreSection::remove(const QString& key) {
    const auto it = m_index.find(FoldName(key));
    if (it == m_index.end())
        return false;
    const qsizetype position = *it;
    m_index.erase(it);
    m_entries.removeAt(position);
    m_ids.removeAt(position);
    for (auto& other : m_index)
        if (other > position)
            --other;
    return true;
}

const StoreSection* StoreDocument::section(const QString& name) const {
    const auto it = m_index.constFind(FoldName(name));
    return it == m_index.constEnd() ? nullptr : &m_sections[*it];
}

StoreSection& StoreDocument::sectionForWrite(const QString& name) {
    const QString folded = FoldName(name);
    const auto it = m_index.constFind(folded);
    if (it != m_index.constEnd())
        return m_sections[*it];
    m_index.insert(folded, m_sections.size());
    m_sections.append(StoreSection(name));
    return m_sections.last();
}

void StoreDocument::readTextLine(const QString& text) {
    m_lines.append({StoreLine::Kind::Text, text, {}, 0});
}

qsizetype StoreDocument::readSectionLine(const QString& name) {
    sectionForWrite(name);
    const qsizetype position = m_index.value(FoldName(name));
    m_lines.append({StoreLine::Kind::Section, {}, position, 0});
    return position;
}

void StoreDocument::readEntryLine(qsizetype position, const QString& key, const QString& value) {
    StoreSection& section = m_sections[position];
    // A later line for a key already read updates the first one in its place and is not kept.
    const bool known = section.value(key) != nullptr;
    section.set(key, value);
    if (!known)
        m_lines.append({StoreLine::Kind::Entry, {}, position, section.idAt(section.entries().size() - 1)});
}

bool StoreDocument::sameContent(const StoreDocument& other) const {
    auto filled = [](const StoreDocument& d) {
        QList<const StoreSection*> result;
        for (const StoreSection& s : d.m_sections)
            if (!s.isEmpty())
                result.append(&s);
        return result;
    };
    const auto mine = filled(*this);
    const auto theirs = filled(other);
    if (mine.size() != theirs.size())
        return false;
    for (qsizetype i = 0; i < mine.size(); ++i)
        if (mine[i]->name() != theirs[i]->name() || mine[i]->entries() != theirs[i]->entries())
            return false;
    return true;
}

namespace {

// Characters written as a backslash and a letter, shared by the writer and the reader. The blank
// is written so only at the start or end of a text.
constexpr std::array<std::pair<char16_t, char16_t>, 5> kLetterEscapes{
    {{u'\\', u'\\'}, {u'\n', u'n'}, {u'\r', u'r'}, {u'\t', u't'}, {u' ', u's'}}};

std::optional<char16_t> LetterFor(char16_t c) {
    for (const auto& [plain, letter] : kLetterEscapes)
        if (plain == c)
            return letter;
    return std::nullopt;
}

std::optional<char16_t> PlainFor(char16_t letter) {
    for (const auto& [plain, escaped] : kLetterEscapes)
        if (escaped == letter)
            return plain;
    return std::nullopt;
}

enum class TextKind { SectionName, Key, Value };

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView text) {
    while (!text.isEmpty() && IsBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    return text;
}

bool NeedsCodeEscape(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20 || c == 0x7f)
        return true;
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    if (QChar::isLowSurrogate(c))
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    return false;
}

void AppendEscaped(QString& out, const QString& text, TextKind kind) {
    qsizetype leadingBlanks = 0;
    while (leadingBlanks < text.size() && text[leadingBlanks] == u' ')
        ++leadingBlanks;
    qsizetype trailingFrom = text.size();
    while (trailingFrom > leadingBlanks && text[trailingFrom - 1] == u' ')
        --trailingFrom;

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const auto letter = LetterFor(c.unicode());
        if (letter && (c != u' ' || i < leadingBlanks || i >= trailingFrom)) {
            out += u'\\';
            out += QChar(*letter);
        } else if (c == u'=' && kind == TextKind::Key) {
            out += u"\\=";
        } else if (c == u']' && kind == TextKind::SectionName) {
            out += u"\\]";
        } else if (i == 0 && kind == TextKind::Key && (c == u'#' || c == u'[')) {
            out += u'\\';
            out += c;
        } else if (NeedsCodeEscape(text, i)) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
}

std::optional<char16_t> HexCode(QStringView digits) {
    if (digits.size() != 4)
        return std::nullopt;
    char16_t code = 0;
    for (QChar c : digits) {
        const int digit = QStringView(u"0123456789abcdef").indexOf(c.toLower());
        if (digit < 0 || c.unicode() > 0x7f)
            return std::nullopt;
        code = static_cast<char16_t>(code * 16 + digit);
    }
    return code;
}

enum class Blanks { Keep, Trim };

// Reads an escaped text from `line` starting at `pos` up to the first unescaped `stop` character
// (or the end when stop is null). Leaves `pos` on the stop character. nullopt on a bad escape.
// With Blanks::Trim, blanks that are not escaped are dropped from both ends of the text.
std::optional<QString> ReadEscaped(QStringView line, qsizetype& pos, QChar stop, Blanks blanks) {
    QString out;
    if (blanks == Blanks::Trim)
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
    qsizetype kept = 0; // how much of `out` ends with something other than an unescaped blank
    auto finish = [&] {
        if (blanks == Blanks::Trim)
            out.truncate(kept);
        return out;
    };
    while (pos < line.size()) {
        const QChar c = line[pos];
        if (!stop.isNull() && c == stop)
            return finish();
        if (c != u'\\') {
            out += c;
            if (!IsBlank(c))
                kept = out.size();
            ++pos;
            continue;
        }
        if (pos + 1 >= line.size())
            return std::nullopt;
        const QChar e = line[pos + 1];
        pos += 2;
        kept = out.size() + 1; // every escape yields one character, kept even when it is a blank
        if (const auto plain = PlainFor(e.unicode())) {
            out += QChar(*plain);
            continue;
        }
        switch (e.unicode()) {
        case u'=':
        case u']':
        case u'[':
        case u'#':
            out += e;
            break;
        case u'u': {
            const auto code = HexCode(line.mid(pos, 4));
            if (!code)
                return std::nullopt;
            out += QChar(*code);
            pos += 4;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    if (!stop.isNull())
        return std::nullopt; // the stop character never came
    return finish();
}

} // namespace

namespace {

// A line with no unescaped '=' that ends in an unescaped ']': a section line that lost its '['.
std::optional<QString> SectionLineWithoutBracket(QStringView line) {
    if (!line.endsWith(u']'))
        return std::nullopt;
    qsizetype pos = 0;
    if (ReadEscaped(line, pos, u'=', Blanks::Trim))
        return std::nullopt; // an entry whose value ends in ']'
    pos = 0;
    const auto name = ReadEscaped(line, pos, u']', Blanks::Keep);
    if (!name || pos != line.size() - 1)
        return std::nullopt;
    return name;
}

void AppendEntry(QString& out, const QPair<QString, QString>& entry) {
    AppendEscaped(out, entry.first, TextKind::Key);
    out += u'=';
    AppendEscaped(out, entry.second, TextKind::Value);
    out += u'\n';
}

void AppendSectionLine(QString& out, const StoreSection& section) {
    out += u'[';
    AppendEscaped(out, section.name(), TextKind::SectionName);
    out += u"]\n";
}

} // namespace

ParsedStore ParseStore(QByteArrayView bytes) {
    ParsedStore result;
    auto problem = [&result](const QString& what) {
        if (!result.damaged)
            result.firstProblem = what;
        result.damaged = true;
    };

    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3); // a byte-order mark left by a text editor
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        problem(QStringLiteral("not valid UTF-8"));

    StoreDocument& document = result.document;
    qsizetype current = -1; // the section being read
    qsizetype lineStart = 0;
    int lineNumber = 0;
    // A file that ends with a line feed has no line after it.
    const qsizetype end = text.endsWith(u'\n') ? text.size() - 1 : text.size();
    while (!text.isEmpty() && lineStart <= end) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        QStringView written = QStringView(text).mid(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++lineNumber;
        if (written.endsWith(u'\r'))
            written.chop(1); // written elsewhere with CR LF line ends
        const QStringView line = TrimBlanks(written);

        auto skip = [&](const char* why) {
            ++result.skippedLines;
            problem(QStringLiteral("line %1: %2").arg(lineNumber).arg(QLatin1StringView(why)));
        };
        if (line.contains(QChar(u'\0'))) {
            skip("NUL byte");
            continue;
        }
        if (line.isEmpty() || line.startsWith(u'#')) {
            // Kept as written, but without carriage returns at its end: the line feed written after
            // it would make the last of them a line end the next time.
            while (written.endsWith(u'\r'))
                written.chop(1);
            document.readTextLine(line.isEmpty() ? QString() : written.toString());
            continue;
        }
        if (line.startsWith(u'[')) {
            qsizetype pos = 1;
            const auto name = ReadEscaped(line, pos, u']', Blanks::Keep);
            if (!name || pos != line.size() - 1) {
                skip("unreadable section line");
                current = -1; // its entries must not land in the section before it
                continue;
            }
            current = document.readSectionLine(*name);
            continue;
        }
        if (const auto name = SectionLineWithoutBracket(line)) {
            problem(QStringLiteral("line %1: section line without '['").arg(lineNumber));
            current = document.readSectionLine(*name);
            continue;
        }
        qsizetype pos = 0;
        const auto key = ReadEscaped(line, pos, u'=', Blanks::Trim);
        if (!key) {
            skip("no '=' or a bad escape in the key");
            continue;
        }
        ++pos; // past '='
        const auto value = ReadEscaped(line, pos, QChar(), Blanks::Trim);
        if (!value) {
            skip("bad escape in the value");
            continue;
        }
        if (current < 0) {
            skip("entry before any section");
            continue;
        }
        document.readEntryLine(current, *key, *value);
    }
    return result;
}

// Writes the lines the file was read from in their order, each entry with its present value and none
// that has gone; entries that are new to a section follow the last line read for that section, and
// sections new to the file follow at the end. A file never read gets a note on its form first.
QByteArray SerialiseStore(const StoreDocument& document) {
    const QList<StoreLine>& lines = document.lines();
    QString out;
    if (lines.isEmpty())
        out = QStringLiteral("# Vantrel settings: one [section] line, then its key=value lines in "
                             "creation order.\n");

    const QList<StoreSection>& sections = document.sections();
    QList<qsizetype> lastLineOf(sections.size(), -1); // per section: its last section or entry line
    QList<QSet<quint64>> placed(sections.size());     // per section: entries that have a line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == StoreLine::Kind::Text)
            continue;
        lastLineOf[lines[i].section] = i;
        if (lines[i].kind == StoreLine::Kind::Entry)
            placed[lines[i].section].insert(lines[i].entry);
    }
    const auto appendNewEntries = [&](qsizetype s) {
        const StoreSection& section = sections[s];
        for (qsizetype e = 0; e < section.entries().size(); ++e)
            if (!placed[s].contains(section.idAt(e)))
                AppendEntry(out, section.entries()[e]);
    };

    QList<QHash<quint64, qsizetype>> positions(sections.size()); // entry -> position, built on first use
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const StoreLine& line = lines[i];
        if (line.kind == StoreLine::Kind::Text) {
            out += line.text;
            out += u'\n';
            continue;
        }
        const StoreSection& section = sections[line.section];
        if (line.kind == StoreLine::Kind::Section) {
            AppendSectionLine(out, section);
        } else {
            auto& byId = positions[line.section];
            if (byId.isEmpty())
                for (qsizetype e = 0; e < section.entries().size(); ++e)
                    byId.insert(section.idAt(e), e);
            if (const auto it = byId.constFind(line.entry); it != byId.constEnd())
                AppendEntry(out, section.entries()[*it]);
        }
        if (lastLineOf[line.section] == i)
            appendNewEntries(line.section);
    }

    for (qsizetype s = 0; s < sections.size(); ++s) {
        if (sections[s].isEmpty() || lastLineOf[s] >= 0)
            continue;
        if (!out.isEmpty() && !out.endsWith(u"\n\n"))
            out += u'\n';
        AppendSectionLine(out, sections[s]);
        appendNewEntries(s);
    }
    return out.toUtf8();
}
