// Console rows: wrapping texts into pieces and drawing the rows that fit the visible part of the window.
#include "engine/console/Console.h"

namespace CorvantisEngine {

namespace {

const Vector4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const Vector4 kBlue(0.0f, 0.0f, 1.0f, 1.0f);

}  // namespace

void Console::AppendWrappedText(const Vector4& colour, const std::wstring& text) {
  const float screenWidth = view_->GetScreenWidth();
  std::wstring row;
  std::size_t next = 0;
  while (next < text.size()) {
    const wchar_t c = text[next];
    row.push_back(c);
    // A character that makes the row too wide moves to the next row, unless it stands alone: a glyph
    // wider than the screen would otherwise never find a row. A newline always ends its row.
    if (c != L'\n' && row.size() > 1 && view_->GetTextWidth(row) > screenWidth) {
      row.back() = L'\n';
    } else {
      ++next;
    }
    if (row.back() == L'\n' || next == text.size()) {
      ConsoleLine line;
      line.colour = colour;
      line.endsRow = row.back() == L'\n' ? 1 : 0;
      line.width = view_->GetTextWidth(row);
      line.text = std::move(row);
      lines_.push_back(std::move(line));
      row.clear();
    }
  }
}

std::wstring Console::PadToScreenWidth(std::wstring text, wchar_t fill, std::size_t maxCount) const {
  const float screenWidth = view_->GetScreenWidth();
  for (std::size_t i = 0; i < maxCount; ++i) {
    text.push_back(fill);
    if (view_->GetTextWidth(text) > screenWidth) {
      text.pop_back();
      break;
    }
  }
  return text;
}

std::size_t Console::RowStart(std::size_t end) const {
  std::size_t start = end - 1;
  while (start > 0 && lines_[start - 1].endsRow == 0) {
    --start;
  }
  return start;
}

void Console::Draw() {
  view_->SetWindowColour(Vector4(1.0f, 1.0f, 1.0f, alpha));
  // A font registered after the console was made sets the rows' spacing from then on.
  const float fontSize = view_->GetFontSize();
  if (fontSize > 0.0f) {
    textBase_ = fontSize * 0.2f;
    rowStep_ = fontSize * 1.2f;
  }
  // Rows above the screen's top edge are not drawn; while sliding less of the window shows.
  const float visibleHeight = view_->GetScreenHeight() - view_->GetWindowY();

  float y = textBase_;
  view_->PrintText(Vector2{0.0f, y}, kWhite, headerLine_);
  y += rowStep_;
  view_->PrintText(Vector2{0.0f, y}, kBlue, prompt_);
  y += rowStep_;

  // Scrolling skips the newest rows, but never the oldest one: Page Up past it scrolls no further.
  std::size_t end = lines_.size();
  std::uint32_t skipped = 0;
  while (skipped < scroll_ && end > 0) {
    const std::size_t start = RowStart(end);
    if (start == 0) {
      break;
    }
    end = start;
    ++skipped;
  }
  scroll_ = skipped;
  if (scroll_ != 0) {
    view_->PrintText(Vector2{0.0f, y}, kWhite, separatorLine_);
  }
  y += rowStep_;

  drawnRows_.clear();
  float rowY = y;
  // Without a font there is no row height: nothing would ever reach the top edge.
  while (end > 0 && rowY < visibleHeight && rowStep_ > 0.0f) {
    const std::size_t start = RowStart(end);
    drawnRows_.emplace_back(start, end);
    end = start;
    rowY += rowStep_;
  }
  // Oldest first, from the top down to the newest row just above the separator.
  for (auto row = drawnRows_.rbegin(); row != drawnRows_.rend(); ++row) {
    rowY -= rowStep_;
    float x = 0.0f;
    for (std::size_t i = row->first; i < row->second; ++i) {
      const ConsoleLine& line = lines_[i];
      std::wstring_view text = line.text;
      if (!text.empty() && text.back() == L'\n') {
        text.remove_suffix(1);
      }
      if (!text.empty()) {
        view_->PrintText(Vector2{x, rowY}, line.colour, std::wstring(text));
      }
      x += line.width;
    }
  }
}

}  // namespace CorvantisEngine
