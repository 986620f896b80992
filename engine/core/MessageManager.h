#pragma once
// MessageManager: the engine's log. Every entry goes to an HTML file as one coloured piece and is also
// kept in memory as a LogRecord until the engine's frame start clears the list (the console reads it
// in between). Levels: message, warning, error and abort; Abort logs and then throws FatalError.
//
// Threads: any thread may log (the resource loader's worker does, alongside the main thread); entries,
// the record list and its getters are serialised by one mutex.
// Ownership: the Engine creates the log first and deletes it last; everyone else borrows it.
// Failure: when the log file cannot be opened (or reopened) or written, one line on stderr says so and
// why, and from then on warnings, errors and aborts are written to stderr as well; entries are still
// recorded. The folder chain of the file is created before the first open.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace CorvantisEngine {

// One logged entry as the console sees it: the level and the full text as written (prefixes included).
struct LogRecord {
  static constexpr std::uint32_t kMessage = 0;
  static constexpr std::uint32_t kWarning = 1;
  static constexpr std::uint32_t kError = 2;
  static constexpr std::uint32_t kAbort = 3;

  std::uint32_t type = kMessage;
  std::string text;
};

class MessageManager {
 public:
  // Seconds since the epoch; the head and the footer print it as local time. Tests inject a fixed one.
  using Clock = std::function<std::time_t()>;

  // folder: empty for the executable's folder, an absolute folder ("/var/log", "C:\Logs") used as it
  // is, or a folder relative to the executable's folder; Windows-style names are mapped to the host's
  // by the file layer. An empty logName uses the application name.
  MessageManager(const std::string& applicationName, std::uint8_t htmlFlag, std::uint8_t reopenFlag,
                 const std::string& folder, const std::string& logName, Clock clock = {});
  virtual ~MessageManager();

  MessageManager(const MessageManager&) = delete;
  MessageManager& operator=(const MessageManager&) = delete;

  void Message(const std::string& text);
  void Warning(const std::string& text);
  void Error(const std::string& text);
  // Logs the text in red and throws FatalError carrying the bare text; never returns.
  [[noreturn]] void Abort(const std::string& text);

  // The writer behind the four levels; type is a LogRecord level (other values are written in white).
  void WriteEntry(std::uint32_t type, const std::string& text);

  std::int32_t GetRecordCount() const;
  // A copy of the record (the list may grow on another thread); an index outside the list gives an
  // empty message record.
  LogRecord GetRecord(std::int32_t index) const;
  void ClearRecords();

  // "#RRGGBB", two upper-case hex digits per channel; channels are clamped to 0..1 first.
  static std::string ColourToHtml(float r, float g, float b);
  // Any colour record with x, y, z (the engine's Vector3) as r, g, b.
  template <class Colour>
  static std::string ColourToHtml(const Colour& colour) {
    return ColourToHtml(colour.x, colour.y, colour.z);
  }

  // The text as HTML shows it: "&", "<", ">" and '"' as character references; line ends stay.
  static std::string EscapeHtml(const std::string& text);

  // The C library's ctime form of the local time, without its trailing newline.
  static std::string FormatTime(std::time_t time);

  // The log file as the engine names it: folder + "\\" + log name + ".html" (Windows-style joins, mapped
  // by the file layer), or the bare log name when the HTML log is off.
  const std::string& GetPath() const { return path_; }
  // The host file the log writes to; empty when the HTML log is off.
  const std::string& GetHostPath() const { return hostPath_; }

 private:
  void WriteHtmlText(const std::string& text);
  void WriteFont(float r, float g, float b, const std::string& text);
  bool OpenForAppend();
  // Once: says on stderr that the log file cannot be written (errno `error`) and turns stderr on.
  void ReportUnwritableLog(int error);
  // The entry's text without the blank lines around it, as one line.
  static std::string TrimmedLine(const std::string& text);
  void CloseFile();
  std::string Now() const;

  std::string applicationName_;
  std::uint8_t htmlFlag_;
  std::uint8_t reopenFlag_;
  std::string path_;
  std::string hostPath_;
  std::FILE* file_ = nullptr;
  bool logUnwritable_ = false;
  std::vector<LogRecord> records_;
  Clock clock_;
  mutable std::mutex mutex_;
};

}  // namespace CorvantisEngine
