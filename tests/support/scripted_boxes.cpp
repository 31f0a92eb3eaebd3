#include "support/scripted_boxes.h"

namespace telvo::test {

TScriptedBoxes::TScriptedBoxes() {
    Previous = ReplaceBoxHandler([this](const TBoxRequest& box) {
        Boxes.push_back(box);
        if (Watch)
            Watch();
        if (Answers.empty())
            return kAnswerOk;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TScriptedBoxes::~TScriptedBoxes() {
    ReplaceBoxHandler(std::move(Previous));
}

}  // namespace telvo::test
