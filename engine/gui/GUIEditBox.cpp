#include "engine/gui/GUIEditBox.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/core/TimerManager.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/input/Controls.h"

namespace CorvantisEngine {

namespace {

constexpr std::int32_t kScrollStep = 5;
constexpr std::uint32_t kTextChangedSound = 10;

}  // namespace

GUIEditBox::GUIEditBox(const GUIServices& services, TimerManager* timerManager_,
                       GUISoundManager* soundManager_, Controls* controls_, std::uint32_t flags,
                       const Vector2& position_, const Vector2& size_, const ShaderDescriptor* texture,
                       const GUIEditBoxSettings& settings, GUIWindow* parent_, const Vector2& uvExtent)
    : GUIWindow(services, flags, position_, size_, texture, parent_, uvExtent),
      timerManager(timerManager_),
      soundManager(soundManager_),
      controls(controls_) {
  Initialise(settings);
}

GUIEditBox::GUIEditBox(const GUIServices& services, TimerManager* timerManager_,
                       GUISoundManager* soundManager_, Controls* controls_, std::uint32_t flags,
                       const Vector2& position_, const Vector2& size_, Model* prototype,
                       const GUIEditBoxSettings& settings, GUIWindow* parent_)
    : GUIWindow(services, flags, position_, size_, prototype, parent_),
      timerManager(timerManager_),
      soundManager(soundManager_),
      controls(controls_) {
  Initialise(settings);
}

GUIEditBox::~GUIEditBox() = default;

void GUIEditBox::Initialise(const GUIEditBoxSettings& settings) {
  textColour = settings.textColour;
  textOffset = settings.textOffset;
  maxLength = settings.maxLength;
  maxTextWidth = settings.maxTextWidth;
  visibleWidth = settings.visibleWidth;
  caretCharacter = settings.caretCharacter;
  caretText.assign(1, static_cast<wchar_t>(caretCharacter));
  SetFont(settings.fontId);
}

void GUIEditBox::SetFont(std::uint32_t id) {
  fontId = id;
  font = RegisteredFont();
}

GUIFont* GUIEditBox::RegisteredFont() const {
  return (fontId != kNoFont && fontManager != nullptr) ? fontManager->FindFont(fontId) : nullptr;
}

float GUIEditBox::Width(const std::wstring& s) const {
  const GUIFont* registered = RegisteredFont();
  return registered != nullptr ? registered->GetTextSize(s, 0.0f, -1.0f).x : 0.0f;
}

std::int32_t GUIEditBox::LastCaret() const {
  const auto length = static_cast<std::int64_t>(text.size());
  return static_cast<std::int32_t>(std::max<std::int64_t>(0, std::min(length, std::int64_t{maxLength} - 1)));
}

void GUIEditBox::SetText(const std::wstring& newText) {
  text = newText;
  caret = LastCaret();
  firstVisible = 0;
  UpdateVisibleText();
}

bool GUIEditBox::CanInsertChar(wchar_t c) const {
  if (text.size() + 1 > maxLength) {
    return false;
  }
  return Width(text + c) <= maxTextWidth;
}

void GUIEditBox::UpdateVisibleText() {
  if (RegisteredFont() == nullptr) {
    return;
  }
  firstVisible = std::clamp(firstVisible, 0, caret);
  // The first visible character never passes the caret, so the loop ends even for a box too narrow
  // for one character.
  while (firstVisible < caret &&
         Width(text.substr(firstVisible, caret - firstVisible) + caretText) > visibleWidth) {
    ++firstVisible;
  }
}

void GUIEditBox::ScrollBack() {
  firstVisible -= std::min(firstVisible, kScrollStep);
  UpdateVisibleText();
}

void GUIEditBox::AdvanceCaret() {
  const std::int32_t oldCaret = caret;
  const std::int32_t oldFirst = firstVisible;
  caret = LastCaret();
  firstVisible = 0;
  UpdateVisibleText();
  const std::int32_t found = firstVisible;
  caret = static_cast<std::int32_t>(std::max<std::int64_t>(
      0, std::min<std::int64_t>(std::int64_t{oldCaret} + 1, std::int64_t{maxLength} - 1)));
  const std::wstring span = oldFirst < static_cast<std::int32_t>(text.size())
                                ? text.substr(oldFirst, caret - oldFirst + 1)
                                : std::wstring();
  const float w = Width(span + caretText);
  firstVisible = w > visibleWidth ? std::min(found, oldFirst + kScrollStep) : oldFirst;
  firstVisible = std::clamp(firstVisible, 0, caret);
}

bool GUIEditBox::HandleKey(std::uint16_t code, bool isCharacter) {
  SetFont(fontId);
  if (font == nullptr) {
    return false;
  }
  const auto length = [this] { return static_cast<std::int32_t>(text.size()); };
  if (!isCharacter) {
    switch (code) {
      case kKeyInsert:
        overwrite = overwrite != 0 ? 0 : 1;
        return false;
      case kKeyDelete:
        if (caret < length()) {
          text.erase(caret, 1);
          return true;
        }
        return false;
      case kKeyBackspace:
        if (caret <= 0) {
          return false;
        }
        // In a full box the caret rests on the last character: Backspace takes that one.
        if (caret + 1 == length() && text.size() >= maxLength) {
          text.erase(caret, 1);
        } else {
          text.erase(caret - 1, 1);
          --caret;
          if (caret <= firstVisible) {
            ScrollBack();
          }
        }
        return true;
      case kKeyLeft:
        if (caret >= 1) {
          --caret;
          if (caret <= firstVisible) {
            ScrollBack();
          }
        }
        return false;
      case kKeyRight:
        if (caret < length()) {
          AdvanceCaret();
        }
        return false;
      case kKeyHome:
        caret = 0;
        firstVisible = 0;
        return false;
      case kKeyEnd:
        caret = LastCaret();
        UpdateVisibleText();
        return false;
      default:
        return false;
    }
  }
  const auto c = static_cast<wchar_t>(code);
  if (!font->HasGlyph(code) && code != 32) {
    return false;
  }
  bool inserted = false;
  if (overwrite != 0) {
    if (caret == length()) {
      if (CanInsertChar(c)) {
        text.push_back(c);
        inserted = true;
      }
    } else {
      // A wider character in place of a narrow one must not carry the text past the maximum width.
      std::wstring replaced = text;
      replaced[caret] = c;
      if (Width(replaced) <= maxTextWidth) {
        text = std::move(replaced);
        inserted = true;
      }
    }
  } else if (CanInsertChar(c)) {
    text.insert(text.begin() + caret, c);
    inserted = true;
  }
  if (inserted && caret < length()) {
    AdvanceCaret();
  }
  return inserted;
}

bool GUIEditBox::Update(const Vector2& mouse, bool held, bool pressed) {
  SetFont(fontId);
  if (!GUIWindow::Update(mouse, held, pressed) || font == nullptr) {
    return false;
  }
  Vector4 colour = textColour;
  colour.w *= GetColour().w;
  bool changed = false;
  std::uint16_t code = 0;
  bool isCharacter = false;
  // Every key of the frame in order: at a low frame rate several typed characters arrive together.
  const std::size_t keyCount = (active != 0 && controls != nullptr) ? controls->GetKeyEventCount() : 0;
  for (std::size_t i = 0; i < keyCount && controls->GetKeyEvent(i, code, isCharacter); ++i) {
    changed = HandleKey(code, isCharacter) || changed;
  }

  std::wstring shown = text.substr(std::min<std::size_t>(firstVisible, text.size()));
  if (Width(shown) > visibleWidth) {
    std::size_t fits = 0;
    while (fits < shown.size() && Width(shown.substr(0, fits + 1)) <= visibleWidth) {
      ++fits;
    }
    shown.resize(fits);
  }
  PrintText(0, fontId, textOffset, colour, shown, 0.0f, -1.0f);

  const float now = (timerManager != nullptr && timerManager->frameTimer != nullptr)
                        ? timerManager->frameTimer->GetTime()
                        : 0.0f;
  if (active != 0 && static_cast<std::int64_t>(std::floor(now / kBlinkPeriod)) % 2 == 0) {
    const std::size_t before = static_cast<std::size_t>(std::max(0, caret - firstVisible));
    const Vector2 at{Width(shown.substr(0, std::min(before, shown.size()))) + textOffset.x, textOffset.y};
    PrintText(0, fontId, at, colour, caretText, 0.0f, -1.0f);
  }
  if (changed && soundManager != nullptr) {
    soundManager->PlaySound(kTextChangedSound);
  }
  return true;
}

bool GUIEditBox::Render() {
  return GUIWindow::Render();
}

}  // namespace CorvantisEngine
