// The watch window's table: a model over the watch list, the names and the chart
// boxes editable, the values, extremes and last change read from its history.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "commissioning/watch_list.h"

namespace vx::ui {

class WatchWindowModel : public QAbstractTableModel {
public:
    WatchWindowModel(commissioning::WatchList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A typed name, or a chart box ticked or cleared.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The list changes through these, so that the view follows.
    void add(int variable, const QString& name, bool charted);
    void remove(const std::vector<int>& rows);
    int apply_names(const std::map<int, std::string>& names);
    // After a sample or a reset of the extremes: the values, extremes and changes.
    void values_changed();

private:
    commissioning::WatchList& list_;
};

}  // namespace vx::ui
