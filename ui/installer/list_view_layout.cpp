#include "ui/installer/list_view_layout.h"

#include <cstring>

namespace dl {

static_assert(sizeof(RemoteItemRecord::bytes) >= sizeof(RemoteItem32), "record room");

ListViewLayout ChooseListViewLayout(bool ownProcessIs64Bit, bool isWow64) {
  return ownProcessIs64Bit || isWow64 ? ListViewLayout::k64Bit : ListViewLayout::k32Bit;
}

size_t RemoteRecordSize(ListViewLayout layout) {
  return layout == ListViewLayout::k64Bit ? sizeof(RemoteItem64) : sizeof(RemoteItem32);
}

size_t RemoteBlockSize(ListViewLayout layout) {
  return RemoteRecordSize(layout) + kRemoteTextCapacity;
}

bool BuildRemoteItemRecord(ListViewLayout layout, uint64_t blockAddress, RemoteItemRecord* out) {
  std::memset(out, 0, sizeof *out);
  const uint64_t recordSize = RemoteRecordSize(layout);
  if (blockAddress > UINT64_MAX - RemoteBlockSize(layout)) return false;
  const uint64_t text = blockAddress + recordSize;
  if (layout == ListViewLayout::k64Bit) {
    RemoteItem64 item = {};
    item.text = text;
    item.textCapacity = static_cast<int32_t>(kRemoteTextCapacity);
    std::memcpy(out->bytes, &item, sizeof item);
  } else {
    // The whole block must be addressable by the shell, not only the start of its text.
    if (blockAddress + RemoteBlockSize(layout) > uint64_t{UINT32_MAX} + 1) return false;
    RemoteItem32 item = {};
    item.text = static_cast<uint32_t>(text);
    item.textCapacity = static_cast<int32_t>(kRemoteTextCapacity);
    std::memcpy(out->bytes, &item, sizeof item);
  }
  out->size = static_cast<size_t>(recordSize);
  return true;
}

}  // namespace dl
