// The record kept beside a package while its bytes arrive ("<package>.part"): what the server
// said of the object when the download began. A kept file is continued when the record names
// the object the server now describes, however its time stamp was moved by writes that outran
// the last stamp. Pure: the text is written and read here, the file is the download's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dl {

// Appended to the package's file name.
constexpr char kPartRecordSuffix[] = ".part";
// Longest header text kept; a longer ETag or date is not recorded (the stamp rule still holds).
constexpr size_t kValidatorCap = 128;
// The whole record's text, with room to spare.
constexpr size_t kPartRecordCap = 512;

// An object as one answer describes it. Texts are the headers' values as sent (an absent ETag
// is empty).
struct ObjectIdentity {
  uint64_t length = 0;
  char lastModified[kValidatorCap] = {};
  char etag[kValidatorCap] = {};
};

// Fills an identity from header values; false when a value is too long to keep or carries a
// control character (it would not survive the record, nor be fit to send back in a header).
bool MakeIdentity(uint64_t length, const char* lastModified, const char* etag, ObjectIdentity* out);

// Same length, same Last-Modified text and same ETag (both absent counts as the same).
bool SameObject(const ObjectIdentity& a, const ObjectIdentity& b);

// The record's text; false when it does not fit.
bool FormatPartRecord(const ObjectIdentity& id, char* out, size_t cap, size_t* written);

// Reads a record. A record cut short (its last line missing), a field twice, an unknown field
// or a value MakeIdentity would refuse fails: such a record proves nothing.
bool ParsePartRecord(const char* text, size_t size, ObjectIdentity* out);

// The request lines asking for the rest of the object from offset on, only if it is still the
// object the identity names: "range:bytes=<offset>-" and "If-Range: <validator>", the ETag when
// it is a strong one, else the Last-Modified date (a weak ETag may not stand in a range
// condition). Without any validator, the range line alone.
bool FormatResumeHeaders(uint64_t offset, const ObjectIdentity& id, char* out, size_t cap);

}  // namespace dl
