// Line reading and writing: my_gets and my_puts.
#include <windows.h>

#include <cstring>

#include "file_io.h"
#include "filewrap_dll.h"
#include "handle_table.h"

using namespace vzfile;

namespace {

constexpr int kEnd = -1;    // no more data (end of file, or Ctrl-Z in text mode)
constexpr int kError = -2;  // the file could not be read

// Reads ahead through a small buffer; at the end the file position is set
// back to the first byte not consumed, so the handle carries no hidden state.
class LineReader {
 public:
  LineReader(HANDLE file, bool text) : file_(file), text_(text) {}

  // The byte `ahead` places after the next one (0 or 1), not consumed;
  // kEnd or kError when there is none.
  int Peek(DWORD ahead) {
    while (len_ - pos_ <= ahead) {
      if (error_ || ended_) return error_ ? kError : kEnd;
      Fill();
    }
    char c = chunk_[pos_ + ahead];
    if (text_ && c == kEndOfText) return kEnd;
    return static_cast<unsigned char>(c);
  }
  void Consume(DWORD count) { pos_ += count; }
  bool Failed() const { return error_; }

  // Sets the file position back over the bytes read ahead but not consumed.
  void Finish() {
    if (pos_ < len_) {
      int64_t position = 0;
      if (GetPosition(file_, &position)) SetPosition(file_, position - static_cast<int64_t>(len_ - pos_));
    }
    pos_ = len_ = 0;
  }

 private:
  // Keeps the bytes not yet consumed and reads more behind them.
  void Fill() {
    DWORD keep = len_ - pos_;
    std::memmove(chunk_, chunk_ + pos_, keep);
    pos_ = 0;
    len_ = keep;
    DWORD got = 0;
    if (!RawRead(file_, chunk_ + len_, sizeof chunk_ - len_, &got)) error_ = true;
    else if (got == 0) ended_ = true;
    len_ += got;
  }

  HANDLE file_;
  bool text_;
  char chunk_[256];
  DWORD pos_ = 0, len_ = 0;
  bool error_ = false, ended_ = false;
};

}  // namespace

int my_gets(FileHandle handle, int size, char* buffer) {
  if (!buffer || size < 1) return 0;
  buffer[0] = '\0';
  HANDLE file = ToHandle(handle);
  if (!file || size < 2) return 0;
  LineReader reader(file, ModeOf(file).text);
  int used = 0;
  bool delivered = false;
  for (;;) {
    int c = reader.Peek(0);
    if (c < 0) {  // no more data: a last line without its end, or nothing
      delivered = c == kEnd && used > 0;
      break;
    }
    if (c == '\n') {
      reader.Consume(1);
      delivered = true;
      break;
    }
    if (c == '\r') {  // CR LF, or a CR right before the end, ends the line
      int next = reader.Peek(1);
      if (next == '\n' || next == kEnd) {
        reader.Consume(next == '\n' ? 2 : 1);
        delivered = true;
        break;
      }
      if (next == kError) break;
    }
    if (used == size - 1) {  // the piece is full; a line end right after it was taken above
      delivered = true;
      break;
    }
    buffer[used++] = static_cast<char>(c);
    reader.Consume(1);
  }
  reader.Finish();
  if (reader.Failed()) delivered = false;  // a read error ends the caller's loop
  buffer[delivered ? used : 0] = '\0';
  return delivered ? 1 : 0;
}

int my_puts(FileHandle handle, const char* text) {
  HANDLE file = ToHandle(handle);
  if (!file) return 0;
  if (!text) text = "";
  HandleMode mode = ModeOf(file);
  if (mode.append) {
    int64_t size = 0;
    if (!GetSize(file, &size) || !SetPosition(file, size)) return 0;
  }
  unsigned length = static_cast<unsigned>(std::strlen(text));
  if (length > 0 && WriteData(file, text, length, mode.text) != static_cast<int>(length)) return 0;
  return WriteAll(file, "\r\n", 2) ? 1 : 0;
}
