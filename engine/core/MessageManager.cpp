#include "engine/core/MessageManager.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"
#include "platform/win32/WinFiles.h"

namespace CorvantisEngine {

namespace {

constexpr float kWhite[3] = {1.0f, 1.0f, 1.0f};
constexpr float kGrey[3] = {0.5f, 0.5f, 0.5f};
constexpr float kRed[3] = {1.0f, 0.0f, 0.0f};
constexpr float kGreen[3] = {0.0f, 1.0f, 0.0f};
constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};

// A folder with a drive ("C:\\Logs") or a host folder ("/home/a") is absolute; anything else lies
// under the executable's folder, also one that starts with a backslash (the join keeps it there, as the
// file layer does).
bool IsAbsoluteFolder(const std::string& folder) {
  if (folder.size() >= 2 && folder[1] == ':')
    return true;
  return !folder.empty() && folder[0] == '/';
}

}  // namespace

MessageManager::MessageManager(const std::string& applicationName, std::uint8_t htmlFlag,
                               std::uint8_t reopenFlag, const std::string& folder, const std::string& logName,
                               Clock clock)
    : applicationName_(applicationName),
      htmlFlag_(htmlFlag),
      reopenFlag_(reopenFlag),
      path_(logName.empty() ? applicationName : logName),
      clock_(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })) {
  if (!htmlFlag_)
    return;

  const std::string fileName = path_ + ".html";
  if (folder.empty()) {
    path_ = GetExecutableFolder() + "\\" + fileName;
  } else if (IsAbsoluteFolder(folder)) {
    path_ = folder + "\\" + fileName;
  } else {
    path_ = GetExecutableFolder() + "\\" + folder + "\\" + fileName;
  }
  hostPath_ = platform::win32::MapPath(path_);

  // On a first run the per-user folder does not exist yet.
  const std::filesystem::path parent = std::filesystem::path(hostPath_).parent_path();
  if (!parent.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
  }

  file_ = std::fopen(hostPath_.c_str(), "w");
  if (!file_) {
    ReportUnwritableLog(errno);
    return;
  }

  WriteHtmlText("<HTML>");
  WriteHtmlText("<HEAD>");
  WriteHtmlText("<TITLE>" + EscapeHtml(applicationName_) + " Log</TITLE>");
  WriteHtmlText("</HEAD>");
  WriteHtmlText("<BODY bgcolor=\"" + ColourToHtml(kBlack[0], kBlack[1], kBlack[2]) + "\">");
  WriteHtmlText("<FONT color=\"" + ColourToHtml(kWhite[0], kWhite[1], kWhite[2]) + "\">");
  WriteFont(kWhite[0], kWhite[1], kWhite[2], "======== ");
  WriteFont(kGreen[0], kGreen[1], kGreen[2], EscapeHtml(applicationName_ + " Log: " + Now()));
  WriteFont(kWhite[0], kWhite[1], kWhite[2], " ========\n\n");
  if (reopenFlag_) {
    CloseFile();
  } else {
    std::fflush(file_);
  }
}

MessageManager::~MessageManager() {
  if (!htmlFlag_)
    return;
  if (reopenFlag_)
    OpenForAppend();
  if (!file_)
    return;
  WriteFont(kWhite[0], kWhite[1], kWhite[2], "\n======== ");
  WriteFont(kGreen[0], kGreen[1], kGreen[2], EscapeHtml(applicationName_ + " Log end: " + Now()));
  WriteFont(kWhite[0], kWhite[1], kWhite[2], " ========\n");
  WriteHtmlText("</FONT>");
  WriteHtmlText("</BODY>");
  WriteHtmlText("</HTML>");
  CloseFile();
}

void MessageManager::Message(const std::string& text) {
  WriteEntry(LogRecord::kMessage, text + "\n");
}

void MessageManager::Warning(const std::string& text) {
  WriteEntry(LogRecord::kWarning, "\nWarning: " + text + "!\n\n");
}

void MessageManager::Error(const std::string& text) {
  WriteEntry(LogRecord::kError, "\nError: " + text + "!\n\n");
}

void MessageManager::Abort(const std::string& text) {
  WriteEntry(LogRecord::kAbort, "PROGRAM ABORTING: " + text + "\n");
  throw FatalError(text);
}

void MessageManager::WriteEntry(std::uint32_t type, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (htmlFlag_) {
    const float* colour = kWhite;
    if (type == LogRecord::kWarning)
      colour = kGrey;
    if (type == LogRecord::kError || type == LogRecord::kAbort)
      colour = kRed;

    if (reopenFlag_)
      OpenForAppend();
    if (file_) {
      // Entries are text, not markup: a name holding "<" or "&" must not break the page. White entries
      // show in the body's white font, so they need no tag of their own.
      const std::string shown = EscapeHtml(text);
      if (colour == kWhite) {
        WriteHtmlText(shown);
      } else {
        WriteFont(colour[0], colour[1], colour[2], shown);
      }
      if (reopenFlag_) {
        CloseFile();
      } else {
        // A crash must not lose the entries that led to it.
        if (std::fflush(file_) != 0 || std::ferror(file_) != 0)
          ReportUnwritableLog(errno);
      }
    } else if (!logUnwritable_) {
      ReportUnwritableLog(errno);
    }
    // Without a log file, what went wrong still reaches whoever started the program.
    if (logUnwritable_ && type != LogRecord::kMessage)
      std::fputs(TrimmedLine(text).c_str(), stderr);
  }
  records_.push_back(LogRecord{type, text});
}

std::int32_t MessageManager::GetRecordCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<std::int32_t>(records_.size());
}

LogRecord MessageManager::GetRecord(std::int32_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= records_.size())
    return {};
  return records_[static_cast<std::size_t>(index)];
}

void MessageManager::ClearRecords() {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.clear();
}

std::string MessageManager::ColourToHtml(float r, float g, float b) {
  std::string text = "#";
  for (float channel : {r, g, b}) {
    // NaN and out-of-range channels clamp so that the text is always six digits.
    const float clamped = std::isnan(channel) ? 0.0f : std::clamp(channel, 0.0f, 1.0f);
    const int value = static_cast<int>(clamped * 255.0f);
    char digits[3];
    std::snprintf(digits, sizeof(digits), "%02X", static_cast<unsigned>(value));
    text += digits;
  }
  return text;
}

std::string MessageManager::EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string MessageManager::FormatTime(std::time_t time) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  if (!localtime_r(&time, &local))
    return "???";
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday % 7],
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                local.tm_year + 1900);
  return buffer;
}

void MessageManager::WriteHtmlText(const std::string& text) {
  if (!file_)
    return;
  std::size_t start = 0;
  for (;;) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string::npos)
      break;
    std::fwrite(text.data() + start, 1, newline - start, file_);
    std::fwrite("<BR>", 1, 4, file_);
    start = newline + 1;
  }
  std::fwrite(text.data() + start, 1, text.size() - start, file_);
}

void MessageManager::WriteFont(float r, float g, float b, const std::string& text) {
  WriteHtmlText("<FONT color=\"" + ColourToHtml(r, g, b) + "\">");
  WriteHtmlText(text);
  WriteHtmlText("</FONT>");
}

void MessageManager::ReportUnwritableLog(int error) {
  if (logUnwritable_)
    return;
  logUnwritable_ = true;
  const std::string reason = error != 0 ? std::strerror(error) : "unknown error";
  std::fputs((applicationName_ + ": the log \"" + hostPath_ + "\" cannot be written (" + reason +
              "); warnings and errors follow here\n")
                 .c_str(),
             stderr);
}

bool MessageManager::OpenForAppend() {
  if (!file_)
    file_ = std::fopen(hostPath_.c_str(), "a");
  return file_ != nullptr;
}

void MessageManager::CloseFile() {
  if (file_)
    std::fclose(file_);
  file_ = nullptr;
}

std::string MessageManager::TrimmedLine(const std::string& text) {
  const std::size_t first = text.find_first_not_of('\n');
  if (first == std::string::npos)
    return "\n";
  const std::size_t last = text.find_last_not_of('\n');
  return text.substr(first, last - first + 1) + "\n";
}

std::string MessageManager::Now() const {
  return FormatTime(clock_());
}

}  // namespace CorvantisEngine
