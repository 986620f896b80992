#pragma once
// GUIImmediateAnswer: a framework window that can answer inside its own show. The answer is posted with
// the result-consumed flag cleared, so the dispatch pass that follows sees it; until the window is hidden
// (which a handler always does when it takes the answer) the window's Update posts it again, so an answer
// given in the last dispatch pass of a frame is not wiped by the frame's window update but taken in the
// next frame.
//
// Main thread only; nothing throws.

#include <cstdint>

namespace Puzzle {

template <class Base>
class GUIImmediateAnswer : public Base {
 public:
  using Base::Base;

  void Update() override {
    Base::Update();
    if (pendingAnswer != 0) {
      this->result = pendingAnswer;
    }
  }
  void Hide() override {
    pendingAnswer = 0;
    Base::Hide();
  }

  // The answer given at once and not yet taken (0 = none).
  std::uint32_t GetPendingAnswer() const { return pendingAnswer; }

 protected:
  void AnswerAtOnce(std::uint32_t answer) {
    this->result = answer;
    this->resultConsumed = 0;
    pendingAnswer = answer;
  }

 private:
  std::uint32_t pendingAnswer = 0;
};

}  // namespace Puzzle
