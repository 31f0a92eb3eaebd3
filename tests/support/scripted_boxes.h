// Replaces the system's message boxes for the life of the object: each box is recorded and
// answered from a script (IDOK when the script has run out).
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "startup/message_box.h"

namespace telvo::test {

class TScriptedBoxes {
  public:
    TScriptedBoxes();
    ~TScriptedBoxes();
    TScriptedBoxes(const TScriptedBoxes&) = delete;
    TScriptedBoxes& operator=(const TScriptedBoxes&) = delete;

    // Queues the answer for the next box that is shown.
    void Answer(int button) { Answers.push_back(button); }
    const std::vector<TBoxRequest>& Shown() const { return Boxes; }
    // Runs `watch` as each box is shown, to look at the process at that moment.
    void OnEachBox(std::function<void()> watch) { Watch = std::move(watch); }

  private:
    std::deque<int> Answers;
    std::vector<TBoxRequest> Boxes;
    std::function<void()> Watch;
    TBoxHandler Previous;
};

}  // namespace telvo::test
