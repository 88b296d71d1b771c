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

private:
    QString m_name;
    QList<QPair<QString, QString>> m_entries;
    QHash<QString, qsizetype> m_index; // folded key -> position in m_entries
};

// A whole file: sections in creation order.
class StoreDocument {
public:
    const QList<StoreSection>& sections() const { return m_sections; }
    const StoreSection* section(const QString& name) const;
    StoreSection& sectionForWrite(const QString& name); // creates it at the end when absent

    // Same sections holding entries, in the same order, with the same spellings and values.
    bool sameContent(const StoreDocument& other) const;

private:
    QList<StoreSection> m_sections;
    QHash<QString, qsizetype> m_index; // folded name -> position in m_sections
};

struct ParsedStore {
    StoreDocument document;
    bool damaged = false;
    int skippedLines = 0; // lines that could not be read at all
    QString firstProblem; // for the log: what made the file damaged first
};

ParsedStore ParseStore(QByteArrayView bytes);
QByteArray SerialiseStore(const StoreDocument& document);
