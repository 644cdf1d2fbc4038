// The program's HTTP client for the package download: one server connection and one open
// GET request at a time through the platform's internet library, simple redirects, the two
// headers a resumable download depends on, and the progress hook its owner overrides.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "net/internet_library.h"
#include "net/http_parse.h"
#include "net/part_record.h"

namespace dl {

class HttpClient {
 public:
  // Redirects followed in a row before a request counts as failed (a loop would never end).
  static constexpr int kMaxRedirects = 10;

  HttpClient();
  virtual ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // hostAndPort is a host setting: "name" or "name:port" (80 without one), or either after
  // "https://" (443 without a port), whose requests go over TLS with the certificate checked.
  // Starts over: closes what is open, and on success resets tag to the argument, the counters
  // and stopRequested. 1 or 0.
  int Connect(const char* hostAndPort, const char* user, const char* password, int tag);
  // GET objectPath with HTTP/1.0 and the optional one-line extraHeader; 200 and 206 succeed,
  // 301/302 are followed with a fresh Connect (tag 0), except from https to plain http.
  // A certificate the platform does not accept fails the request; nobody is asked.
  // Replaces the previous request. 1 or 0.
  int SendGet(const char* objectPath, const char* extraHeader);
  // The open request's Content-Length and Last-Modified (taken as UTC); 1 when read.
  int QueryContentLength(uint64_t* size);
  int QueryLastModified(SYSTEMTIME* time);
  // Closes request, connection and session in this order; tag back to 0.
  void Close();

  // Fetches objectPath into fileName (relative to the current folder), continuing a partial
  // file when resume is 1 and its record (fileName + ".part", kept only while the file is
  // incomplete) or, without one, its last-write time shows it is the same object.
  //  0 transferred to the end, 1 nothing to transfer (complete, or the rest not available),
  // -1 request or headers failed (no file touched), -2 network read failed or ended early,
  // -3 local file failed, -4 stopRequested ended the transfer.
  int DownloadToFile(const char* objectPath, const char* fileName, int resume);

  // Reads the open answer's body, up to cap bytes, into buffer; *size gets how many came. A
  // longer body stops at cap (the caller sees *size == cap). False when a read fails.
  bool ReadBody(void* buffer, size_t cap, size_t* size);

  // Status code of the last response read by SendGet (0 when none was read).
  int LastStatus() const { return lastStatus_; }
  // Seconds a 503 or 429 answer asked the client to wait (its Retry-After); -1 when the last
  // answer was another or named no time.
  int64_t RetryAfterSeconds() const { return retryAfterSeconds_; }

  // Set to 1 by any thread to stop a running download before its next block.
  std::atomic<int32_t> stopRequested{0};
  int32_t tag = 0;
  uint32_t elapsedMs = 1;      // spent waiting for network reads since the last Connect
  uint64_t bytesReceived = 0;  // body bytes read since the last Connect

 protected:
  // Called on the downloading thread: status 1 after a block was written, 0 when a download
  // call ends without transferring anything. fileBytes is what the local file now holds.
  virtual void OnProgress(HANDLE file, int status, uint32_t elapsed, uint64_t received,
                          uint64_t total, uint64_t fileBytes, int32_t progressTag);
  // Called on the downloading thread once a download knows where the file's new bytes begin,
  // before any is written: offset is what the file keeps (the total when it is complete). The
  // file may be read; its position is set again afterwards.
  virtual void OnWriteFrom(HANDLE file, uint64_t offset);
  // Called with each block's bytes once they are in the file, before OnProgress.
  virtual void OnBlock(const char* data, uint32_t size);

 private:
  int SendGetFollowing(const char* objectPath, const char* extraHeader, int redirectsLeft);
  bool QueryText(DWORD query, char* buffer, DWORD cap);
  void ReadRetryAfter();
  // The object as an answer describes it: its length, Last-Modified and ETag.
  struct ServedObject {
    SYSTEMTIME time = {};
    uint64_t total = 0;
    ObjectIdentity id;
  };
  // Reads the open answer's Last-Modified (as a time and as text) and ETag into served, whose
  // total the caller has set; false when the date is missing or unreadable.
  bool ReadServedObject(ServedObject* served);
  // The unranged request with its Content-Length, Last-Modified and ETag read; false when any
  // of the first two fails.
  bool AskWhole(const char* objectPath, ServedObject* served);
  // Content-Range of the open request, into the given record; false when absent or unreadable.
  bool QueryContentRange(ContentRange* range);
  void CloseAll();

  UniqueInternet session_;
  UniqueInternet connection_;
  UniqueInternet request_;
  bool secure_ = false;  // the connection's requests go over TLS
  int lastStatus_ = 0;
  int64_t retryAfterSeconds_ = -1;
};

}  // namespace dl
