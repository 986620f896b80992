#pragma once
// Console: the engine's drop-down console. A GUI window slides down from the top edge of the screen when
// its key is pressed; it shows every log entry in its level's colour and has a one-line edit box in which
// configuration lines are run (a name and a value sets a variable, a name alone shows it, a command name
// issues it), with a history (Up, Down), Tab completion of variable names and scrolling (Page Up, Page
// Down). Its own variables: "ui_console_alpha", "ui_console_size", "ui_console_speed", "ui_console_key"
// (saved) and "say" (not saved). Values outside their ranges (alpha (0, 1], size (0, screen height],
// speed [0, inf)) are clamped into them before use.
//
// Main thread only; Execute runs once per frame at the engine's frame start, before the log's records are
// cleared. The log, timers, config, controls and GUI systems are borrowed; the window and the edit box are
// made through the GUI manager and given back to it by the destructor, which also removes the console's
// variables (their fields die with it). Nothing here reports errors: the outcomes of Config::ExecuteLine
// are shown as texts.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/console/ConsoleLine.h"
#include "engine/console/ConsoleView.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class TimerManager;
class Config;
class Controls;
class ShaderManager;
class ShaderDescriptor;
class GUIManager;

class Console {
 public:
  // States of the slide.
  static constexpr std::uint32_t kOpening = 0;
  static constexpr std::uint32_t kOpen = 1;
  static constexpr std::uint32_t kClosing = 2;
  static constexpr std::uint32_t kClosed = 3;

  // The engine's console over the GUI: a coloured top-layer window with the given texture (may be null)
  // and an edit box in the font of fontId. The three characters are UTF-16 units.
  Console(MessageManager* log, TimerManager* timers, Config* config, Controls* controls,
          ShaderManager* shaderManager, GUIManager* guiManager, const std::string& title,
          const ShaderDescriptor* windowTexture, std::uint32_t fontId, std::uint16_t caretChar,
          std::uint16_t promptChar, std::uint16_t separatorChar, const std::string& keyName, float alpha,
          float size, float speed);
  // The same console over any view (owned). Controls may be null: the console then takes no keys.
  Console(MessageManager* log, TimerManager* timers, Config* config, Controls* controls,
          std::unique_ptr<ConsoleView> view, const std::string& title, std::uint16_t promptChar,
          std::uint16_t separatorChar, const std::string& keyName, float alpha, float size, float speed);
  virtual ~Console();

  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // The frame's step: echo the log's records, toggle on the key, slide by the timers' delta, draw, then
  // take the frame's last key event.
  void Execute();

  // Appends a text to the line list, wrapped to the screen width in the console font. A text that does
  // not end in "\n" leaves its last row open: the next text continues it.
  void AppendWrappedText(const Vector4& colour, const std::wstring& text);

  // The steps of Execute, each usable on its own.
  void EchoLog();
  // The key: closed or closing starts opening (clearing the edit box), open or opening starts closing.
  void Toggle();
  // Moves the window by speed x delta seconds and finishes a slide that reached its end.
  void Slide(float delta);
  // Queues this frame's texts on the window: header, prompt, separator while scrolled, then the rows.
  void Draw();
  // One key-down event by virtual-key code: Enter, Escape, Tab, Up, Down, Page Up, Page Down.
  void HandleKey(std::uint16_t virtualKey);
  void RunInputLine();
  void CompleteInputLine();
  void HistoryUp();
  void HistoryDown();
  void ScrollUp() { ++scroll_; }
  void ScrollDown();

  std::uint32_t GetState() const { return state_; }
  std::uint32_t GetScroll() const { return scroll_; }
  const std::vector<ConsoleLine>& GetLines() const { return lines_; }
  const std::vector<std::wstring>& GetHistory() const { return history_; }
  std::uint32_t GetHistoryIndex() const { return historyIndex_; }
  const std::wstring& GetHeaderLine() const { return headerLine_; }
  const std::wstring& GetSeparatorLine() const { return separatorLine_; }
  const std::wstring& GetPrompt() const { return prompt_; }
  const std::wstring& GetSpeakerName() const { return speakerName_; }
  float GetTextBase() const { return textBase_; }
  float GetRowStep() const { return rowStep_; }
  ConsoleView& GetView() const { return *view_; }

  // The variables' fields, bound to the configuration.
  std::string keyName;
  float alpha = 1.0f;
  float size = 0.0f;
  float speed = 0.0f;
  std::string sayText;

  // The name shown in front of "say" texts.
  static constexpr const wchar_t* kSpeakerName = L"Console";

 private:
  void Construct(const std::string& title, std::uint16_t promptChar, std::uint16_t separatorChar);
  void ClampVariables();
  // Appends up to maxCount fill characters while the text stays within the screen width.
  std::wstring PadToScreenWidth(std::wstring text, wchar_t fill, std::size_t maxCount) const;
  // The index of the first piece of the row whose pieces end just before `end`.
  std::size_t RowStart(std::size_t end) const;

  MessageManager* log_;
  TimerManager* timers_;
  Config* config_;
  Controls* controls_;
  std::unique_ptr<ConsoleView> view_;

  std::uint32_t state_ = kClosed;
  std::wstring prompt_;
  std::wstring separatorLine_;
  std::wstring headerLine_;
  std::wstring speakerName_;
  std::uint32_t scroll_ = 0;
  std::vector<ConsoleLine> lines_;
  std::uint32_t historyIndex_ = 0;
  std::vector<std::wstring> history_;
  float textBase_ = 0.0f;
  float rowStep_ = 0.0f;
  // The values given at construction: what a variable that reads as no number (NaN) falls back to.
  float alphaArgument_;
  float sizeArgument_;
  float speedArgument_;
  // The rows drawn this frame as [first piece, end) ranges, newest first; kept to spare allocations.
  std::vector<std::pair<std::size_t, std::size_t>> drawnRows_;
};

}  // namespace CorvantisEngine
