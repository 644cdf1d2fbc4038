// The item records that the desktop's list view fills in the shell's own memory. The shell
// reads them with its own pointer size, not this program's, so both layouts are spelled out
// here with fixed-size fields instead of taking the platform's record of this build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

enum class ListViewLayout { k32Bit, k64Bit };

// The list-view item record of a 32-bit process (text pointer and item parameter 32-bit).
struct RemoteItem32 {
  uint32_t mask;
  int32_t item;
  int32_t subItem;
  uint32_t state;
  uint32_t stateMask;
  uint32_t text;
  int32_t textCapacity;
  int32_t image;
  uint32_t param;
  int32_t indent;
};

// The same record of a 64-bit process, up to and including the item parameter.
struct RemoteItem64 {
  uint32_t mask;
  int32_t item;
  int32_t subItem;
  uint32_t state;
  uint32_t stateMask;
  uint32_t alignment;
  uint64_t text;
  int32_t textCapacity;
  int32_t image;
  uint64_t param;
};

static_assert(sizeof(RemoteItem32) == 40 && offsetof(RemoteItem32, text) == 20 &&
                  offsetof(RemoteItem32, textCapacity) == 24,
              "32-bit item record");
static_assert(sizeof(RemoteItem64) == 48 && offsetof(RemoteItem64, text) == 24 &&
                  offsetof(RemoteItem64, textCapacity) == 32 && offsetof(RemoteItem64, param) == 40,
              "64-bit item record");

// The rectangle request and answer: four signed 32-bit values in both layouts.
struct RemoteRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
static_assert(sizeof(RemoteRect) == 16, "rectangle");

// The text buffer follows the record directly in the block.
constexpr size_t kRemoteTextCapacity = 1024;

// The layout the shell's list view reads. A 64-bit program only meets a 64-bit shell; a 32-bit
// program that runs under the 64-bit emulation layer (isWow64) meets one too. Only a 32-bit
// program on a 32-bit system meets a 32-bit shell.
ListViewLayout ChooseListViewLayout(bool ownProcessIs64Bit, bool isWow64);

size_t RemoteRecordSize(ListViewLayout layout);
// Record plus text buffer: what to allocate in the shell.
size_t RemoteBlockSize(ListViewLayout layout);

// The record to place at the start of a block at blockAddress in the shell: all zero except the
// text pointer (the block's text buffer) and the text capacity.
struct RemoteItemRecord {
  unsigned char bytes[sizeof(RemoteItem64)];
  size_t size;
};

// False when the text buffer's address cannot be expressed in the layout (a 32-bit layout
// with a block that does not lie below 4 GB).
bool BuildRemoteItemRecord(ListViewLayout layout, uint64_t blockAddress, RemoteItemRecord* out);

}  // namespace dl
