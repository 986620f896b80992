#pragma once
// FileTextual: text over a FileBinary, in one of four encodings (8-bit characters of the current
// locale, UTF-16 big-endian, UTF-16 little-endian, UTF-8), read line by line or whole, or written.
// Reading detects the encoding from a byte-order mark (none: 8-bit); writing puts the mark of the
// chosen encoding first (none for 8-bit). CR LF, CR and LF each end a line. Text goes through a
// 1024-byte buffer in both directions.
//
// One thread at a time. The FileTextual owns its FileBinary and deletes it. Reading never throws at
// the end of the file: the end flag stops the loops; characters that do not convert to 8 bits become
// '?' and set the lossy flag. Writing throws `FileError` when the disk refuses bytes; call `Close` to
// learn that for the last buffered bytes (the destructor only logs it).

#include <cstdint>
#include <memory>
#include <string>

#include "engine/files/FileBinary.h"

namespace CorvantisEngine {

class MessageManager;

enum TextEncoding : std::uint32_t {
  kTextEncodingAnsi = 0,
  kTextEncodingUtf16BigEndian = 1,
  kTextEncodingUtf16LittleEndian = 2,
  kTextEncodingUtf8 = 3,
};

class FileTextual {
 public:
  static constexpr std::uint32_t kBufferSize = 1024;

  // Takes over `file` (also when the constructor throws). The encoding is used only for writing.
  FileTextual(MessageManager* log, FileBinary* file, bool write, std::uint32_t encoding);
  virtual ~FileTextual();

  FileTextual(const FileTextual&) = delete;
  FileTextual& operator=(const FileTextual&) = delete;

  // One line without its line end; with `stripComments` cut at its first "//". False once the end
  // of the file was reached by an earlier read.
  bool ReadLine(std::wstring& out, bool stripComments);
  bool ReadLine(std::string& out, bool stripComments);
  // The whole remaining text, lines joined by "\r\n" (whatever ended them in the file). Read from the
  // start without stripping comments, the text is decoded in bulk (see TextDecoding.h).
  void ReadText(std::wstring& out, bool stripComments);

  // Text without a line end (narrow text of the current locale).
  void WriteText(const std::string& text);
  void WriteNewLine();

  // Writes the buffered bytes; throws `FileError` on a short write.
  void Flush();
  // Writes the buffered bytes and has the system put the file on the disk (FileBinary::Flush with the disk).
  void Commit();
  // Flushes and closes the file (a no-op when reading); throws `FileError` when bytes were lost.
  void Close();

  // The file size in bytes, halved for the UTF-16 encodings.
  std::uint32_t GetLengthInChars() const;
  std::uint32_t GetEncoding() const { return encoding_; }
  bool IsEnd() const { return end_; }
  bool IsLossy() const { return lossy_; }

  // Conversions through the C library of the current locale.
  std::wstring MultiByteToWide(const std::string& text) const;
  std::string WideToMultiByte(const std::wstring& text);

 private:
  // The largest reservation made ahead for a whole text, in characters.
  static constexpr std::size_t kMaxTextReserve = 16u * 1024u * 1024u;

  void Open();
  void ReadRemainingText(std::wstring& out);
  void Rewind();
  std::uint8_t ReadByte();
  std::uint32_t ReadChar();
  std::uint32_t NextChar();
  template <class String>
  bool ReadLineUnits(String& out, bool stripComments);
  void PutByte(std::uint8_t value);
  void WriteChar(std::uint32_t c);

  MessageManager* log_;
  std::unique_ptr<FileBinary> file_;
  bool write_;
  std::uint32_t encoding_;
  bool end_ = false;
  std::uint8_t buffer_[kBufferSize];
  std::int32_t bufferPosition_ = -1;
  std::uint32_t bufferCount_ = 0;
  char replacement_ = '?';
  bool lossy_ = false;
  bool lineStart_ = true;
  bool pushedBack_ = false;
  std::uint32_t pushedChar_ = 0;
};

}  // namespace CorvantisEngine
