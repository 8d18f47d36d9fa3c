// The watch window's table: a model over the watch list, the names and the chart
// boxes editable, the values, extremes and last change read from its history in
// each row's format; a value typed into a row goes to whoever writes it.
#pragma once

#include <functional>
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
    // A typed name, a chart box ticked or cleared, or a value typed (handed to the
    // writer: the row shows what the controller holds at the next sample).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The list changes through these, so that the view follows.
    void add(int variable, const QString& name, bool charted,
             commissioning::ValueFormat format = commissioning::ValueFormat::unsigned_decimal);
    void remove(const std::vector<int>& rows);
    int apply_names(const std::map<int, std::string>& names);
    void set_format(const std::vector<int>& rows, commissioning::ValueFormat format);
    void replace(const std::vector<commissioning::WatchList::Row>& rows);
    // Called with the row and the text typed into its value.
    void set_value_writer(std::function<void(int row, const QString& text)> writer) {
        value_writer_ = std::move(writer);
    }
    // After a sample or a reset of the extremes: the values, extremes and changes.
    void values_changed();

private:
    commissioning::WatchList& list_;
    std::function<void(int row, const QString& text)> value_writer_;
};

}  // namespace vx::ui
