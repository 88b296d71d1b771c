#include "ui/main/StatusBoardModel.h"

#include "core/VisibleText.h"

void StatusBoardModel::SetRows(QList<Row> rows) {
    // Rows are added or removed at the end and the rest changed in place, so a view keeps its
    // scroll position and current row across a rebuild.
    const int before = int(m_rows.size());
    const int after = int(rows.size());
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        m_rows = std::move(rows);
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        m_rows = std::move(rows);
        endRemoveRows();
    } else {
        m_rows = std::move(rows);
    }
    if (const int kept = qMin(before, after); kept > 0)
        emit dataChanged(index(0), index(kept - 1));
}

void StatusBoardModel::Clear() {
    SetRows({});
}

int StatusBoardModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString StatusBoardModel::ShownName(int row) const {
    return VisibleText(m_rows.at(row).host);
}

QString StatusBoardModel::RowDescription(int row) const {
    const Row& r = m_rows.at(row);
    return VisibleText(r.state.isEmpty() ? r.host : r.state);
}

QString StatusBoardModel::SpokenText(int row) const {
    const Row& r = m_rows.at(row);
    return ShownName(row) + QStringLiteral(": ") + (r.up ? QStringLiteral("up") : QStringLiteral("down")) +
           QStringLiteral(", ") + r.time;
}

QVariant StatusBoardModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return ShownName(row);
    case Qt::ToolTipRole:
        // A tooltip would read a name such as "<b>x</b>" as markup; escaped, it shows as typed.
        return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>")
            .arg(RowDescription(row).toHtmlEscaped());
    case Qt::AccessibleDescriptionRole:
        return RowDescription(row);
    case Qt::AccessibleTextRole:
        return SpokenText(row);
    case UpRole:
        return m_rows.at(row).up;
    case TimeTextRole:
        return m_rows.at(row).time;
    default:
        return {};
    }
}
