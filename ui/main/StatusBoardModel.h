#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The last cycle's rows as the board shows them: one item per service, in stored order.
class StatusBoardModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { UpRole = Qt::UserRole + 1, TimeTextRole };

    struct Row {
        QString host; // exactly as stored
        bool up = false;
        QString time;  // "47ms"
        QString state; // since when it is up or down, and why; empty when not known
    };

    using QAbstractListModel::QAbstractListModel;

    // Replaces every row.
    void SetRows(QList<Row> rows);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const Row& At(int row) const { return m_rows.at(row); }
    // The host name as the board draws it.
    QString ShownName(int row) const;
    // What the row's tooltip and its accessible description say.
    QString RowDescription(int row) const;
    // What a screen reader says for the row: the light's colour in words, with the name and time.
    QString SpokenText(int row) const;

private:
    QList<Row> m_rows;
};
