#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

// The store file's contents in memory, and the pure conversions between it and the file's bytes.
// No file access here, so the reader can be driven by anything (tests, a fuzzer).

// Names (application, section, key) compare without regard to case; this is the form they are
// compared in.
QString FoldName(const QString& name);

// One section: entries in creation order. A key keeps its first spelling and its place.
class StoreSection {
public:
    explicit StoreSection(const QString& name = QString()) : m_name(name) {}

    const QString& name() const { return m_name; }
    const QList<QPair<QString, QString>>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    const QString* value(const QString& key) const;
    // Returns false when the key already held exactly this value.
    bool set(const QString& key, const QString& value);
    // Returns false when there was no such key.
    bool remove(const QString& key);

    // Each entry's identity while it lives: an entry deleted and created again is a new one, so the
    // file's layout can tell an entry that stays in its place from one that moves to the end.
    quint64 idAt(qsizetype position) const { return m_ids[position]; }

private:
    QString m_name;
    QList<QPair<QString, QString>> m_entries;
    QList<quint64> m_ids;              // parallel to m_entries
    QHash<QString, qsizetype> m_index; // folded key -> position in m_entries
    quint64 m_nextId = 1;
};

// One line of the file as read, in its order: a comment or blank line kept as written, a section
// line, or the line of an entry (which may since have changed or gone).
struct StoreLine {
    enum class Kind { Text, Section, Entry };
    Kind kind = Kind::Text;
    QString text;          // Text: the line as written
    qsizetype section = 0; // Section and Entry: the section's position in the document
    quint64 entry = 0;     // Entry: the entry's identity in its section
};

// A whole file: sections in creation order, and the lines it was read from, so that a rewrite keeps
// what a person wrote (comments, blank lines, the order of sections) where it stood.
class StoreDocument {
public:
    const QList<StoreSection>& sections() const { return m_sections; }
    const StoreSection* section(const QString& name) const;
    StoreSection& sectionForWrite(const QString& name); // creates it at the end when absent

    // Same sections holding entries, in the same order, with the same spellings and values.
    bool sameContent(const StoreDocument& other) const;

    const QList<StoreLine>& lines() const { return m_lines; }
    // The reader's steps, each recording the line it read.
    void readTextLine(const QString& text);
    qsizetype readSectionLine(const QString& name); // the section's position
    void readEntryLine(qsizetype section, const QString& key, const QString& value);

private:
    QList<StoreSection> m_sections;
    QHash<QString, qsizetype> m_index; // folded name -> position in m_sections
    QList<StoreLine> m_lines;
};

struct ParsedStore {
    StoreDocument document;
    bool damaged = false;
    int skippedLines = 0; // lines that could not be read at all
    QString firstProblem; // for the log: what made the file damaged first
};

ParsedStore ParseStore(QByteArrayView bytes);
QByteArray SerialiseStore(const StoreDocument& document);
