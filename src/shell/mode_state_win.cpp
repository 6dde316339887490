// The mode state that the shell keeps for the modes, and the list rows'
// records.
#include "shell/mode_state.h"

namespace kv {

HWND CurrentListView = nullptr;
HWND SetNamesTree = nullptr;

LPARAM AdoptRowRecord(std::unique_ptr<RowRecord> record) {
  return reinterpret_cast<LPARAM>(record.release());
}

void ReleaseRowRecord(LPARAM item_data) {
  // Takes back the ownership that AdoptRowRecord gave the row.
  std::unique_ptr<RowRecord> record(RowRecordOf(item_data));
}

} // namespace kv
