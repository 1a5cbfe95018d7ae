#pragma once

#include <array>
#include <functional>

#include "devices/device_list.h"

class QTableWidget;

// Fills the main window's device table from the sixteen device slots: one row per slot index,
// address and identification, and for a slot with an answer its definition's description and
// its cells ("D..G").
// Thread: the user-interface thread.
namespace device_table {

enum Column : int {
    kAddress = 0,
    kIdentification = 1,
    kConfiguration = 2,
    kCells = 3,
    kSetup = 4,
    kConfig = 5
};

using RowAction = std::function<void(int row)>;

// Writes every scanned slot into its row, growing the table up to the highest one; rows of slots
// not scanned yet stay as they are. A slot with an identification gets the "Setup" and "Config"
// buttons, which call `setup` and `config` with the row. Returns true when every slot has been
// scanned.
bool fill(QTableWidget& table, const std::array<idev, DeviceList::kSlots>& device_slots,
          const RowAction& setup = {}, const RowAction& config = {});

// No rows; headers and widths stay.
void clear(QTableWidget& table);

// Applies the fitting widths for the table's current viewport.
void fit_columns(QTableWidget& table);

}  // namespace device_table
